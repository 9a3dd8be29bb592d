// Delay lines for the effects: every read wraps by the line's real length, so no delay value
// (a stale sample count after a rate change, a NaN, a huge modulation) can read outside the line.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace vlm::dsp {

// Reads "delay samples behind the write index" on a ring of any length. The write index is the
// slot the current sample was (or is about to be) written to, so a delay of 0 reads that slot.
namespace delay_read {

// Position `delay` whole samples behind `write` on a ring of `length`; delay must be below length.
constexpr std::size_t Behind(std::size_t write, std::size_t delay, std::size_t length) noexcept {
  return write >= delay ? write - delay : write + length - delay;
}

// Holds a delay within lo..hi; NaN becomes lo.
constexpr double HoldDelay(double delay, double lo, double hi) noexcept {
  if (!(delay >= lo))
    return lo;
  return delay > hi ? hi : delay;
}

// Whole-sample read; the delay is held within 0..length-1.
inline double Tap(std::span<const double> line, std::size_t write, std::size_t delay) noexcept {
  const std::size_t n = line.size();
  if (n == 0)
    return 0.0;
  if (delay >= n)
    delay = n - 1;
  return line[Behind(write, delay, n)];
}

// Linear interpolation between the samples floor(delay) and floor(delay)+1 behind the write index;
// the delay is held within 0..length-2.
inline double Linear(std::span<const double> line, std::size_t write, double delay) noexcept {
  const std::size_t n = line.size();
  if (n < 2)
    return n == 1 ? line[0] : 0.0;
  const double d = HoldDelay(delay, 0.0, static_cast<double>(n - 2));
  const auto whole = static_cast<std::size_t>(d);
  const double frac = d - static_cast<double>(whole);
  const std::size_t i0 = Behind(write, whole, n);
  const std::size_t i1 = i0 == 0 ? n - 1 : i0 - 1;
  const double y0 = line[i0];
  return y0 + frac * (line[i1] - y0);
}

// Four-point Catmull-Rom read: y0 is floor(delay) behind the write index, y1 one further back,
// y-1 one nearer, y2 two further; the delay is held within 1..length-3.
inline double Cubic(std::span<const double> line, std::size_t write, double delay) noexcept {
  const std::size_t n = line.size();
  if (n < 4)
    return Linear(line, write, delay);
  const double d = HoldDelay(delay, 1.0, static_cast<double>(n - 3));
  const auto whole = static_cast<std::size_t>(d);
  const double t = d - static_cast<double>(whole);
  const std::size_t i0 = Behind(write, whole, n);
  const std::size_t im1 = i0 + 1 == n ? 0 : i0 + 1;
  const std::size_t i1 = i0 == 0 ? n - 1 : i0 - 1;
  const std::size_t i2 = i1 == 0 ? n - 1 : i1 - 1;
  const double ym1 = line[im1], y0 = line[i0], y1 = line[i1], y2 = line[i2];
  return y0 + t * (0.5 * (y1 - ym1) +
                   t * ((ym1 - 2.5 * y0 + 2.0 * y1 - 0.5 * y2) + t * (1.5 * (y0 - y1) + 0.5 * (y2 - ym1))));
}

} // namespace delay_read

// A ring of N doubles held by value (no allocation ever) with its own write index.
// Usual use per sample: Write(x), read taps, Advance() - or read first, then Write and Advance.
template <std::size_t N> class FixedDelayLine {
  static_assert(N >= 4, "a delay line needs room for a cubic read");

public:
  static constexpr std::size_t Length() noexcept { return N; }

  void Clear() noexcept {
    mData.fill(0.0);
    mWrite = 0;
  }
  void Write(double x) noexcept { mData[mWrite] = x; }
  void Advance() noexcept { mWrite = mWrite + 1 == N ? 0 : mWrite + 1; }
  std::size_t WriteIndex() const noexcept { return mWrite; }

  double Tap(std::size_t delay) const noexcept { return delay_read::Tap(mData, mWrite, delay); }
  double ReadLinear(double delay) const noexcept { return delay_read::Linear(mData, mWrite, delay); }
  double ReadCubic(double delay) const noexcept { return delay_read::Cubic(mData, mWrite, delay); }

private:
  std::array<double, N> mData{};
  std::size_t mWrite = 0;
};

// A ring whose length is chosen in Prepare (Resize); never resized while rendering.
// Memory grows only when the new length is above the capacity; the reads wrap by the length in use.
class HeapDelayLine {
public:
  // Prepare only: may allocate. Sets the length in use, clears the line and the write index.
  void Resize(std::size_t length) {
    if (mStore.size() < length)
      mStore.resize(length);
    mLength = length;
    Clear();
  }
  // Frees the memory (destruction or an owner that no longer needs the line).
  void Release() noexcept {
    std::vector<double>().swap(mStore);
    mLength = 0;
    mWrite = 0;
  }

  std::size_t Length() const noexcept { return mLength; }
  std::size_t Capacity() const noexcept { return mStore.size(); }

  void Clear() noexcept {
    for (std::size_t i = 0; i < mLength; ++i)
      mStore[i] = 0.0;
    mWrite = 0;
  }
  void Write(double x) noexcept {
    if (mLength != 0)
      mStore[mWrite] = x;
  }
  void Advance() noexcept {
    if (mLength != 0)
      mWrite = mWrite + 1 >= mLength ? 0 : mWrite + 1;
  }
  std::size_t WriteIndex() const noexcept { return mWrite; }

  double Tap(std::size_t delay) const noexcept { return delay_read::Tap(View(), mWrite, delay); }
  double ReadLinear(double delay) const noexcept { return delay_read::Linear(View(), mWrite, delay); }
  double ReadCubic(double delay) const noexcept { return delay_read::Cubic(View(), mWrite, delay); }

private:
  std::span<const double> View() const noexcept { return {mStore.data(), mLength}; }

  std::vector<double> mStore;
  std::size_t mLength = 0;
  std::size_t mWrite = 0;
};

} // namespace vlm::dsp
