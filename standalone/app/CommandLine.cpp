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
    } else if (tokens[i] == "--help" || tokens[i] == "-h") {
      options.help = true;
    }
  }
  if (!options.screenshotPath.empty()) options.noIO = true;
  return options;
}

const char* CommandLineUsage() {
  return "Usage: Velmora [--no-io] [--screenshot PATH] [--help]\n"
         "  --no-io            start without audio and MIDI devices\n"
         "  --screenshot PATH  start without audio and MIDI, save the editor as a PNG picture at PATH\n"
         "                     (cut at the first space) and quit\n"
         "  --help, -h         print this text and exit\n"
         "Environment:\n"
         "  VLM_DUMP_SCHEMA_PATH, VLM_DUMP_CURVES_PATH  write the parameter schema and curves to these\n"
         "                     files and exit (no display needed)\n";
}

} // namespace vlm
