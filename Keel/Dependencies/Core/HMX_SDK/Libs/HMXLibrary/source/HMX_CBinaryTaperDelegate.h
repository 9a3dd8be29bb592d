// Taper of an on/off parameter: false is 0, true is 1, and any normalized value above 0 is true.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_ITaperDelegate.h"

template <typename T> class HMX_CBinaryTaperDelegate;

template <> class HMX_CBinaryTaperDelegate<bool> : public HMX_ITaperDelegate<bool> {
public:
  HMX_ITaperDelegate<bool>* Duplicate() const override { return new HMX_CBinaryTaperDelegate(*this); }
  bool MaxValue() const override { return true; }
  bool MinValue() const override { return false; }
  bool ConstrainReal(bool value) const override { return value; }
  bool NormalizedToReal(double normalized) const override { return normalized > 0.0; }
  double RealToNormalized(bool value) const override { return value ? 1.0 : 0.0; }
};
