// Cost of turning normalized values into engine values and of the shapes' reverse rules, per curve kind.
#include <benchmark/benchmark.h>

#include <memory>
#include <span>

#include "common/EParams.h"
#include "processor/params/ParamDeclarations.h"
#include "processor/params/ParamSpec.h"

namespace {

using namespace vlm;

// One representative parameter per lookup kind.
constexpr int kLinearTable = UpperToneParam(kToneEnv1Attack);
constexpr int kGeometricTable = UpperToneParam(kToneLfoRate);
constexpr int kCutoffBisection = UpperToneParam(kToneVcfCutoff);
constexpr int kPlain = UpperToneParam(kToneVcfResonance);

void BM_ToEngineValue(benchmark::State& state) {
  InitParamSpecs();
  const int index = static_cast<int>(state.range(0));
  double x = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ToEngineValue(index, x));
    x += 0.0009765625;
    if (x > 1.0)
      x = 0.0;
  }
}
BENCHMARK(BM_ToEngineValue)->Arg(kLinearTable)->Arg(kGeometricTable)->Arg(kCutoffBisection)->Arg(kPlain);

void BM_ShapeReverse(benchmark::State& state) {
  const auto params = std::make_unique<keel::IParam[]>(kNumParams);
  DeclareParams(std::span<keel::IParam>(params.get(), kNumParams));
  const keel::IParam& param = params[static_cast<size_t>(state.range(0))];
  double x = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(param.ToNormalized(param.FromNormalized(x)));
    x += 0.0009765625;
    if (x > 1.0)
      x = 0.0;
  }
}
BENCHMARK(BM_ShapeReverse)->Arg(kLinearTable)->Arg(kGeometricTable)->Arg(kCutoffBisection)->Arg(kPlain);

} // namespace
