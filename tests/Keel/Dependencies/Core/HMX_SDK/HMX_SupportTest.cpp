// HMX support classes: result texts, strings, owner mutex, exceptions, checked results, host reporting.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_COwnerMutex.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CString.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CheckedResult.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_Exception.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_ResultText.h"
#include "RecordingHostServices.h"

#include <gtest/gtest.h>

#include <clocale>
#include <stdexcept>
#include <thread>

namespace {

TEST(HMX_ResultText, NamesEveryRangeAndFormatsTheCode) {
  struct Case {
    HMX_Result code;
    const char* name;
  };
  const Case cases[] = {
      {0, "HMX_SUCCESS"},
      {-20001, "HMX_ERROR_INVALID_PARAMETER_ID"},
      {-20004, "HMX_ERROR_NULL_OBJECT"},
      {-20022, "HMX_RESULT_PACKET_STREAM_NOT_EMPTY"},
      {-20042, "HMX_ERROR_UNKNOWN_EXCEPTION"},
      {-20046, "HMX_ERROR_ARGUMENT_BUFFER_OVERFLOW"},
      {-20047, "<unknown error code>"},
      {-20000, "<unknown error code>"},
      {1, "<unknown error code>"},
      {-20600, "plug-in defined error"},
      {-21000, "plug-in defined error"},
      {-20599, "<unknown error code>"},
      {-21001, "<unknown error code>"},
  };
  for (const Case& c : cases)
    EXPECT_STREQ(HMX::ResultName(c.code), c.name) << c.code;
  EXPECT_EQ(HMX::ResultText(-20004), "HMX_ERROR_NULL_OBJECT (-20004)");
  EXPECT_EQ(HMX::ResultText(0), "HMX_SUCCESS (0)");
}

TEST(HMX_CString, ConstructsComparesAndEdits) {
  HMX_CString nullText(static_cast<const char*>(nullptr));
  EXPECT_EQ(nullText.Length(), 0u);
  EXPECT_STREQ(nullText.Text(), "");
  HMX_CString a("abc"), b("abd");
  EXPECT_TRUE(a < b);
  EXPECT_TRUE(a != b);
  EXPECT_TRUE(a == HMX_CString("abc"));
  EXPECT_EQ(a.MaxLength(), 0xFFFFFFFEu);
  HMX_IString& asInterface = b;
  asInterface = a;
  EXPECT_STREQ(b.Text(), "abc");
  a.Append(HMX_CString("def"));
  EXPECT_STREQ(a.Text(), "abcdef");
  EXPECT_EQ(a[1], 'b');
  a.Erase(1, 2);
  EXPECT_STREQ(a.Text(), "adef");
  a.Erase(2, 100);
  EXPECT_STREQ(a.Text(), "ad");
  a.Erase(2, 1); // at the end: nothing to remove
  EXPECT_THROW(a.Erase(3, 1), std::out_of_range);
  HMX_CString sub;
  HMX_CString("hello").SubString(1, 3, &sub);
  EXPECT_STREQ(sub.Text(), "ell");
  HMX_CString("hello").SubString(3, 10, &sub);
  EXPECT_STREQ(sub.Text(), "lo");
  a.Swap(sub);
  EXPECT_STREQ(a.Text(), "lo");
  a.Clear();
  EXPECT_EQ(a.Length(), 0u);
}

TEST(HMX_CString, NumbersInFixedNotationInTheCLocaleWhateverTheUserLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // a comma-decimal locale when installed
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {3.14159, 2, "3.14"}, {7, 0, "7"}, {-2.5, 1, "-2.5"}, {0.005, 2, "0.01"}, {42, 0, "42"}};
  for (const Case& c : cases) {
    HMX_CString s("x=");
    s.AppendNumber(c.value, c.decimals);
    EXPECT_EQ(s.Str(), std::string("x=") + c.text);
  }
  double out = 1;
  EXPECT_TRUE(HMX_CString("6.25").ToDouble(out));
  EXPECT_DOUBLE_EQ(out, 6.25);
  EXPECT_TRUE(HMX_CString(" 6 dB").ToDouble(out)); // extraction reads the leading number
  EXPECT_DOUBLE_EQ(out, 6.0);
  EXPECT_FALSE(HMX_CString("dB").ToDouble(out));
  EXPECT_EQ(out, 0.0);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(HMX_COwnerMutex, OwnerRelockAnswersFalseAndOthersWait) {
  HMX_COwnerMutex mutex;
  ASSERT_TRUE(mutex.Lock());
  EXPECT_FALSE(mutex.Lock()); // the owner goes on without deadlock
  bool otherTook = false;
  std::thread other([&] {
    mutex.Unlock(); // not the owner: nothing happens
    otherTook = mutex.Lock();
    mutex.Unlock();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  mutex.Unlock(); // frees it once
  other.join();
  EXPECT_TRUE(otherTook);
  EXPECT_TRUE(mutex.Lock());
  mutex.Unlock();
}

TEST(HMX_Exception, FullTextJoinsTheFunctionAndLineWhenPresent) {
  EXPECT_EQ(HMX::Exception::Any("bad", "F", "12").What(), "bad func:F line:12");
  EXPECT_EQ(HMX::Exception::Any("bad", "", "12").What(), "bad line:12");
  EXPECT_EQ(HMX::Exception::Any("bad").What(), "bad");
  HMX::Exception::ResultError error(-20004);
  EXPECT_EQ(error.What(), "HMX_ERROR_NULL_OBJECT (-20004)");
  EXPECT_EQ(error.Result(), -20004);
  HMX::Exception::ResultError copy = error;
  EXPECT_EQ(copy.What(), error.What());
}

TEST(HMX_CheckedResult, AcceptsSuccessAndThrowsWithATraceOtherwise) {
  RecordingHostServices host;
  HMX_CheckedResult result(HMX_SUCCESS);
  EXPECT_EQ(result.Current(), 0);
  try {
    result = -20007;
    FAIL() << "no exception";
  } catch (const HMX::Exception::ResultError& error) {
    EXPECT_EQ(error.Result(), -20007);
  }
  EXPECT_EQ(result.Current(), 0);
  EXPECT_EQ(result.LastError(), -20007);
  ASSERT_EQ(host.traces.size(), 1u);
  EXPECT_EQ(host.traces[0].first, 0x04000000);
  EXPECT_EQ(host.traces[0].second, "HMX_CheckedResult - throwing HMX_ERROR_INVALID_CHUNK_ID (-20007)");
}

TEST(HMX_HostReporting, DropsWithoutServicesAndCutsLongTraces) {
  EXPECT_EQ(HMX::HostTrace(1, "%s", "nobody listens"), 0);
  EXPECT_EQ(HMX::HostAssert("f", 1, "x"), 0);
  RecordingHostServices host;
  const std::string longText(600, 'a');
  EXPECT_EQ(HMX::HostTrace(7, "%s", longText.c_str()), 0);
  ASSERT_EQ(host.traces.size(), 1u);
  EXPECT_EQ(host.traces[0].second, std::string(511, 'a'));
  HMX::HostAssert("HMX_CParameter", 5, "0 < numSteps");
  ASSERT_EQ(host.assertions.size(), 1u);
  EXPECT_EQ(host.assertions[0], "HMX_CParameter:0 < numSteps:1");
}

} // namespace
