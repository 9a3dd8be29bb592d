// Construction of the processor in its fixed order, the instance factory and destruction.
#include "processor/Velmora.h"

#include <cstdlib>
#include <mutex>

#include "common/EParams.h"
#include "common/Logger.h"
#include "library/MidiStackDiagnostic.h"
#include "processor/crash/InstallAppCrashHandler.h"
#include "processor/params/ParamDeclarations.h"
#include "processor/params/ParamDumps.h"
#include "processor/params/ParamSpec.h"

keel::PluginConfig Velmora::MakeConfig() {
  keel::PluginConfig config;
  config.paramCount = vlm::kNumParams;
  config.presetCount = 1;
  config.channelIOText = "0-2";
  config.pluginName = "Velmora";
  config.productName = "Velmora";
  config.makerName = "Ostrand";
  config.version = keel::PackVersion(1, 0, 13);
  config.uniqueId = keel::MakeFourCC("VLMP");
  config.makerId = keel::MakeFourCC("Ostd");
  config.latencySamples = 0;
  config.midiIn = true;
  config.midiOut = true;
  config.plugType = keel::kPlugTypeInstrument;
  config.editorWidth = 1180;
  config.editorHeight = 760;
  config.minEditorWidth = 910;
  config.maxEditorWidth = 100000;
  config.minEditorHeight = 650;
  config.maxEditorHeight = 100000;
  config.hostCanResize = true;
  return config;
}

Velmora::Velmora(const keel::InstanceInfo& info) : keel::IKeelAPP(info, MakeConfig()) {
  GetLogger().Log("ctor: kNumParams=%d, maxJSStringLength=%d", vlm::kNumParams, kMaxJSStringLength);
#ifndef VLM_PLUGIN
  // Once per process by its own guard; the program's crash handlers report into the log. A plug-in
  // leaves the host's signal handling to the host.
  InstallAppCrashHandler();
#endif
  // Once per process: what the machine's MIDI stack offers, for support questions.
  vlm::MidiStack();
  vlm::InitParamSpecs();
  Lower.mSecondPart = 1;
  SetMaxJSStringLength(kMaxJSStringLength);
  vlm::DeclareParams([this](int index) { return GetParam(index); });
  RebuildCcLookup();
#ifndef VLM_PLUGIN
  // Developer dump modes: write what the environment asks for and end the process before any window opens.
  // The program's alone: in a plug-in they would end the host.
  if (vlm::WriteParamDumpsFromEnvironment(
          [this](int index) -> const keel::IParam* { return GetParam(index); }, vlm::kNumParams))
    std::exit(0);
#endif
  // The user's default controller map, then the lookup from the assignments it stored.
  LoadDefaultMidiMap();
  RebuildCcLookup();
  // The browser's developer tools and default context menus stay off: the web-view base is built without
  // them.
  // The page's preferences and the takeover mode they choose; nothing is written until the page saves.
  LoadUIPrefs();
  ApplyKnobModePref();
#ifndef VLM_PLUGIN
  // The program's dedicated port choice; the first idle tick reopens it.
  LoadStandaloneMidi();
#endif
  // The editor starts at the size it had when it was last closed.
  LoadWindowState();
  // Last: each time the editor's browser is ready, it gets the page.
  SetEditorInitFunc([this] { LoadIndexHtml(); });
}

Velmora::~Velmora() = default;

Velmora* CreatePluginInstance(const keel::InstanceInfo& info) {
  static std::mutex factoryLock;
  const std::lock_guard<std::mutex> lock(factoryLock);
  return new Velmora(info);
}
