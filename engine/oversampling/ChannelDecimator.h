// One output channel's path from 1x, 2x or 4x sub-samples back to the output rate.
#pragma once

#include "engine/oversampling/HalfbandDecimator.h"

// Holds the twelve-coefficient decimator and the 4x first stage beside it, loaded with the designed
// coefficients at construction. Audio thread only.
class ChannelDecimator {
public:
  ChannelDecimator() noexcept {
    mDecimator.SetCoefficients(kHalfbandDecimatorCoefficients);
    mFirstStage.SetCoefficients(kHalfbandFirstStageCoefficients);
  }

  // Clears the histories of both stages (the engine does this whenever it re-prepares).
  void Reset() noexcept {
    mDecimator.Reset();
    mFirstStage.Reset();
  }

  double Decimate2x(double s0, double s1) noexcept { return mDecimator.Process(s0, s1); }

  // The first stage keeps its history from the first pair to the second.
  double Decimate4x(double s0, double s1, double s2, double s3) noexcept {
    const double h0 = mFirstStage.Process(s0, s1);
    const double h1 = mFirstStage.Process(s2, s3);
    return mDecimator.Process(h0, h1);
  }

  // factor 1 passes the single sub-sample through; 2 and 4 read that many time-ordered sub-samples.
  double Decimate(const double* subSamples, int factor) noexcept {
    switch (factor) {
    case 2:
      return Decimate2x(subSamples[0], subSamples[1]);
    case 4:
      return Decimate4x(subSamples[0], subSamples[1], subSamples[2], subSamples[3]);
    default:
      return subSamples[0];
    }
  }

  HalfbandDecimator& Decimator() noexcept { return mDecimator; }
  HalfbandFirstStage& FirstStage() noexcept { return mFirstStage; }

private:
  HalfbandDecimator mDecimator;
  HalfbandFirstStage mFirstStage;
};
