// Command line tokens.
#include "standalone/app/CommandLine.h"

#include <sstream>
#include <vector>

namespace vlm {

CommandLineOptions ParseCommandLine(int argc, const char* const* argv) {
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) joined += ' ';
    joined += argv[i] ? argv[i] : "";
  }
  std::vector<std::string> tokens;
  std::istringstream in(joined);
  for (std::string token; std::getline(in, token, ' ');)
    if (!token.empty()) tokens.push_back(token);

  CommandLineOptions options;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i] == "--screenshot") {
      if (i + 1 < tokens.size()) options.screenshotPath = tokens[++i];
    } else if (tokens[i] == "--no-io") {
      options.noIO = true;
    }
  }
  if (!options.screenshotPath.empty()) options.noIO = true;
  return options;
}

} // namespace vlm
