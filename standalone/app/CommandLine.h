// The program's command line: "--screenshot" PATH (which implies "--no-io") and "--no-io".
#pragma once

#include <string>

namespace vlm {

struct CommandLineOptions {
  bool noIO = false;
  std::string screenshotPath;
};

// Tokens are separated by runs of spaces, without quoting, as the arguments joined by spaces: a path
// with a space in it is cut at the space. Unknown tokens are ignored.
CommandLineOptions ParseCommandLine(int argc, const char* const* argv);

} // namespace vlm
