// velmora-bankcheck: renders every factory preset through the processor as the editor page loads it and
// prints peak, held level, loudness and the fingerprint distance to its nearest neighbour, then the bank's
// figures. Options:
//   --dir FOLDER    the bank from a folder of <Folder>/<Name>.80p documents instead of the embedded one
//   --resave        with --dir: load each document as the page does and write it back as the program saves it
//   --json FILE     also write the measures as JSON (for the draft script's level staging)
//   --wav FOLDER    also write each preset's phrase as <Folder>/<Name>.wav there
//   --curves        print every sound parameter's real value at normalized 0, 0.001, ..., 1 as JSON
//   --lanes N       processors rendering side by side (default 2, as the level test does; the engine's
//                   random sources run on between presets, so each lane count gives its own histories)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "library/FactoryPresetBank.h"
#include "processor/Velmora.h"
#include "common/EParams.h"
#include "tools/bankcheck/BankRender.h"

namespace fs = std::filesystem;

namespace {

int PrintCurves() {
  const std::unique_ptr<Velmora> p(CreatePluginInstance({}));
  nlohmann::json curves = nlohmann::json::object();
  for (int i = 0; i < vlm::kNumSoundParams; ++i) {
    nlohmann::json values = nlohmann::json::array();
    for (int k = 0; k <= 1000; ++k)
      values.push_back(p->GetParam(i)->FromNormalized(k / 1000.0));
    curves[std::to_string(i)] = {{"name", p->GetParam(i)->GetName()}, {"values", values}};
  }
  std::printf("%s\n", curves.dump().c_str());
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  std::string dir, jsonOut, wavDir;
  bool resave = false;
  int lanes = bankcheck::kDefaultLanes;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--dir" && i + 1 < argc)
      dir = argv[++i];
    else if (arg == "--json" && i + 1 < argc)
      jsonOut = argv[++i];
    else if (arg == "--wav" && i + 1 < argc)
      wavDir = argv[++i];
    else if (arg == "--lanes" && i + 1 < argc)
      lanes = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--resave")
      resave = true;
    else if (arg == "--curves") {
      const fs::path home = fs::temp_directory_path() / ("velmora-bankcheck-" + std::to_string(::getpid()));
      bankcheck::UsePrivateHome(home);
      const int result = PrintCurves();
      fs::remove_all(home);
      return result;
    } else {
      std::fprintf(stderr, "usage: velmora-bankcheck [--dir FOLDER [--resave]] [--json FILE] [--wav FOLDER] "
                           "[--lanes N] | --curves\n");
      return 2;
    }
  }
  const fs::path home = fs::temp_directory_path() / ("velmora-bankcheck-" + std::to_string(::getpid()));
  std::vector<vlm::FactoryPresetRow> rows;
  if (!dir.empty())
    rows = bankcheck::ReadBankFolder(dir);
  else
    rows.assign(vlm::FactoryPresetBank().begin(), vlm::FactoryPresetBank().end());
  const fs::path root = bankcheck::UsePrivateHome(home);
  bankcheck::InstallRows(root, rows);

  if (resave) {
    if (dir.empty()) {
      std::fprintf(stderr, "--resave needs --dir\n");
      return 2;
    }
    // A value read back through a parameter may move by the last digit once; save until nothing changes.
    bankcheck::BankRenderer renderer(root);
    int changed = 0, pass = 0;
    for (bool again = true; again && pass < 4; ++pass) {
      again = false;
      for (auto& row : rows) {
        if (!renderer.Load(row.relativePath)) {
          std::fprintf(stderr, "not a patch document: %s\n", row.relativePath.c_str());
          continue;
        }
        const std::string text = renderer.SavedDocumentText();
        if (text == row.documentText)
          continue;
        row.documentText = text;
        std::ofstream(root / row.relativePath, std::ios::binary) << text;
        std::ofstream(fs::path(dir) / row.relativePath, std::ios::binary) << text;
        changed += pass == 0 ? 1 : 0;
        again = true;
      }
    }
    std::printf("resaved %d of %zu documents in %d passes\n", changed, rows.size(), pass);
    fs::remove_all(home);
    return 0;
  }

  const auto start = std::chrono::steady_clock::now();
  bankcheck::Phrase phrase;
  phrase.keepAudio = !wavDir.empty();
  const auto measures = bankcheck::RenderBank(root, rows, phrase, lanes);
  for (const auto& m : wavDir.empty() ? std::vector<bankcheck::Measure>{} : measures) {
    const fs::path wav = fs::path(wavDir) / fs::path(m.path).replace_extension(".wav");
    fs::create_directories(wav.parent_path());
    bankcheck::WriteWav(wav, m);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double median = bankcheck::MedianLoudness(measures);
  std::printf("%-44s %7s %7s %7s %7s %6s  %s\n", "preset", "note", "chord", "level", "loud", "dist",
              "nearest");
  double worstPeak = -200.0, minLoud = 1e9, maxLoud = -1e9, closest = 1e9;
  size_t closestAt = 0;
  nlohmann::json out = nlohmann::json::array();
  for (size_t i = 0; i < measures.size(); ++i) {
    const auto& m = measures[i];
    const std::string nearest = m.nearest >= 0 ? measures[static_cast<size_t>(m.nearest)].path : "";
    std::printf("%-44s %7.1f %7.1f %7.1f %7.1f %6.2f  %s\n", m.path.c_str(), m.notePeakDb, m.chordPeakDb,
                m.levelDb, m.loudnessDb, m.nearestDistance, nearest.c_str());
    worstPeak = std::max({worstPeak, m.notePeakDb, m.chordPeakDb});
    minLoud = std::min(minLoud, m.loudnessDb);
    maxLoud = std::max(maxLoud, m.loudnessDb);
    if (m.nearestDistance < closest) {
      closest = m.nearestDistance;
      closestAt = i;
    }
    out.push_back({{"path", m.path},
                   {"notePeakDb", m.notePeakDb},
                   {"chordPeakDb", m.chordPeakDb},
                   {"levelDb", m.levelDb},
                   {"loudnessDb", m.loudnessDb},
                   {"nearest", nearest},
                   {"distance", m.nearestDistance}});
  }
  std::printf("\n%zu presets rendered in %.1f s on %d lanes\n", measures.size(), seconds, lanes);
  std::printf("median loudness %.1f dB, spread %+.1f .. %+.1f dB, worst peak %.1f dBFS\n", median,
              minLoud - median, maxLoud - median, worstPeak);
  if (!measures.empty())
    std::printf("closest pair %.2f: %s ~ %s\n", closest, measures[closestAt].path.c_str(),
                measures[static_cast<size_t>(std::max(0, measures[closestAt].nearest))].path.c_str());
  if (!jsonOut.empty())
    std::ofstream(jsonOut) << out.dump(1) << "\n";
  fs::remove_all(home);
  return 0;
}
