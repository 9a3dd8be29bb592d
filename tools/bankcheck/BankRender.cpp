// Loads presets through the page's "loadPatch" action on a fresh-state processor, plays a fixed phrase and
// measures it. The loudness follows the K-weighting of broadcast loudness meters (two biquads at 48 kHz),
// momentary windows of 400 ms; the fingerprint is third-octave band levels of the chord, the stereo side
// share, the level envelope of the whole phrase and the movement of the held chord.
#include "tools/bankcheck/BankRender.h"
#include "engine/util/Biquad.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "common/EParams.h"
#include "library/FactoryPresets.h"
#include "library/FileIO.h"
#include "library/PatchDocument.h"
#include "processor/Velmora.h"
#include "processor/librarian/VelmoraPresets.h"

namespace bankcheck {

namespace fs = std::filesystem;

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 64;
constexpr double kSettleSeconds = 0.1; // the load's output mute and the parameters' smoothing
constexpr int kVelocity = 100;
constexpr int kChord[] = {36, 60, 64, 67};
constexpr double kFloorDb = -120.0;

std::mutex& LoadMutex() {
  static std::mutex m;
  return m;
}

double ToDb(double x) {
  return x > 1e-12 ? 20.0 * std::log10(x) : kFloorDb;
}
double PowerToDb(double p) {
  return p > 1e-24 ? 10.0 * std::log10(p) : kFloorDb;
}

void Midi(Velmora& p, int status, int d1, int d2) {
  p.ProcessMidiMsg(
      keel::MidiMsg(0, static_cast<uint8_t>(status), static_cast<uint8_t>(d1), static_cast<uint8_t>(d2)));
}

struct Audio {
  std::vector<double> left, right;
};

void RenderInto(Velmora& p, Audio& out, double seconds) {
  const int frames = static_cast<int>(seconds * kRate);
  const size_t at = out.left.size();
  out.left.resize(at + static_cast<size_t>(frames));
  out.right.resize(at + static_cast<size_t>(frames));
  for (int i = 0; i < frames; i += kBlock) {
    double* outputs[2] = {out.left.data() + at + i, out.right.data() + at + i};
    p.ProcessBlock(nullptr, outputs, std::min(kBlock, frames - i));
  }
}

double Peak(const Audio& a, size_t from, size_t to) {
  double peak = 0.0;
  for (size_t i = from; i < to; ++i)
    peak = std::max({peak, std::abs(a.left[i]), std::abs(a.right[i])});
  return peak;
}

// One biquad in direct form I.
// K-weighting at 48 kHz: a high shelf of about +4 dB above 1.5 kHz, then a high-pass near 38 Hz.
std::vector<double> KWeightedPower(const Audio& a) {
  std::vector<double> power(a.left.size());
  Biquad shelf[2], highPass[2];
  for (int c = 0; c < 2; ++c) {
    shelf[c] = {1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241, 0.73248077421585};
    highPass[c] = {1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621};
  }
  for (size_t i = 0; i < power.size(); ++i) {
    const double l = highPass[0].Process(shelf[0].Process(a.left[i]));
    const double r = highPass[1].Process(shelf[1].Process(a.right[i]));
    power[i] = l * l + r * r;
  }
  return power;
}

double MomentaryMaxDb(const std::vector<double>& power) {
  const size_t window = static_cast<size_t>(0.4 * kRate);
  const size_t hop = static_cast<size_t>(0.05 * kRate);
  double best = 0.0;
  for (size_t start = 0; start + window <= power.size(); start += hop) {
    double sum = 0.0;
    for (size_t i = start; i < start + window; ++i)
      sum += power[i];
    best = std::max(best, sum / static_cast<double>(window));
  }
  return PowerToDb(best) - 0.691;
}

void Fft(std::vector<std::complex<double>>& x) {
  const size_t n = x.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1)
      j ^= bit;
    j ^= bit;
    if (i < j)
      std::swap(x[i], x[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const double angle = -2.0 * M_PI / static_cast<double>(len);
    const std::complex<double> step(std::cos(angle), std::sin(angle));
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> w(1.0);
      for (size_t k = 0; k < len / 2; ++k) {
        const std::complex<double> u = x[i + k], v = x[i + k + len / 2] * w;
        x[i + k] = u + v;
        x[i + k + len / 2] = u - v;
        w *= step;
      }
    }
  }
}

