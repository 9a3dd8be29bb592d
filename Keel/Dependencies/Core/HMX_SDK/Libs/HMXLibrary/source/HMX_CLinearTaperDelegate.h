// Linear taper between a minimum and a maximum; real values are rounded to multiples of 1/Resolution.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_ITaperDelegate.h"

#include <algorithm>
#include <cmath>
#include <limits>

template <typename T, int Resolution> class HMX_CLinearTaperDelegate : public HMX_ITaperDelegate<T> {
  static_assert(Resolution >= 1);

public:
  HMX_CLinearTaperDelegate(T minValue, T maxValue) : mMin(minValue), mMax(maxValue) {}

  HMX_ITaperDelegate<T>* Duplicate() const override { return new HMX_CLinearTaperDelegate(*this); }
  T MaxValue() const override { return mMax; }
  T MinValue() const override { return mMin; }

  T ConstrainReal(T value) const override {
    if (mMin == mMax)
      return mMin;
    const double rounded = std::floor(double(value) * Resolution + 0.5) / Resolution;
    return ToT(std::clamp(rounded, double(std::min(mMin, mMax)), double(std::max(mMin, mMax))));
  }

  T NormalizedToReal(double normalized) const override {
    return ConstrainReal(ToT(std::floor((double(mMax) - double(mMin)) * normalized + double(mMin) + 0.5)));
  }

  double RealToNormalized(T value) const override {
    const T constrained = ConstrainReal(value);
    if (mMin == mMax)
      return 0.5;
    return (double(constrained) - double(mMin)) / (double(mMax) - double(mMin));
  }

private:
  // A host may send any double, NaN included: keep the conversion to T defined.
  static T ToT(double value) {
    if constexpr (std::numeric_limits<T>::is_integer) {
      if (!(value >= double(std::numeric_limits<T>::min())))
        return std::numeric_limits<T>::min();
      if (value > double(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    }
    return T(value);
  }

  T mMin;
  T mMax;
};
