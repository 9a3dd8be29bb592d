// The factory bank: the documents of resources/factory, carried in the binary byte for byte by the build
// (resources/factory/FactoryBank.cmake) and listed here in byte order of their relative paths.
#include "library/FactoryPresetBank.h"

#include <cstdint>
#include <vector>

// One row of the assembler's table: path (NUL-terminated), document begin and end.
struct VlmFactoryBankRow {
  const char* path;
  const char* begin;
  const char* end;
};

extern "C" const VlmFactoryBankRow vlm_factory_bank_rows[];
extern "C" const std::uint64_t vlm_factory_bank_count;

namespace vlm {

std::span<const FactoryPresetRow> FactoryPresetBank() {
  static const std::vector<FactoryPresetRow> bank = [] {
    std::vector<FactoryPresetRow> rows;
    rows.reserve(vlm_factory_bank_count);
    for (std::uint64_t i = 0; i < vlm_factory_bank_count; ++i) {
      const VlmFactoryBankRow& row = vlm_factory_bank_rows[i];
      rows.push_back({row.path, std::string(row.begin, row.end)});
    }
    return rows;
  }();
  return bank;
}

} // namespace vlm
