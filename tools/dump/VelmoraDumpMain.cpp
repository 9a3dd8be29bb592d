// velmora-dump: writes the parameter schema and curve dumps from the environment and exits 0, so both can be
// checked without starting the program's window, audio or MIDI.
#include <cstdio>
#include <memory>

#include "common/EParams.h"
#include "processor/params/ParamDeclarations.h"
#include "processor/params/ParamDumps.h"

int main() {
  const auto params = std::make_unique<keel::IParam[]>(vlm::kNumParams);
  vlm::DeclareParams(std::span<keel::IParam>(params.get(), vlm::kNumParams));
  const bool dumped = vlm::WriteParamDumpsFromEnvironment(
      [&](int i) -> const keel::IParam* { return &params[i]; }, vlm::kNumParams);
  if (!dumped) {
    std::fprintf(stderr, "velmora-dump: set %s and/or %s to the files to write\n", vlm::kDumpSchemaPathEnv,
                 vlm::kDumpCurvesPathEnv);
    return 2;
  }
  return 0;
}
