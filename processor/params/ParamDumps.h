// Developer dumps of the program: the parameter schema and the curves, as JSON files that outside tools
// (the page's build and its tests) read to check what the host and the engine see.
#pragma once

#include <functional>
#include <string>

#include "Keel/Core/IParam.h"

namespace vlm {

// Gives the declared parameter at an index 0..377.
using ConstParamAccessor = std::function<const keel::IParam*(int index)>;

// "[", one line per parameter with its JSON description extended by "default_normalized", then "]".
std::string MakeSchemaDump(const ConstParamAccessor& getParam, int count);
// {"samples_per_param", "norm_values" i/20, "params" with 21 "real" shape values each}.
std::string MakeCurvesDump(const ConstParamAccessor& getParam, int count);

// Environment variables that name the dump files; an empty value counts as unset.
inline constexpr const char* kDumpSchemaPathEnv = "VLM_DUMP_SCHEMA_PATH";
inline constexpr const char* kDumpCurvesPathEnv = "VLM_DUMP_CURVES_PATH";

// Writes the dumps that the environment asks for (schema first). A path that cannot be opened is skipped
// silently. Returns true when either variable was set: the program then ends with exit code 0.
bool WriteParamDumpsFromEnvironment(const ConstParamAccessor& getParam, int count);

} // namespace vlm
