// Taper delegates convert between a parameter's real value and the host's normalized value (0..1).
#pragma once

class HMX_ITaperDelegateBase {
public:
  virtual ~HMX_ITaperDelegateBase() = default;
};

template <typename T> class HMX_ITaperDelegate : public HMX_ITaperDelegateBase {
public:
  virtual HMX_ITaperDelegate* Duplicate() const = 0;
  virtual T MaxValue() const = 0;
  virtual T MinValue() const = 0;
  virtual T ConstrainReal(T value) const = 0;
  virtual T NormalizedToReal(double normalized) const = 0;
  virtual double RealToNormalized(T value) const = 0;
};
