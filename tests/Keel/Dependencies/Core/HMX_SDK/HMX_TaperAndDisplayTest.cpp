// Tapers map both ways at their edges; display delegates write and read their exact texts.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryTaperDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CLinearTaperDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CNumberDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CStringDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CUnitDisplayDelegateDecorator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

using IntTaper = HMX_CLinearTaperDelegate<int, 1>;
using IntNumber = HMX_CNumberDisplayDelegate<int, 0, 0>;
using DoubleNumber = HMX_CNumberDisplayDelegate<double, 2, 0>;

TEST(HMX_CLinearTaperDelegate, MapsBothWaysAtTheEdges) {
  const IntTaper taper(0, 10);
  struct ToReal {
    double normalized;
    int real;
  };
  const ToReal toReal[] = {{0.0, 0},
                           {1.0, 10},
                           {0.44, 4},
                           {0.45, 5},
                           {-3.0, 0},
                           {7.0, 10},
                           {std::numeric_limits<double>::quiet_NaN(), 0},
                           {1e300, 10}};
  for (const ToReal& c : toReal)
    EXPECT_EQ(taper.NormalizedToReal(c.normalized), c.real) << c.normalized;
  struct ToNormalized {
    int real;
    double normalized;
  };
  const ToNormalized toNormalized[] = {{0, 0.0}, {10, 1.0}, {12, 1.0}, {-5, 0.0}, {5, 0.5}};
  for (const ToNormalized& c : toNormalized)
    EXPECT_DOUBLE_EQ(taper.RealToNormalized(c.real), c.normalized) << c.real;
  EXPECT_EQ(taper.MinValue(), 0);
  EXPECT_EQ(taper.MaxValue(), 10);
}

TEST(HMX_CLinearTaperDelegate, ReversedAndDegenerateRanges) {
  const IntTaper reversed(10, -10);
  EXPECT_EQ(reversed.NormalizedToReal(0.0), 10);
  EXPECT_EQ(reversed.NormalizedToReal(1.0), -10);
  EXPECT_EQ(reversed.ConstrainReal(50), 10);
  EXPECT_DOUBLE_EQ(reversed.RealToNormalized(0), 0.5);
  const IntTaper flat(3, 3);
  for (int v : {-100, 3, 100})
    EXPECT_DOUBLE_EQ(flat.RealToNormalized(v), 0.5);
  EXPECT_EQ(flat.NormalizedToReal(0.9), 3);
  std::unique_ptr<HMX_ITaperDelegate<int>> copy(reversed.Duplicate());
  EXPECT_EQ(copy->MinValue(), 10);
}

TEST(HMX_CBinaryTaperDelegate, AnythingAboveZeroIsTrue) {
  const HMX_CBinaryTaperDelegate<bool> taper;
  EXPECT_FALSE(taper.NormalizedToReal(0.0));
  EXPECT_FALSE(taper.NormalizedToReal(-1.0));
  EXPECT_TRUE(taper.NormalizedToReal(1e-9));
  EXPECT_TRUE(taper.NormalizedToReal(1.0));
  EXPECT_EQ(taper.RealToNormalized(true), 1.0);
  EXPECT_EQ(taper.RealToNormalized(false), 0.0);
  EXPECT_TRUE(taper.MaxValue());
  EXPECT_FALSE(taper.MinValue());
}

TEST(HMX_CNumberDisplayDelegate, WritesFixedDecimalsAndFitsTheLimit) {
  HMX_CString out;
  ASSERT_TRUE(IntNumber().ValueToText(42, out));
  EXPECT_EQ(out.Str(), "42");
  struct Case {
    double value;
    int32_t limit;
    const char* text;
  };
  const Case cases[] = {
      {3.14159, 100, "3.14"}, // no cut
      {3.14159, 4, "3.14"},   // exactly fits
      {3.14159, 3, "3.1"},    // cut
      {3.14159, 2, "3"},      // the cut leaves "3." and the point goes
      {3.14159, 0, ""},       // nothing fits
      {-3.14159, -1, ""},     // a negative limit counts as 0
      {12.5, 3, "12"},        // "12." loses the point
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(DoubleNumber().ValueToText(c.value, c.limit, out));
    EXPECT_EQ(out.Str(), c.text) << c.value << " limit " << c.limit;
  }
  double d = 1;
  EXPECT_TRUE(DoubleNumber().TextToValue(HMX_CString("-2.5"), d));
  EXPECT_DOUBLE_EQ(d, -2.5);
  int i = 7;
  EXPECT_TRUE(IntNumber().TextToValue(HMX_CString("-3.9"), i));
  EXPECT_EQ(i, -3); // truncated toward zero
  EXPECT_FALSE(IntNumber().TextToValue(HMX_CString("loud"), i));
  EXPECT_EQ(i, 0);
  EXPECT_TRUE(IntNumber().TextToValue(HMX_CString("1e20"), i));
  EXPECT_EQ(i, std::numeric_limits<int>::max());
}

