// Result codes of the HMX interface: 0 is success, the library's errors run from -20001 down to
// -20046, and -21000 to -20600 are left to the plug-in.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Types.h"

inline constexpr HMX_Result HMX_SUCCESS = 0;
inline constexpr HMX_Result HMX_ERROR_INVALID_PARAMETER_ID = -20001;
inline constexpr HMX_Result HMX_ERROR_INVALID_STRING_CONVERSION = -20002;
inline constexpr HMX_Result HMX_ERROR_INVALID_METER_INDEX = -20003;
inline constexpr HMX_Result HMX_ERROR_NULL_OBJECT = -20004;
inline constexpr HMX_Result HMX_ERROR_OLDER_VERSION = -20005;
inline constexpr HMX_Result HMX_ERROR_INVALID_CHUNK_INDEX = -20006;
inline constexpr HMX_Result HMX_ERROR_INVALID_CHUNK_ID = -20007;
inline constexpr HMX_Result HMX_ERROR_INCORRECT_CHUNK_SIZE = -20008;
inline constexpr HMX_Result HMX_ERROR_UNIMPLEMENTED = -20009;
inline constexpr HMX_Result HMX_ERROR_INVALID_PARAMETER_INDEX = -20010;
inline constexpr HMX_Result HMX_ERROR_NOT_INITIALIZED = -20011;
inline constexpr HMX_Result HMX_ERROR_HCF_ERROR = -20012;
inline constexpr HMX_Result HMX_ERROR_INVALID_METER_TYPE = -20013;
inline constexpr HMX_Result HMX_ERROR_CONTEXT_ALREADY_HAS_METERS = -20014;
inline constexpr HMX_Result HMX_ERROR_NULL_COMPONENT = -20015;
inline constexpr HMX_Result HMX_ERROR_PORT_ID_OUT_OF_RANGE = -20016;
inline constexpr HMX_Result HMX_ERROR_FIELD_TYPE_DOES_NOT_SUPPORT_DIRECT_ACCESS = -20017;
inline constexpr HMX_Result HMX_ERROR_DIRECT_ACCESS_OUT_OF_BOUNDS = -20018;
inline constexpr HMX_Result HMX_ERROR_FIFO_FULL = -20019;
inline constexpr HMX_Result HMX_ERROR_INITIALIZING_PACKET_STREAM_THREAD = -20020;
inline constexpr HMX_Result HMX_ERROR_POST_PACKET_FAILED = -20021;
inline constexpr HMX_Result HMX_RESULT_PACKET_STREAM_NOT_EMPTY = -20022;
inline constexpr HMX_Result HMX_RESULT_ADD_FIELD_UNSUPPORTED_FIELD_TYPE = -20023;
inline constexpr HMX_Result HMX_ERROR_MIXER_THREAD_FALLING_BEHIND = -20024;
inline constexpr HMX_Result HMX_ERROR_INVALID_FIELD_INDEX = -20025;
inline constexpr HMX_Result HMX_ERROR_MALFORMED_CHUNK = -20026;
inline constexpr HMX_Result HMX_ERROR_TOD_BEHIND = -20027;
inline constexpr HMX_Result HMX_RESULT_NEW_PACKET_POSTED = -20028;
inline constexpr HMX_Result HMX_ERROR_PLUGIN_NOT_AUTHORIZED = -20029;
inline constexpr HMX_Result HMX_ERROR_PLUGIN_NULL_PARAMETER = -20030;
inline constexpr HMX_Result HMX_ERROR_NOTIFICATION_FAILED = -20031;
inline constexpr HMX_Result HMX_ERROR_INVALID_VIEW_SIZE = -20032;
inline constexpr HMX_Result HMX_ERROR_SIGNED_INT_OVERFLOW = -20033;
inline constexpr HMX_Result HMX_ERROR_NO_COMPONENTS = -20034;
inline constexpr HMX_Result HMX_ERROR_DUPLICATE_EFFECT_ID = -20035;
inline constexpr HMX_Result HMX_ERROR_DUPLICATE_TYPE_ID = -20036;
inline constexpr HMX_Result HMX_ERROR_EMPTY_EFFECT_NAME = -20037;
inline constexpr HMX_Result HMX_ERROR_UNKNOWN_PLUGIN = -20038;
inline constexpr HMX_Result HMX_ERROR_PROPERTY_UNDEFINED = -20039;
inline constexpr HMX_Result HMX_ERROR_INVALID_PATH = -20040;
inline constexpr HMX_Result HMX_ERROR_UNKNOWN_ID = -20041;
inline constexpr HMX_Result HMX_ERROR_UNKNOWN_EXCEPTION = -20042;
inline constexpr HMX_Result HMX_ERROR_INVALID_ARGUMENT = -20043;
inline constexpr HMX_Result HMX_ERROR_NULL_ARGUMENT = -20044;
inline constexpr HMX_Result HMX_ERROR_INVALID_INTERNAL_DATA = -20045;
inline constexpr HMX_Result HMX_ERROR_ARGUMENT_BUFFER_OVERFLOW = -20046;

// Range left to the plug-in (inclusive).
inline constexpr HMX_Result HMX_PLUGIN_ERROR_FIRST = -21000;
inline constexpr HMX_Result HMX_PLUGIN_ERROR_LAST = -20600;

// Answer of HostTrace when its message cannot be formatted.
inline constexpr HMX_Result HMX_ERROR_TRACE_FORMAT = -20051;

// Answers of the object model (as 32-bit patterns).
inline constexpr HMX_Result HMX_HCF_E_NOINTERFACE = HMX_Result(0x80000004u);
inline constexpr HMX_Result HMX_HCF_E_POINTER = HMX_Result(0x80000005u);
inline constexpr HMX_Result HMX_HCF_E_UNEXPECTED = HMX_Result(0x8000FFFFu);
