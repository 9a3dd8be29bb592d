// Names and texts of HMX result codes, for traces and exception texts.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Errors.h"

#include <string>

namespace HMX {
// "HMX_SUCCESS", a library error name, "plug-in defined error" or "<unknown error code>".
const char* ResultName(HMX_Result code);
// The name, a space and the code in parentheses: "HMX_ERROR_NULL_OBJECT (-20004)".
std::string ResultText(HMX_Result code);
} // namespace HMX