// Third-octave band levels of the mid signal between from and to, relative to their total; then the side
// share of the same span.
void AppendSpectrum(const Audio& a, size_t from, size_t to, std::vector<double>& print) {
  constexpr size_t kN = 4096;
  std::vector<double> spectrum(kN / 2, 0.0);
  double mid = 0.0, side = 0.0;
  std::vector<std::complex<double>> frame(kN);
  for (size_t start = from; start + kN <= to; start += kN / 2) {
    for (size_t i = 0; i < kN; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / kN);
      const double m = 0.5 * (a.left[start + i] + a.right[start + i]);
      const double s = 0.5 * (a.left[start + i] - a.right[start + i]);
      mid += m * m;
      side += s * s;
      frame[i] = w * m;
    }
    Fft(frame);
    for (size_t k = 0; k < kN / 2; ++k)
      spectrum[k] += std::norm(frame[k]);
  }
  std::vector<double> bands;
  double total = 0.0;
  for (double low = 40.0; low < 16000.0; low *= std::pow(2.0, 1.0 / 3.0)) {
    const double high = low * std::pow(2.0, 1.0 / 3.0);
    double sum = 0.0;
    for (size_t k = 1; k < kN / 2; ++k) {
      const double f = static_cast<double>(k) * kRate / kN;
      if (f >= low && f < high)
        sum += spectrum[k];
    }
    bands.push_back(sum);
    total += sum;
  }
  for (const double b : bands)
    print.push_back(std::max(-60.0, PowerToDb(b / std::max(total, 1e-30))));
  print.push_back(std::max(-40.0, PowerToDb(side / std::max(mid + side, 1e-30))));
}

// How much the held chord moves: the spread of its 10 ms levels (tremolo, gating) and of its band levels
// from one 43 ms frame to the next (filter sweeps, vibrato, phasing). Each counts as four entries, so that
// movement weighs about as much as a part of the spectrum does.
void AppendMotion(const Audio& a, size_t from, size_t to, std::vector<double>& print) {
  const size_t frame = static_cast<size_t>(0.01 * kRate);
  std::vector<double> levels;
  for (size_t start = from; start + frame <= to; start += frame) {
    double sum = 0.0;
    for (size_t i = start; i < start + frame; ++i)
      sum += a.left[i] * a.left[i] + a.right[i] * a.right[i];
    levels.push_back(std::max(-80.0, PowerToDb(sum / static_cast<double>(frame))));
  }
  double mean = 0.0, spread = 0.0;
  for (const double l : levels)
    mean += l / static_cast<double>(std::max<size_t>(1, levels.size()));
  for (const double l : levels)
    spread += (l - mean) * (l - mean) / static_cast<double>(std::max<size_t>(1, levels.size()));

  constexpr size_t kN = 2048;
  std::vector<std::vector<double>> frames;
  std::vector<std::complex<double>> x(kN);
  for (size_t start = from; start + kN <= to; start += kN) {
    for (size_t i = 0; i < kN; ++i)
      x[i] = (0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / kN)) * 0.5 *
             (a.left[start + i] + a.right[start + i]);
    Fft(x);
    std::vector<double> bands;
    for (size_t low = 2; low < kN / 2; low *= 2) {
      double sum = 0.0;
      for (size_t k = low; k < 2 * low && k < kN / 2; ++k)
        sum += std::norm(x[k]);
      bands.push_back(std::max(-80.0, PowerToDb(sum)));
    }
    frames.push_back(std::move(bands));
  }
  double flux = 0.0;
  for (size_t f = 1; f < frames.size(); ++f)
    for (size_t b = 0; b < frames[f].size(); ++b)
      flux += std::abs(frames[f][b] - frames[f - 1][b]) /
              static_cast<double>((frames.size() - 1) * frames[f].size());
  for (int copy = 0; copy < 4; ++copy) {
    print.push_back(std::min(20.0, 2.0 * std::sqrt(spread)));
    print.push_back(std::min(20.0, 2.0 * flux));
  }
}

