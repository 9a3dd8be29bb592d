// The program's main window as the editor sees it: the editor area's size, resizing the window around the
// area (menu bar outside the editor's size), and the editor's limits holding with the menu bar added.
#include "Keel/Platform/AppWindow.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "GuiTestSupport.h"

namespace {

struct AreaSize {
  int width = 0, height = 0;
};

AreaSize SizeOf(void* area) {
  AreaSize s;
  keel::GetEditorAreaSize(area, s.width, s.height);
  return s;
}

bool AreaIs(void* area, int width, int height) {
  return keeltest::PumpUntil(
      [&] {
        const AreaSize s = SizeOf(area);
        return s.width == width && s.height == height;
      },
      5000);
}

class AppWindowGui : public ::testing::Test {
protected:
  void SetUp() override {
    if (!keel::InitGtk(nullptr, nullptr))
      GTEST_SKIP() << "no display";
    keel::AppWindowCallbacks callbacks;
    callbacks.openEditor = [this](void* parent) { mArea = parent; };
    mWindow = std::make_unique<keel::AppWindow>(std::move(callbacks));
    ASSERT_TRUE(mWindow->Create("Velmora test", 1180, 760, {910, 650, 100000, 100000}));
    ASSERT_NE(nullptr, mArea);
  }
  void TearDown() override { mWindow.reset(); }

  std::unique_ptr<keel::AppWindow> mWindow;
  void* mArea = nullptr;
};

TEST_F(AppWindowGui, TheEditorAreaGetsTheEditorSizeBelowTheMenuBar) {
  EXPECT_TRUE(AreaIs(mArea, 1180, 760)) << SizeOf(mArea).width << "x" << SizeOf(mArea).height;
  keel::ResizeEditorArea(mArea, 1300, 820);
  EXPECT_TRUE(AreaIs(mArea, 1300, 820)) << SizeOf(mArea).width << "x" << SizeOf(mArea).height;
}

TEST_F(AppWindowGui, TheWindowNeverShrinksTheAreaBelowTheEditorsMinimum) {
  ASSERT_TRUE(AreaIs(mArea, 1180, 760));
  keel::ResizeEditorArea(mArea, 500, 500);
  EXPECT_TRUE(AreaIs(mArea, 910, 650)) << SizeOf(mArea).width << "x" << SizeOf(mArea).height;
  // Expanded tones raise the minimum: the window grows to keep the area at it.
  keel::SetEditorAreaLimits(mArea, {910, 1000, 100000, 100000});
  EXPECT_TRUE(AreaIs(mArea, 910, 1000)) << SizeOf(mArea).width << "x" << SizeOf(mArea).height;
  keel::SetEditorAreaLimits(mArea, {910, 650, 100000, 100000});
  keel::ResizeEditorArea(mArea, 900, 700);
  EXPECT_TRUE(AreaIs(mArea, 910, 700)) << SizeOf(mArea).width << "x" << SizeOf(mArea).height;
}

TEST(AppWindowGuiFree, ThingsThatAreNoEditorAreaHaveNoSize) {
  int width = 7, height = 7;
  EXPECT_FALSE(keel::GetEditorAreaSize(nullptr, width, height));
  EXPECT_EQ(0, width);
  EXPECT_EQ(0, height);
  keel::ResizeEditorArea(nullptr, 100, 100);
  keel::SetEditorAreaLimits(nullptr, {});
}

} // namespace