TEST(HMX_CStringDisplayDelegate, TextsBothWaysAndTheSmallestValueForADuplicateText) {
  const HMX_CStringDisplayDelegate<int> display({{0, "Off"}, {1, "On"}, {2, "Off"}, {5, "Auto"}});
  HMX_CString out;
  EXPECT_TRUE(display.ValueToText(1, out));
  EXPECT_EQ(out.Str(), "On");
  EXPECT_TRUE(display.ValueToText(5, 1, out)); // the limit is not used
  EXPECT_EQ(out.Str(), "Auto");
  EXPECT_FALSE(display.ValueToText(3, out));
  EXPECT_EQ(out.Str(), "String Not Found");
  int value = 9;
  EXPECT_TRUE(display.TextToValue(HMX_CString("Off"), value));
  EXPECT_EQ(value, 0);
  EXPECT_FALSE(display.TextToValue(HMX_CString("on"), value)); // exact bytes only
  EXPECT_EQ(value, 0);
}

TEST(HMX_CBinaryDisplayDelegate, ChoosesTheLongestShortPairThatFits) {
  HMX_CBinaryDisplayDelegate<bool> display("bypass", "on");
  HMX_CString out;
  EXPECT_TRUE(display.ValueToText(false, 2, out)); // no pairs: the full text whatever the limit
  EXPECT_EQ(out.Str(), "bypass");
  display.AddShortTexts("byp", "on", 3);
  display.AddShortTexts("b", "1", 1);
  display.AddShortTexts("bp", "o", 3); // same length as an earlier pair: comes after it
  struct Case {
    int32_t limit;
    bool value;
    const char* text;
  };
  const Case cases[] = {
      {6, false, "bypass"},                   // the full text fits
      {10, true, "on"},     {5, false, "bp"}, // longest pair first: the last added of length 3
      {3, false, "bp"},     {2, false, "b"},  {1, true, "1"}, {0, false, "b"}, // none fits: the shortest pair
      {-4, true, "1"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(display.ValueToText(c.value, c.limit, out));
    EXPECT_EQ(out.Str(), c.text) << c.limit;
  }
  bool value = true;
  EXPECT_TRUE(display.TextToValue(HMX_CString("on"), value));
  EXPECT_TRUE(value);
  EXPECT_TRUE(display.TextToValue(HMX_CString("bypass"), value));
  EXPECT_FALSE(value);
  value = true;
  EXPECT_FALSE(display.TextToValue(HMX_CString("byp"), value)); // short texts are not recognised
  EXPECT_FALSE(value);
}

TEST(HMX_CUnitDisplayDelegateDecorator, AppendsTheUnitWhenItFitsAndReadsWithOrWithoutIt) {
  const HMX_CUnitDisplayDelegateDecorator<int> display(IntNumber(), " dB");
  std::unique_ptr<HMX_IDisplayDelegate<int>> copy(display.Duplicate());
  HMX_CString out;
  EXPECT_TRUE(copy->ValueToText(6, out));
  EXPECT_EQ(out.Str(), "6 dB");
  EXPECT_TRUE(copy->ValueToText(-12, 6, out));
  EXPECT_EQ(out.Str(), "-12 dB");
  EXPECT_TRUE(copy->ValueToText(-12, 5, out)); // the unit would not fit whole
  EXPECT_EQ(out.Str(), "-12");
  struct Case {
    const char* text;
    bool ok;
    int value;
  };
  const Case cases[] = {{"6 dB", true, 6}, {"6", true, 6}, {" dB", false, 0}, {"6dB", true, 6}};
  for (const Case& c : cases) {
    int value = 99;
    EXPECT_EQ(copy->TextToValue(HMX_CString(c.text), value), c.ok) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  const HMX_CUnitDisplayDelegateDecorator<double> hz(DoubleNumber(), " Hz");
  double d = 0;
  EXPECT_TRUE(hz.TextToValue(HMX_CString("440.00 Hz"), d));
  EXPECT_DOUBLE_EQ(d, 440.0);
}

} // namespace
