// Polyphase half-band low-pass that halves the rate of an oversampled stream, built from two allpass
// branches.
#pragma once

#include <array>
#include <cstddef>

// Two chains of first-order allpass sections (c + z^-1) / (1 + c z^-1). Chain A holds the even-indexed
// coefficients and takes the later sample of each pair; chain B holds the odd-indexed ones and takes the
// earlier sample. The half-sample offset between the chains is what makes their sum a low-pass, so the
// branch order matters: swapped branches still pass DC but leave the stopband wide open.
template <std::size_t kCoefficientCount> class HalfbandStage {
  static_assert(kCoefficientCount % 2 == 0 && kCoefficientCount >= 2, "two equal branches");

public:
  static constexpr std::size_t kSectionsPerBranch = kCoefficientCount / 2;

  // Coefficients and histories all start at zero; the owner loads the coefficients once.
  void SetCoefficients(const std::array<double, kCoefficientCount>& coefficients) noexcept {
    mCoefficients = coefficients;
  }
  const std::array<double, kCoefficientCount>& Coefficients() const noexcept { return mCoefficients; }

  // Clears the histories only, so the next output depends on new samples alone.
  void Reset() noexcept {
    mX1.fill(0.0);
    mY1.fill(0.0);
  }

  // One output sample from a time-ordered pair of input samples.
  double Process(double earlier, double later) noexcept {
    double a = later;
    double b = earlier;
    for (std::size_t k = 0; k < kSectionsPerBranch; ++k) {
      a = Section(2 * k, a);
      b = Section(2 * k + 1, b);
    }
    return (a + b) * 0.5;
  }

private:
  double Section(std::size_t i, double x) noexcept {
    const double y = (x - mY1[i]) * mCoefficients[i] + mX1[i];
    mX1[i] = x;
    mY1[i] = y;
    return y;
  }

  std::array<double, kCoefficientCount> mCoefficients{};
  std::array<double, kCoefficientCount> mX1{};
  std::array<double, kCoefficientCount> mY1{};
};

// The twelve-coefficient stage that brings 2x down to the output rate (and the last step of 4x).
using HalfbandDecimator = HalfbandStage<12>;
// The four-coefficient stage in front of it for 4x; its transition band may be wide because whatever
// it lets through near its band edge lands in the stopband of the following stage.
using HalfbandFirstStage = HalfbandStage<4>;

// Designed coefficients (elliptic-style half-band; roughly 100 dB stopband for the twelve-section stage).
inline constexpr std::array<double, 12> kHalfbandDecimatorCoefficients = {
    0.036681502163648017, 0.13654762463195794, 0.27463175937945444, 0.4231386174365671,
    0.5610986978791953,   0.6775400499741618,  0.769741833863227,   0.8398896248496389,
    0.892260818003879,    0.9315419599631839,  0.9620945483780842,  0.9878163707328959};

inline constexpr std::array<double, 4> kHalfbandFirstStageCoefficients = {
    0.04189399199765617, 0.168903482439952, 0.39056077292116603, 0.7438957482684793};
