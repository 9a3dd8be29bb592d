// Command line: screenshot path, no-I/O, tokens split at spaces.
#include "standalone/app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, ScreenshotImpliesNoIOAndTakesTheNextToken) {
  struct Case {
    std::vector<const char*> args;
    bool noIO;
    std::string path;
    bool help = false;
  } cases[] = {
      {{"Velmora"}, false, ""},
      {{"Velmora", "--no-io"}, true, ""},
      {{"Velmora", "--screenshot"}, false, ""},
      {{"Velmora", "--screenshot", "/tmp/a.png"}, true, "/tmp/a.png"},
      {{"Velmora", "--screenshot", "/tmp/my shot.png"}, true, "/tmp/my"},
      {{"Velmora", "--bogus", "--no-io", "x"}, true, ""},
      {{"Velmora", "--help"}, false, "", true},
      {{"Velmora", "--no-io", "-h"}, true, "", true},
  };
  for (const Case& c : cases) {
    vlm::CommandLineOptions o = vlm::ParseCommandLine(int(c.args.size()), c.args.data());
    EXPECT_EQ(o.noIO, c.noIO) << c.args.size();
    EXPECT_EQ(o.screenshotPath, c.path);
    EXPECT_EQ(o.help, c.help);
  }
}

} // namespace
