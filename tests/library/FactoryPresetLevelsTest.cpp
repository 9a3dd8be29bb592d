// The shipped bank as a player browses it: every preset loaded as the editor page loads it, at the default
// master volume, plays one note and the chord 36, 60, 64, 67 at velocity 100 without passing full scale,
// is never silent, sits within about 6 dB of the bank's median loudness, and saves back unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "library/FactoryPresetBank.h"
#include "tools/bankcheck/BankRender.h"

namespace {

namespace fs = std::filesystem;

constexpr double kSilentDb = -60.0;
constexpr double kLoudnessBandDb = 6.0;
// Two presets closer than this on the fingerprint (dB, RMS over bands and envelope frames) sound alike.
constexpr double kMinDistance = 1.0;

class FactoryPresetLevels : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    home = fs::temp_directory_path() / ("velmora-bank-levels-" + std::to_string(::getpid()));
    root = new fs::path(bankcheck::UsePrivateHome(home));
    bankcheck::InstallRows(*root, vlm::FactoryPresetBank());
  }
  static void TearDownTestSuite() {
    delete root;
    fs::remove_all(home);
  }
  static inline fs::path home;
  static inline fs::path* root = nullptr;
};

TEST_F(FactoryPresetLevels, EveryPresetIsHeardBelowFullScaleWithinTheLoudnessBand) {
  const auto bank = vlm::FactoryPresetBank();
  ASSERT_FALSE(bank.empty());
  const auto measures = bankcheck::RenderBank(*root, bank, bankcheck::Phrase{}, bankcheck::kDefaultLanes);
  const double median = bankcheck::MedianLoudness(measures);
  for (const auto& m : measures) {
    EXPECT_LT(m.notePeakDb, 0.0) << m.path << ": one note passes full scale";
    EXPECT_LT(m.chordPeakDb, 0.0) << m.path << ": the chord passes full scale";
    EXPECT_GT(m.levelDb, kSilentDb) << m.path << ": silent";
    EXPECT_LE(std::abs(m.loudnessDb - median), kLoudnessBandDb)
        << m.path << ": loudness " << m.loudnessDb << " dB against the median " << median << " dB";
    EXPECT_GT(m.nearestDistance, kMinDistance)
        << m.path << " sounds like " << measures[static_cast<size_t>(m.nearest)].path;
  }
}

// A factory preset opened and saved again is the same document: what ships is what the program writes.
TEST_F(FactoryPresetLevels, EveryPresetSavesBackAsTheSameDocument) {
  bankcheck::BankRenderer renderer(*root);
  for (const auto& row : vlm::FactoryPresetBank()) {
    ASSERT_TRUE(renderer.Load(row.relativePath)) << row.relativePath;
    EXPECT_EQ(row.documentText, renderer.SavedDocumentText()) << row.relativePath;
  }
}

} // namespace
