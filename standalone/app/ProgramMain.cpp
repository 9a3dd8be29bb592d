// Start-up order, the main window's commands and the stop order of the program.
#include "standalone/app/ProgramMain.h"

#include "Keel/Platform/AppWindow.h"
#include "Keel/Platform/MessageBoxUTF8.h"
#include "Keel/Platform/PreferencesDialogView.h"
#include "Keel/Platform/SingleInstance.h"
#include "Keel/Platform/WebKitView.h"
#include "library/MidiPortIo.h"
#include "processor/Velmora.h"
#include "processor/params/ParamDumps.h"
#include "resources/AppIcon.h"
#include "standalone/app/CommandLine.h"
#include "standalone/host/IKeelAPPHost.h"
#include "standalone/preferences/PreferencesModel.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <utility>

namespace vlm {
namespace {

// Process-wide: one main window and one host object.
struct Program {
  std::unique_ptr<keel::AppWindow> window;
  std::unique_ptr<IKeelAPPHost> host;
  // The open Preferences dialog (it works on the host, so the host outlives it) and a quit that waits for it.
  keel::PreferencesDialogView* preferences = nullptr;
  bool quitAfterPreferences = false;
};

Program& TheProgram() {
  static Program program;
  return program;
}

AppHostOptions MakeHostOptions() {
  AppHostOptions options;
  options.createProcessor = [](const keel::InstanceInfo& info) -> std::unique_ptr<keel::IKeelAPP> {
    return std::unique_ptr<keel::IKeelAPP>(CreatePluginInstance(info));
  };
  options.showError = [](const char* text, const char* caption) {
    Program& p = TheProgram();
    keel::MessageBoxUTF8(p.window ? p.window->NativeWindow() : nullptr, text, caption, keel::kMessageBoxOk);
  };
  options.resizeMainWindow = [](int width, int height) {
    Program& p = TheProgram();
    if (p.window) p.window->ResizeToEditor(width, height);
  };
  return options;
}

void CreateMainWindow(Program& p) {
  keel::IKeelAPP& processor = p.host->Processor();
  keel::AppWindowCallbacks callbacks;
  callbacks.openEditor = [&processor](void* parent) { processor.OpenWindow(parent); };
  callbacks.closeEditor = [&processor] { processor.CloseWindow(); };
  callbacks.editorAreaResized = [&processor](int width, int height) {
    if (processor.GetHostResize()) processor.OnParentWindowResize(width, height);
  };
  callbacks.preferences = [] {
    Program& program = TheProgram();
    if (!program.host || !program.window || program.preferences) return;
    // Modal over the main window; OK rewrites settings.ini.
    // The ports the MKS-80 connection holds, so that the dialog can say why they cannot be opened.
    PreferencesServices services = HostPreferencesServices(*program.host);
    services.mks80InputPort = [] { return GetDirectMidiInPortName(); };
    services.mks80OutputPort = [] { return GetDirectMidiOutPortName(); };
    PreferencesModel model(std::move(services));
    keel::PreferencesDialogView view(model);
    if (!view.Create(program.window->NativeWindow())) return;
    program.preferences = &view;
    view.Run();
    program.preferences = nullptr;
    if (program.quitAfterPreferences && program.window) program.window->Destroy();
  };
  callbacks.destroyed = [] {
    Program& program = TheProgram();
    program.host.reset(); // stream stopped, ports closed, processor deleted last
    keel::QuitMainLoop();
  };
  p.window = std::make_unique<keel::AppWindow>(std::move(callbacks));
  keel::EditorSizeLimits limits{processor.GetMinWidth(), processor.GetMinHeight(), processor.GetMaxWidth(),
                                processor.GetMaxHeight()};
  // The page's own splash, shown by the window from the moment it maps until the page draws over it.
  const keel::EditorSplash splash{"VELMORA", 0x606F77, 28, 8};
  p.window->Create("Velmora", processor.GetEditorWidth(), processor.GetEditorHeight(), limits, splash);
  p.window->SetIconPngs(GetAppIconPngs());
}

// The capture is taken once the page reports that its first paint shows the initial state (panels
// drawn, not only the splash gone): on a slow or busy machine that comes seconds after the window opens.
// A page that never gets there is captured all the same after kScreenshotWaitLimitMs.
constexpr unsigned kScreenshotPollMs = 100;
constexpr unsigned kScreenshotWaitLimitMs = 20000;
constexpr const char* kPageDrawnScript = "document.documentElement.dataset.initialStateDrawn === 'true'";

void CaptureSoon(const std::string& path) {
  keel::RunAfter(500, [path] {
    Program& p = TheProgram();
    if (!p.window) return;
    p.window->CaptureEditorToPng(path);
    p.window->Destroy();
  });
}

void ScheduleScreenshot(const std::string& path, unsigned waitedMs) {
  keel::RunAfter(kScreenshotPollMs, [path, waitedMs] {
    Program& program = TheProgram();
    if (!program.window || !program.host) return;
    const unsigned waited = waitedMs + kScreenshotPollMs;
    if (waited >= kScreenshotWaitLimitMs) return CaptureSoon(path);
    keel::IKeelAPP& processor = program.host->Processor();
    if (!processor.IsContentLoaded()) return ScheduleScreenshot(path, waited);
    processor.EvaluateJavaScript(kPageDrawnScript, [path, waited](const char* json) {
      if (json && std::string(json) == "true")
        CaptureSoon(path);
      else
        ScheduleScreenshot(path, waited);
    });
  });
}

// A stream that stops on its own (the JACK server changed its buffer size or went away) is opened again
// from here; not while the Preferences dialog works on the devices.
constexpr unsigned kStreamCheckMs = 500;

void WatchAudioStream() {
  keel::RunAfter(kStreamCheckMs, [] {
    Program& p = TheProgram();
    if (!p.host)
      return;
    if (!p.preferences)
      p.host->Audio().CheckStream();
    WatchAudioStream();
  });
}

bool DumpModeRequested() {
  for (const char* name : {kDumpSchemaPathEnv, kDumpCurvesPathEnv}) {
    const char* value = std::getenv(name);
    if (value && *value)
      return true;
  }
  return false;
}

} // namespace

int RunProgram(int argc, char** argv) {
  const CommandLineOptions options = ParseCommandLine(argc, argv);
  if (options.help) {
    std::fputs(CommandLineUsage(), stdout);
    return 0;
  }
  // The dump modes need no window and no instance lock: the processor's construction writes the files
  // and ends the process with 0.
  if (DumpModeRequested()) {
    try {
      IKeelAPPHost host(MakeHostOptions());
    } catch (const std::exception&) {
      return 1;
    }
    return 0;
  }
  // Before anything else, and before the log is touched: a second start only wakes the first.
  keel::SingleInstance instance;
  if (!instance.Acquire("Velmora")) return 0;
  // A page process that ends first (a stop during start-up) must not take the program with it: a write
  // to its closed pipe fails with an error instead of a fatal signal.
  std::signal(SIGPIPE, SIG_IGN);

  Program& p = TheProgram();
  try {
    if (!keel::InitGtk(&argc, &argv)) {
      std::fputs("Velmora needs a graphical display, and none could be opened (is DISPLAY or WAYLAND_DISPLAY "
                 "set?). Run \"Velmora --help\" for the options.\n",
                 stderr);
      return 1;
    }
    // Installed first, so that a termination request during start-up still ends in a clean stop
    // (GLib holds the signal until the main loop runs).
    keel::QuitOnTerminationSignals([] {
      Program& program = TheProgram();
      if (program.preferences) {
        program.quitAfterPreferences = true;
        program.preferences->Respond(keel::kPreferencesCancel);
      } else if (program.window) {
        program.window->Destroy();
      } else {
        keel::QuitMainLoop();
      }
    });
    // The browser's page process starts now and boots while the processor, the devices and the window
    // are made; the editor's view takes it over.
    keel::WebKitView::PrewarmWebProcess();
    p.host = std::make_unique<IKeelAPPHost>(MakeHostOptions());
    p.host->SetNoIO(options.noIO);
    p.host->SetScreenshotPath(options.screenshotPath);
    p.host->InitHost();
    CreateMainWindow(p);
    instance.ListenForPresent([] {
      if (TheProgram().window) TheProgram().window->Present();
    });
    // After the window: a stream that cannot open is reported over it, with File > Preferences at hand.
    p.host->StartAudioFromSettings();
    if (!p.window)
      return 0; // ended while the report was shown
    WatchAudioStream();
    if (!options.screenshotPath.empty()) ScheduleScreenshot(options.screenshotPath, 0);
  } catch (const std::exception&) {
    p.window.reset();
    p.host.reset();
    keel::WebKitView::DropPrewarmedWebProcess();
    return 1;
  }
  keel::RunMainLoop();
  p.window.reset();
  p.host.reset();
  keel::WebKitView::DropPrewarmedWebProcess();
  return 0;
}

} // namespace vlm
