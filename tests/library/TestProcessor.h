// Test helper: the instrument's 378 declared parameters on the framework's standalone base, without the
// engine, so that document and codec tests see the real ranges, steps and defaults.
#pragma once

#include "Keel/Core/IKeelAPP.h"
#include "common/EParams.h"
#include "processor/params/ParamDeclarations.h"
#include "processor/params/ParamSpec.h"

namespace libtest {

class TestProcessor : public keel::IKeelAPP {
public:
  TestProcessor() : keel::IKeelAPP(keel::InstanceInfo{}, keel::PluginConfig{}) {
    vlm::InitParamSpecs();
    vlm::DeclareParams([this](int index) { return GetParam(index); });
  }
  double Normalized(int index) const { return GetParam(index)->GetNormalized(); }
};

} // namespace libtest
