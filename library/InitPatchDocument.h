// The built-in "Init" patch: the document that stands for the preset reference "builtin:init".
#pragma once

namespace vlm {

// The reference the page uses for it.
constexpr const char* kBuiltinInitPath = "builtin:init";

// A complete patch document (JSON text); its "createdWith" version is "0.0.1".
extern const char* const kInitPatchDocument;

} // namespace vlm
