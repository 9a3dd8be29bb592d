// The program's command line: "--screenshot" PATH (which implies "--no-io"), "--no-io" and "--help".
#pragma once

#include <string>

namespace vlm {

struct CommandLineOptions {
  bool help = false; // "--help" or "-h": print the usage and exit
  bool noIO = false;
  std::string screenshotPath;
};

// Tokens are separated by runs of spaces, without quoting, as the arguments joined by spaces: a path
// with a space in it is cut at the space. Unknown tokens are ignored.
CommandLineOptions ParseCommandLine(int argc, const char* const* argv);

// The options the program knows, for "--help".
const char* CommandLineUsage();

} // namespace vlm
