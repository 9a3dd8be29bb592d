// Taper through which the host sees a continuous framework parameter: its own shape and range.
#pragma once

#include "Keel/Core/IParam.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_ITaperDelegate.h"

namespace keel {

template <typename T> class HMX_CIKeelTaperDelegate;

// Threads: whatever thread the owning HMX parameter is used on; the framework parameter is not owned.
template <> class HMX_CIKeelTaperDelegate<double> : public HMX_ITaperDelegate<double> {
public:
  explicit HMX_CIKeelTaperDelegate(const IParam& param) : mParam(&param) {}

  HMX_ITaperDelegate<double>* Duplicate() const override { return new HMX_CIKeelTaperDelegate(*mParam); }
  double MaxValue() const override { return mParam->GetMax(); }
  double MinValue() const override { return mParam->GetMin(); }
  double ConstrainReal(double value) const override { return mParam->Constrain(value); }
  double NormalizedToReal(double normalized) const override {
    return mParam->Constrain(mParam->FromNormalized(normalized));
  }
  double RealToNormalized(double value) const override { return mParam->ToNormalized(value); }

private:
  const IParam* mParam;
};

} // namespace keel
