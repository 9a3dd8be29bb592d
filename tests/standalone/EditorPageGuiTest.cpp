// The real editor in the program's main window under a display: the embedded page loads from its copy on
// disk with the load lines in order, Ctrl+comma typed in the page reaches the Preferences accelerator exactly
// once, and the clipboard answers the page's reads, empty ones included.
#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "Keel/Platform/AppWindow.h"
#include "Keel/Platform/WebKitView.h"
#include "processor/Velmora.h"
#include "processor/editor/EditorTags.h"
#include "processor/editor/PageResource.h"
#include "standalone/EditorWindowTestSupport.h"

namespace {

namespace fs = std::filesystem;

// Fresh per-user folders and log for this process.
using FolderEnvironment = editorwindowtest::FreshFoldersEnvironment;
const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new FolderEnvironment("velmora-pagegui-"));

using editorwindowtest::ReadText;

std::string LogText() {
  return ReadText(FolderEnvironment::Dir() / "velmora.log");
}

using keeltest::FindWidgetOfType;
using keeltest::Pump;
using keeltest::PumpUntil;
using keeltest::TypeKey;

// The program's main window with the real processor's editor in it; opened once for all tests.
class EditorPageGui : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    if (!keel::WebKitView::CanOpenDisplay())
      return;
    processor = CreatePluginInstance({});
    keel::AppWindowCallbacks callbacks;
    callbacks.openEditor = [](void* parent) { processor->OpenWindow(parent); };
    callbacks.closeEditor = [] { processor->CloseWindow(); };
    callbacks.editorAreaResized = [](int width, int height) {
      processor->OnParentWindowResize(width, height);
    };
    callbacks.preferences = [] { ++preferencesOpened; };
    window = new keel::AppWindow(std::move(callbacks));
    window->Create("Velmora", 1180, 760, {910, 650, 100000, 100000});
    loaded = PumpUntil([] { return LogText().find("] Viewport: ") != std::string::npos; }, 120000);
  }
  static void TearDownTestSuite() {
    delete window;
    window = nullptr;
    delete processor;
    processor = nullptr;
  }
  void SetUp() override {
    if (!processor)
      GTEST_SKIP() << "no display";
    ASSERT_TRUE(loaded) << LogText();
  }
  // Runs a script in the page and waits for its JSON answer.
  static std::string Evaluate(const std::string& script) {
    return editorwindowtest::EvaluateInPage(*processor, script);
  }

  static inline Velmora* processor = nullptr;
  static inline keel::AppWindow* window = nullptr;
  static inline bool loaded = false;
  static inline int preferencesOpened = 0;
};

TEST_F(EditorPageGui, TheEmbeddedPageLoadsFromItsCopyWithTheLoadLinesInOrder) {
  const std::string copy = (FolderEnvironment::Dir() / "config" / "Velmora" / "web" / "index.html").string();
  EXPECT_EQ(vlm::GetEmbeddedEditorPage(), ReadText(copy));
  const std::string log = LogText();
  const std::vector<std::string> lines = {
      "] LoadIndexHtml[Release]: embedded RCDATA " + std::to_string(vlm::GetEmbeddedEditorPage().size()) +
          " bytes\n",
      "] LoadIndexHtml[Release]: LoadFile (virtual host) " + copy + "\n",
      "] OnWebContentLoaded\n",
      "] BankStateRestore skipped (empty)\n",
      "] Viewport: ",
  };
  size_t at = 0;
  for (const std::string& line : lines) {
    const size_t found = log.find(line, at);
    ASSERT_NE(std::string::npos, found) << line << "\n" << log;
    at = found + line.size();
  }
  EXPECT_EQ(std::string::npos, log.find("fallback NavigateToString"));
  // The page took the schema and shows the instrument.
  ASSERT_TRUE(
      PumpUntil([] { return Evaluate("document.body.innerText.includes('EFFECT CHAIN')") == "true"; }, 60000))
      << Evaluate("document.body.innerText.slice(0, 300)");
}

TEST_F(EditorPageGui, CtrlCommaInThePageOpensPreferencesExactlyOnce) {
  GtkWidget* toplevel = static_cast<GtkWidget*>(window->NativeWindow());
  GtkWidget* view = FindWidgetOfType(toplevel, "WebKitWebView");
  ASSERT_NE(nullptr, view);
  gtk_widget_grab_focus(view);
  Pump(200);

  // Typed on the keyboard while the page has the focus.
  const int before = preferencesOpened;
  TypeKey(toplevel, GDK_KEY_Control_L, GDK_KEY_PRESS);
  TypeKey(toplevel, GDK_KEY_comma, GDK_KEY_PRESS, GDK_CONTROL_MASK);
  TypeKey(toplevel, GDK_KEY_comma, GDK_KEY_RELEASE, GDK_CONTROL_MASK);
  TypeKey(toplevel, GDK_KEY_Control_L, GDK_KEY_RELEASE, GDK_CONTROL_MASK);
  Pump(1000);
  EXPECT_EQ(before + 1, preferencesOpened);

  // Pressed inside the page itself: the page forwards it, and the window's accelerator runs once.
  Evaluate("window.dispatchEvent(new KeyboardEvent('keydown', {key: ',', code: 'Comma', ctrlKey: true}));"
           "window.dispatchEvent(new KeyboardEvent('keyup', {key: ',', code: 'Comma', ctrlKey: true})); 1");
  ASSERT_TRUE(PumpUntil([&] { return preferencesOpened == before + 2; }, 5000));
  Pump(500);
  EXPECT_EQ(before + 2, preferencesOpened);
}

TEST_F(EditorPageGui, TheClipboardAnswersEveryReadEvenWhenItHoldsNoText) {
  std::vector<std::string> scripts;
  processor->SetScriptObserver([&](const char* script, std::function<void(const char*)>) {
    scripts.emplace_back(script ? script : "");
  });
  const std::string text = "{\"format\": \"velmora-effect-chain\", \"name\": \"Größe\"}";
  ASSERT_TRUE(
      processor->OnMessage(vlm::MsgTag::kClipboardWrite, -1, static_cast<int>(text.size()), text.data()));
  ASSERT_TRUE(processor->OnMessage(vlm::MsgTag::kClipboardReadRequest, -1, 0, nullptr));
  ASSERT_TRUE(PumpUntil([&] { return !scripts.empty(); }, 5000));
  ASSERT_EQ(1u, scripts.size());
  EXPECT_EQ("SAMFD(217, 73, 'eyJmb3JtYXQiOiAidmVsbW9yYS1lZmZlY3QtY2hhaW4iLCAibmFtZSI6ICJHcsO2w59lIn0=')",
            scripts[0]);

  // An image only: no text, and still an answer the page reads as empty text.
  GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 4, 4);
  gtk_clipboard_set_image(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), image);
  g_object_unref(image);
  scripts.clear();
  ASSERT_TRUE(processor->OnMessage(vlm::MsgTag::kClipboardReadRequest, -1, 0, nullptr));
  ASSERT_TRUE(PumpUntil([&] { return !scripts.empty(); }, 5000));
  EXPECT_EQ("SAMFD(217, 0, '')", scripts[0]);
  processor->SetScriptObserver(nullptr);
}

} // namespace
