// The processor's editor in the program's real main window: the page's resize request moves the window, the
// window's minimum follows the expanded tones, and the size the window settles on is saved 400 ms later and
// when the editor closes.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "Keel/Platform/AppWindow.h"
#include "processor/Velmora.h"
#include "processor/editor/EditorTags.h"
#include "tests/Keel/Platform/GuiTestSupport.h"
#include "tests/processor/SettingsTestSupport.h"

namespace {

using keeltest::PumpUntil;
using namespace settingstest;

const ProcessFolders& kFolders = Folders();

void SendResize(Velmora& p, int width, int height) {
  unsigned char bytes[8];
  for (int i = 0; i < 4; ++i) {
    bytes[i] = static_cast<unsigned char>(static_cast<std::uint32_t>(width) >> (8 * i));
    bytes[4 + i] = static_cast<unsigned char>(static_cast<std::uint32_t>(height) >> (8 * i));
  }
  p.OnMessage(vlm::MsgTag::kResizeEditor, -1, 8, bytes);
}

std::string StateText(int width, int height) {
  return "{\n  \"editorHeight\": " + std::to_string(height) +
         ",\n  \"editorWidth\": " + std::to_string(width) + "\n}\n";
}

TEST(VelmoraWindowGui, TheWindowFollowsThePageAndItsSizeIsRemembered) {
  if (!keel::InitGtk(nullptr, nullptr))
    GTEST_SKIP() << "no display";
  const FreshUserFolders user;
  std::unique_ptr<Velmora> processor(CreatePluginInstance({}));
  Velmora& p = *processor;
  void* area = nullptr;
  keel::AppWindowCallbacks callbacks;
  callbacks.openEditor = [&](void* parent) {
    area = parent;
    p.OpenWindow(parent);
  };
  callbacks.closeEditor = [&] { p.CloseWindow(); };
  callbacks.editorAreaResized = [&](int width, int height) { p.OnParentWindowResize(width, height); };
  keel::AppWindow window(std::move(callbacks));
  ASSERT_TRUE(window.Create("Velmora", p.GetEditorWidth(), p.GetEditorHeight(),
                            {p.GetMinWidth(), p.GetMinHeight(), p.GetMaxWidth(), p.GetMaxHeight()}));
  auto areaIs = [&](int width, int height) {
    int w = 0, h = 0;
    return keel::GetEditorAreaSize(area, w, h) && w == width && h == height;
  };
  // The framework's UI timer runs the idle work (limits, size poll, deferred save) from the main loop.
  ASSERT_TRUE(PumpUntil([&] { return areaIs(1180, 760); }));
  EXPECT_FALSE(p.IsDpiCorrectionPending());

  SendResize(p, 1300, 820);
  EXPECT_EQ(1300, p.GetEditorWidth());
  EXPECT_TRUE(PumpUntil([&] { return areaIs(1300, 820); }));
  EXPECT_TRUE(PumpUntil([&] { return ReadText(user.WindowStateFile()) == StateText(1300, 820); }, 3000));

  // Both tone panels expanded: the window's minimum rises and the window grows to keep the area at it.
  const std::string expanded = R"({"expandedTones":true})";
  p.OnMessage(vlm::MsgTag::kBankState, -1, static_cast<int>(expanded.size()), expanded.data());
  SendResize(p, 500, 500);
  EXPECT_EQ(1000, p.GetEditorHeight());
  EXPECT_TRUE(PumpUntil([&] { return areaIs(910, 1000); }));

  // Closing before the save is due still writes the size the window has.
  window.ResizeToEditor(1111, 1001);
  ASSERT_TRUE(PumpUntil([&] { return areaIs(1111, 1001); }));
  window.Destroy();
  EXPECT_EQ(StateText(1111, 1001), ReadText(user.WindowStateFile()));
  EXPECT_LE(1, Count(LogText(), "OnMessage[ResizeEditor APP]: logical=1300x820, current=1180x760"));
}

} // namespace