// Level in 100 ms frames relative to the loudest frame.
void AppendEnvelope(const Audio& a, std::vector<double>& print) {
  const size_t frame = static_cast<size_t>(0.1 * kRate);
  std::vector<double> levels;
  for (size_t start = 0; start + frame <= a.left.size(); start += frame) {
    double sum = 0.0;
    for (size_t i = start; i < start + frame; ++i)
      sum += a.left[i] * a.left[i] + a.right[i] * a.right[i];
    levels.push_back(PowerToDb(sum / static_cast<double>(frame)));
  }
  const double top = levels.empty() ? 0.0 : *std::max_element(levels.begin(), levels.end());
  for (const double l : levels)
    print.push_back(std::max(-60.0, l - top));
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace

fs::path UsePrivateHome(const fs::path& home) {
  fs::create_directories(home / "tmp");
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home / ".local" / "share").c_str(), 1);
  for (const char* name : {"TEMP", "TMP", "TMPDIR"})
    ::setenv(name, (home / "tmp").c_str(), 1);
  const fs::path root = home / "Documents" / "Velmora";
  fs::create_directories(root);
  return root;
}

void InstallRows(const fs::path& root, std::span<const vlm::FactoryPresetRow> rows) {
  vlm::SyncFactoryPresets(root, root.parent_path().parent_path() / "install-record.json", rows);
}

std::vector<vlm::FactoryPresetRow> ReadBankFolder(const fs::path& folder) {
  std::vector<vlm::FactoryPresetRow> rows;
  for (const auto& dir : fs::directory_iterator(folder)) {
    if (!dir.is_directory())
      continue;
    for (const auto& file : fs::directory_iterator(dir.path()))
      if (file.is_regular_file() && file.path().extension() == ".80p")
        rows.push_back(
            {dir.path().filename().string() + "/" + file.path().filename().string(), ReadText(file.path())});
  }
  std::sort(rows.begin(), rows.end(),
            [](const auto& a, const auto& b) { return a.relativePath < b.relativePath; });
  return rows;
}

BankRenderer::BankRenderer(const fs::path& root) : mRoot(root), mProcessor(CreatePluginInstance({})) {
  mProcessor->SetBlockSize(kBlock);
  mProcessor->SetSampleRate(kRate);
}

BankRenderer::~BankRenderer() {
  delete mProcessor;
}

bool BankRenderer::Load(const std::string& relativePath) {
  Velmora& p = *mProcessor;
  // A fresh start: every parameter at its default, neutral controllers, the stream reset.
  for (int i = 0; i < vlm::kNumParams; ++i)
    p.GetParam(i)->Set(p.GetParam(i)->GetDefault());
  p.OnParamReset(keel::kReset);
  p.TakeStateRestored();
  Midi(p, 0xB0, 123, 0);
  Midi(p, 0xE0, 0, 64);
  p.OnReset();
  // The page's request fails without a sound change when the document is not a patch; tell that apart.
  nlohmann::json document;
  std::string error;
  if (!vlm::ReadPatchDocument(mRoot / vlm::Utf8ToPath(relativePath), document, error))
    return false;
  std::lock_guard<std::mutex> lock(LoadMutex());
  const nlohmann::json request = {{"operation", "loadPatch"}, {"path", relativePath}};
  vlm::HandlePresetAction(p, request.dump(), vlm::PresetDialogs{});
  return true;
}

