// Program log: line format, rotation at the first line, the 1023-byte cut, retries and concurrent writers.
#include "common/Logger.h"

#include "Keel/Platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <regex>
#include <sstream>
#include <sys/resource.h>
#include <thread>
#include <vector>

using testutil::ReadFile;
using testutil::ScopedEnv;
using testutil::ScratchFolder;
using testutil::WriteFile;

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

const std::regex kLine(R"(\[\d\d:\d\d:\d\d\.\d\d\d\] (.*))");

} // namespace

class LoggerTest : public ::testing::Test {
protected:
  void SetUp() override {
    env.Set("TEMP", dir.Path());
    env.Unset("TMP");
  }
  std::string LogText() { return ReadFile(dir / "velmora.log"); }
  ScratchFolder dir;
  ScopedEnv env;
};

TEST_F(LoggerTest, FirstLineRotatesTheFilesAndStartsWithTheBanner) {
  WriteFile(dir / "velmora.log", "last run\n");
  WriteFile(dir / "velmora-prev.log", "run before last\n");
  Logger log;
  log.Log("InitMidi: %d ports, %s", 3, "ok");
  log.Log("second");
  EXPECT_EQ(ReadFile(dir / "velmora-prev.log"), "last run\n");
  const auto lines = Lines(LogText());
  ASSERT_EQ(lines.size(), 3u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines[0], m, kLine)) << lines[0];
  EXPECT_EQ(m[1].str(), "===== Velmora logger opened (" + dir.Path() + "/velmora.log) =====");
  ASSERT_TRUE(std::regex_match(lines[1], m, kLine)) << lines[1];
  EXPECT_EQ(m[1].str(), "InitMidi: 3 ports, ok");
  EXPECT_EQ(log.LogFilePath(), dir / "velmora.log");
}

TEST_F(LoggerTest, TimestampIsTheLocalTimeOfDay) {
  ScopedEnv tz;
  tz.Set("TZ", "IST-5:30"); // a half-hour offset catches hour-only or sign mistakes
  tzset();
  for (int attempt = 0; attempt < 5; ++attempt) {
    const std::time_t before = std::time(nullptr);
    char stamp[64];
    FormatLogTimestamp(stamp, sizeof stamp);
    if (std::time(nullptr) != before)
      continue; // a second boundary passed: try again
    std::tm local{};
    localtime_r(&before, &local);
    char expected[16];
    std::strftime(expected, sizeof expected, "%H:%M:%S.", &local);
    EXPECT_EQ(std::string(stamp).substr(0, 9), expected);
    EXPECT_EQ(std::strlen(stamp), 12u);
    break;
  }
  tz.Unset("TZ");
  tzset();
}

TEST_F(LoggerTest, LongMessagesAreCutTo1023Bytes) {
  Logger log;
  log.Log("%s", std::string(2000, 'x').c_str());
  const auto lines = Lines(LogText());
  ASSERT_EQ(lines.size(), 2u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines[1], m, kLine));
  EXPECT_EQ(m[1].str(), std::string(1023, 'x'));
}

TEST_F(LoggerTest, LinesAreDroppedWhileTheFolderIsMissingAndTheOpenIsRetried) {
  env.Set("TEMP", dir / "missing");
  Logger log;
  log.Log("lost");
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
  std::filesystem::create_directory(dir / "missing");
  WriteFile(dir / "missing/velmora.log", "old\n");
  log.Log("kept");
  EXPECT_EQ(ReadFile(dir / "missing/velmora-prev.log"), "old\n");
  const std::string text = ReadFile(dir / "missing/velmora.log");
  EXPECT_EQ(text.find("lost"), std::string::npos);
  EXPECT_NE(text.find("] kept\n"), std::string::npos);
}

TEST_F(LoggerTest, AFailedOpenAfterTheRotationKeepsThePreviousRunsLog) {
  WriteFile(dir / "velmora.log", "last run\n");
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit none = saved;
  none.rlim_cur = 0; // every open fails, while renaming still works
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
  Logger log;
  log.Log("first try");
  log.Log("second try");
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
  log.Log("third try");
  EXPECT_EQ(ReadFile(dir / "velmora-prev.log"), "last run\n");
  const auto lines = Lines(LogText());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("===== Velmora logger opened"), std::string::npos);
  EXPECT_NE(lines[1].find("] third try"), std::string::npos);
}

TEST_F(LoggerTest, ConcurrentWritersNeverMixLines) {
  Logger log;
  constexpr int kThreads = 8, kLines = 250;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&log, t] {
      for (int i = 0; i < kLines; ++i)
        log.Log("thread %d line %d %s", t, i, std::string(100, 'a' + t).c_str());
    });
  for (auto& th : threads)
    th.join();
  const auto lines = Lines(LogText());
  ASSERT_EQ(lines.size(), 1u + kThreads * kLines);
  const std::regex body(R"(thread (\d) line (\d+) ([a-h])+)");
  std::vector<int> next(kThreads, 0);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::smatch m, b;
    ASSERT_TRUE(std::regex_match(lines[i], m, kLine)) << lines[i];
    const std::string text = m[1].str();
    ASSERT_TRUE(std::regex_match(text, b, body)) << text;
    const int t = std::stoi(b[1].str());
    EXPECT_EQ(std::stoi(b[2].str()), next[t]++); // each thread's lines keep their order
    EXPECT_EQ(text.substr(text.size() - 100), std::string(100, static_cast<char>('a' + t)));
  }
}

TEST_F(LoggerTest, ProcessLogIsOneObject) {
  EXPECT_EQ(&GetLogger(), &GetLogger());
}

TEST_F(LoggerTest, SignalPathWritesToTheOpenProcessLogOnly) {
  // Before the process log has opened, a line from a signal handler has nowhere to go.
  Logger::WriteFromSignal("early", 5);
  GetLogger().Log("opened");
  Logger::WriteFromSignal("FATAL: test", 11);
  const auto lines = Lines(ReadFile(GetLogger().LogFilePath()));
  ASSERT_GE(lines.size(), 2u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines.back(), m, kLine)) << lines.back();
  EXPECT_EQ(m[1].str(), "FATAL: test");
  EXPECT_EQ(ReadFile(GetLogger().LogFilePath()).find("early"), std::string::npos);
}
