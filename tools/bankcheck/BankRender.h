// Renders bank presets through the processor exactly as the editor page loads them, and measures what a
// player hears while browsing: peak, held level, loudness and a fingerprint of spectrum and level envelope.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "library/FactoryPresetBank.h"

class Velmora;

namespace bankcheck {

// The phrase every preset plays at velocity 100: one note, then the chord 36, 60, 64, 67.
struct Phrase {
  double noteSeconds = 0.5;
  double noteTailSeconds = 0.25;
  double chordSeconds = 1.2;
  double chordTailSeconds = 0.35;
  bool keepAudio = false; // keep the rendered phrase in the measure (for listening)
};

struct Measure {
  std::string path;
  double notePeakDb = -200.0;  // highest sample of the single note (and its tail), dBFS
  double chordPeakDb = -200.0; // highest sample of the chord (and its tail), dBFS
  double levelDb = -200.0;     // RMS of the held chord, dBFS
  double loudnessDb = -200.0;  // highest 400 ms K-weighted loudness of the whole phrase, dB (LUFS-like)
  std::vector<double> fingerprint;
  int nearest = -1; // index of the closest preset by fingerprint
  double nearestDistance = 0.0;
  std::vector<double> left, right; // the phrase, when asked for
};

// Owns a processor and a private preset root (with its own HOME); loads presets from that root by the
// page's "loadPatch" action. Threads: one thread per instance; loads are serialised across instances.
class BankRenderer {
public:
  explicit BankRenderer(const std::filesystem::path& root);
  ~BankRenderer();
  BankRenderer(const BankRenderer&) = delete;
  BankRenderer& operator=(const BankRenderer&) = delete;

  // Every parameter at its default (master volume included), then the preset as the page loads it.
  bool Load(const std::string& relativePath);
  Measure Render(const std::string& relativePath, const Phrase& phrase);
  // The document the program would save now (after Load).
  std::string SavedDocumentText();
  Velmora& Processor() { return *mProcessor; }

private:
  std::filesystem::path mRoot;
  Velmora* mProcessor;
};

// Points HOME and the XDG folders at `home` (documents, settings), so the processor's preset root is
// home/Documents/Velmora; returns that root. Call before the first processor is made.
std::filesystem::path UsePrivateHome(const std::filesystem::path& home);

// Installs rows into the root (nothing that exists is touched).
void InstallRows(const std::filesystem::path& root, std::span<const vlm::FactoryPresetRow> rows);

// Every .80p under a folder, one folder deep, as bank rows in byte order of their paths.
std::vector<vlm::FactoryPresetRow> ReadBankFolder(const std::filesystem::path& folder);

// Renders every row on `lanes` processors side by side, lane k taking rows k, k + lanes, ... in order;
// results in row order, nearest neighbours filled in. The same lane count gives the same measures.
std::vector<Measure> RenderBank(const std::filesystem::path& root,
                                std::span<const vlm::FactoryPresetRow> rows, const Phrase& phrase, int lanes);

// The lane count of the bank's level test and the tool's default, so that both measure alike.
inline constexpr int kDefaultLanes = 2;

double FingerprintDistance(const std::vector<double>& a, const std::vector<double>& b);

double MedianLoudness(const std::vector<Measure>& measures);

// The measure's phrase as a 32-bit float stereo WAV file at 48 kHz.
bool WriteWav(const std::filesystem::path& path, const Measure& measure);

} // namespace bankcheck
