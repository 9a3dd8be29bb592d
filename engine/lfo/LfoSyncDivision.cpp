// Rate of a tempo-synced LFO from the tempo and the division index.
#include "engine/lfo/LfoSyncDivision.h"

#include <algorithm>

double LfoSyncRateHz(double tempoBpm, int divisionIndex) noexcept {
  const double tempo = tempoBpm > 0.0 ? tempoBpm : kLfoSyncDefaultTempoBpm;
  const int index = std::clamp(divisionIndex, 0, kLfoSyncDivisionCount - 1);
  return tempo / 60.0 / kLfoSyncDivisions[index].beats;
}
