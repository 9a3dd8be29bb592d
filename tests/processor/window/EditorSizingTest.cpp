// Editor size arithmetic: limits and page requests, and the display-scale rules checked with a fake scale of
// 1.5 (the desktop this runs on always reports 1).
#include <gtest/gtest.h>

#include "Keel/Platform/AppWindow.h"
#include "processor/window/EditorSizing.h"

namespace {

using vlm::EditorSize;

TEST(EditorSizing, ResizeRequestsAreClampedIntoTheLimits) {
  struct Case {
    int width, height;
    bool expanded;
    EditorSize expected;
  };
  const Case cases[] = {
      {500, 500, false, {910, 650}},
      {500, 500, true, {910, 1000}},
      {200000, 200000, false, {100000, 100000}},
      {1200, 800, false, {1200, 800}},
      {1200, 800, true, {1200, 1000}},
      {-5, 0, false, {910, 650}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, vlm::ClampResizeRequest(c.width, c.height, c.expanded))
        << c.width << "x" << c.height;
}

TEST(EditorSizing, ConstrainSaysWhetherTheSizeAlreadyFitted) {
  int w = 800, h = 700;
  EXPECT_FALSE(vlm::ConstrainToEditorLimits(w, h, false));
  EXPECT_EQ(910, w);
  EXPECT_EQ(700, h);
  w = 1180, h = 760;
  EXPECT_TRUE(vlm::ConstrainToEditorLimits(w, h, false));
  EXPECT_FALSE(vlm::ConstrainToEditorLimits(w, h, true));
  EXPECT_EQ(1000, h);
}

TEST(EditorSizing, PhysicalPixelsBecomeLogicalByTruncatedDivision) {
  EXPECT_EQ((EditorSize{1180, 760}), vlm::PhysicalToLogical(1770, 1140, 1.5));
  EXPECT_EQ((EditorSize{666, 667}), vlm::PhysicalToLogical(1000, 1001, 1.5));
  EXPECT_EQ((EditorSize{1000, 1001}), vlm::PhysicalToLogical(1000, 1001, 1.0));
  // Empty windows (minimised) and sides that vanish are no size at all.
  EXPECT_EQ((EditorSize{}), vlm::PhysicalToLogical(0, 700, 1.5));
  EXPECT_EQ((EditorSize{}), vlm::PhysicalToLogical(700, -1, 1.5));
  EXPECT_EQ((EditorSize{}), vlm::PhysicalToLogical(1, 700, 1.5));
}

TEST(EditorSizing, ResizeTargetsRoundToTheNearestPhysicalPixel) {
  EXPECT_EQ((EditorSize{1367, 977}), vlm::LogicalToPhysicalRounded({911, 651}, 1.5));
  EXPECT_EQ((EditorSize{1365, 975}), vlm::LogicalToPhysicalRounded({910, 650}, 1.5));
  EXPECT_EQ((EditorSize{910, 650}), vlm::LogicalToPhysicalRounded({910, 650}, 1.0));
}

TEST(EditorSizing, DpiCorrectionResizesOnceToTheScaledEditorSize) {
  const EditorSize editor{1180, 760};
  // The first resize after opening on a 150 % display: not yet the scaled size, so one resize to it.
  auto step = vlm::NextDpiCorrection(true, 1.5, {1180, 760}, editor);
  EXPECT_EQ(vlm::DpiCorrection::kResize, step.action);
  EXPECT_EQ((EditorSize{1770, 1140}), step.target);
  // The window reached it: correction complete, the resize is handled as usual.
  step = vlm::NextDpiCorrection(true, 1.5, {1770, 1140}, editor);
  EXPECT_EQ(vlm::DpiCorrection::kComplete, step.action);
  // Targets truncate.
  EXPECT_EQ((EditorSize{1475, 950}), vlm::NextDpiCorrection(true, 1.25, {1, 1}, editor).target);
  EXPECT_EQ((EditorSize{1191, 764}), vlm::NextDpiCorrection(true, 1.33, {1, 1}, {896, 575}).target);
  // Nothing pending, or no scaling: nothing to correct.
  EXPECT_EQ(vlm::DpiCorrection::kNone, vlm::NextDpiCorrection(false, 1.5, {1180, 760}, editor).action);
  EXPECT_EQ(vlm::DpiCorrection::kNone, vlm::NextDpiCorrection(true, 1.0, {1000, 700}, editor).action);
}

TEST(EditorSizing, WindowSizesScaleTheEditorAreaButNotTheFrame) {
  const keel::WindowSize frame{16, 39}; // borders and a menu bar, already in window units
  EXPECT_EQ((keel::WindowSize{1786, 1179}), keel::WindowSizeForEditorArea(1180, 760, 1.5, frame));
  EXPECT_EQ((keel::WindowSize{1196, 799}), keel::WindowSizeForEditorArea(1180, 760, 1.0, frame));
  // The smallest window: the minimum area scaled and rounded, then the frame.
  EXPECT_EQ((keel::WindowSize{1381, 1014}), keel::MinimumWindowSize(910, 650, 1.5, frame));
  EXPECT_EQ((keel::WindowSize{1381, 1539}), keel::MinimumWindowSize(910, 1000, 1.5, frame));
  EXPECT_EQ((keel::WindowSize{910, 689}), keel::MinimumWindowSize(910, 650, 1.0, {0, 39}));
}

TEST(EditorSizing, ThePluginAsksItsBrowserForUnitScaleOnce) {
  EXPECT_EQ("--force-device-scale-factor=1", vlm::BrowserArgumentsWithUnitScale(nullptr));
  EXPECT_EQ(" --force-device-scale-factor=1", vlm::BrowserArgumentsWithUnitScale(""));
  EXPECT_EQ("--disable-gpu --force-device-scale-factor=1",
            vlm::BrowserArgumentsWithUnitScale("--disable-gpu"));
  EXPECT_FALSE(vlm::BrowserArgumentsWithUnitScale("--force-device-scale-factor=2").has_value());
  const vlm::ViewBounds bounds = vlm::PluginWebViewBounds({1770, 1141}, 1.5);
  EXPECT_FLOAT_EQ(1180.0f, bounds.width);
  EXPECT_FLOAT_EQ(1141.0f / 1.5f, bounds.height);
}

} // namespace
