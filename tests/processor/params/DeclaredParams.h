// Every parameter as the processor declares it, built once per test program for the parameter tests.
#pragma once

#include <memory>
#include <span>

#include "common/EParams.h"
#include "processor/params/ParamDeclarations.h"

namespace vlm::test {

inline const keel::IParam& DeclaredParam(int index) {
  static const std::unique_ptr<keel::IParam[]> params = [] {
    auto declared = std::make_unique<keel::IParam[]>(kNumParams);
    DeclareParams(std::span<keel::IParam>(declared.get(), kNumParams));
    return declared;
  }();
  return params[index];
}

} // namespace vlm::test