Measure BankRenderer::Render(const std::string& relativePath, const Phrase& phrase) {
  Measure m;
  m.path = relativePath;
  if (!Load(relativePath))
    return m;
  Velmora& p = *mProcessor;
  Audio audio;
  RenderInto(p, audio, kSettleSeconds);
  const size_t noteStart = audio.left.size();
  Midi(p, 0x90, 60, kVelocity);
  RenderInto(p, audio, phrase.noteSeconds);
  Midi(p, 0x80, 60, 0);
  RenderInto(p, audio, phrase.noteTailSeconds);
  const size_t chordStart = audio.left.size();
  for (const int note : kChord)
    Midi(p, 0x90, note, kVelocity);
  RenderInto(p, audio, phrase.chordSeconds);
  const size_t chordRelease = audio.left.size();
  for (const int note : kChord)
    Midi(p, 0x80, note, 0);
  RenderInto(p, audio, phrase.chordTailSeconds);
  Midi(p, 0xB0, 123, 0);

  m.notePeakDb = ToDb(Peak(audio, noteStart, chordStart));
  m.chordPeakDb = ToDb(Peak(audio, chordStart, audio.left.size()));
  const size_t heldFrom = chordStart + static_cast<size_t>(0.2 * kRate);
  double sum = 0.0;
  for (size_t i = heldFrom; i < chordRelease; ++i)
    sum += 0.5 * (audio.left[i] * audio.left[i] + audio.right[i] * audio.right[i]);
  m.levelDb = PowerToDb(sum / static_cast<double>(std::max<size_t>(1, chordRelease - heldFrom)));
  Audio played{{audio.left.begin() + static_cast<long>(noteStart), audio.left.end()},
               {audio.right.begin() + static_cast<long>(noteStart), audio.right.end()}};
  m.loudnessDb = MomentaryMaxDb(KWeightedPower(played));
  AppendSpectrum(audio, chordStart, audio.left.size(), m.fingerprint);
  AppendEnvelope(played, m.fingerprint);
  AppendMotion(audio, heldFrom, chordRelease, m.fingerprint);
  if (phrase.keepAudio) {
    m.left = std::move(audio.left);
    m.right = std::move(audio.right);
  }
  return m;
}

std::string BankRenderer::SavedDocumentText() {
  return vlm::JsonFileText(vlm::BuildPatchDocument(*mProcessor));
}

double FingerprintDistance(const std::vector<double>& a, const std::vector<double>& b) {
  const size_t n = std::min(a.size(), b.size());
  double sum = 0.0;
  for (size_t i = 0; i < n; ++i)
    sum += (a[i] - b[i]) * (a[i] - b[i]);
  return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

std::vector<Measure> RenderBank(const fs::path& root, std::span<const vlm::FactoryPresetRow> rows,
                                const Phrase& phrase, int lanes) {
  // The engine's noise, random LFOs and voice drift run on from one note to the next, so a render depends
  // on what the processor played before. Each lane renders a fixed share in a fixed order: the measures
  // depend on the lane count only, never on timing.
  std::vector<Measure> measures(rows.size());
  auto lane = [&](size_t first, size_t step) {
    BankRenderer renderer(root);
    for (size_t i = first; i < rows.size(); i += step)
      measures[i] = renderer.Render(rows[i].relativePath, phrase);
  };
  const size_t count = static_cast<size_t>(std::max(1, lanes));
  std::vector<std::thread> pool;
  for (size_t k = 1; k < count; ++k)
    pool.emplace_back(lane, k, count);
  lane(0, count);
  for (auto& t : pool)
    t.join();
  for (size_t i = 0; i < measures.size(); ++i) {
    for (size_t j = 0; j < measures.size(); ++j) {
      if (i == j)
        continue;
      const double d = FingerprintDistance(measures[i].fingerprint, measures[j].fingerprint);
      if (measures[i].nearest < 0 || d < measures[i].nearestDistance) {
        measures[i].nearest = static_cast<int>(j);
        measures[i].nearestDistance = d;
      }
    }
  }
  return measures;
}

double MedianLoudness(const std::vector<Measure>& measures) {
  std::vector<double> values;
  for (const auto& m : measures)
    values.push_back(m.loudnessDb);
  if (values.empty())
    return kFloorDb;
  std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
  return values[values.size() / 2];
}

bool WriteWav(const fs::path& path, const Measure& measure) {
  std::ofstream out(path, std::ios::binary);
  const auto put32 = [&out](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  const auto put16 = [&out](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  const uint32_t frames = static_cast<uint32_t>(measure.left.size());
  out << "RIFF";
  put32(36 + frames * 8);
  out << "WAVEfmt ";
  put32(16);
  put16(3); // IEEE float
  put16(2);
  put32(48000);
  put32(48000 * 8);
  put16(8);
  put16(32);
  out << "data";
  put32(frames * 8);
  for (uint32_t i = 0; i < frames; ++i) {
    const float frame[2] = {static_cast<float>(measure.left[i]), static_cast<float>(measure.right[i])};
    out.write(reinterpret_cast<const char*>(frame), sizeof frame);
  }
  return static_cast<bool>(out);
}

} // namespace bankcheck
