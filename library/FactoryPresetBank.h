// The factory patches the product installs into the preset library: relative path and document text.
#pragma once

#include <span>
#include <string>

namespace vlm {

struct FactoryPresetRow {
  std::string relativePath; // "<folder>/<name>.80p", ASCII, one folder deep
  std::string documentText; // a complete patch document, installed byte for byte
};

// The bank in its fixed order; built once on first use (thread-safe), never changed afterwards.
std::span<const FactoryPresetRow> FactoryPresetBank();

} // namespace vlm
