// The effect-parameters object's interface as the host calls it (entries 4 to 51).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IString.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

class HMX_IParameter;

// "id" is a NUL-terminated parameter ID. Threads: the host's non-real-time threads.
class HMX_IHCFEffectParameters : public IHCFUnknown {
public:
  virtual HMX_Result Initialize(IHCFUnknown* controller) = 0;
  virtual HMX_Result TeardownEffect() = 0;
  virtual HMX_Result OnHostNotification(uint32_t type, const void* data, uint32_t size) = 0;
  virtual HMX_Result ParamCount(int32_t* out) = 0;
  virtual HMX_Result MasterBypassParamID(HMX_IString* out) = 0;
  virtual HMX_Result ParamIsAutomatable(const char* id, bool* out) = 0;
  virtual HMX_Result ParamStepCount(const char* id, int32_t* out) = 0;
  virtual HMX_Result ParamName(const char* id, HMX_IString* out) = 0;
  virtual HMX_Result ParamNameFitting(const char* id, HMX_IString* out, int32_t limit) = 0;
  virtual HMX_Result ParamDefaultNormalized(const char* id, double* out) = 0;
  virtual HMX_Result SetParamDefaultNormalized(const char* id, double value) = 0;
  virtual HMX_Result ParamKind(const char* id, int32_t* out) = 0;
  virtual HMX_Result ParamOrientation(const char* id, int32_t* out) = 0;
  virtual HMX_Result FindParam(const char* id, HMX_IParameter** out) = 0;
  virtual HMX_Result ParamIndexOf(const char* id, int32_t* out) = 0;
  virtual HMX_Result ParamIDAt(int32_t index, HMX_IString* out) = 0;
  virtual HMX_Result ParamValueInfo(const char* id, int32_t selector, int32_t* out) = 0;
  virtual HMX_Result ParamNormalizedFromText(const char* id, double* out, const HMX_IString& text) = 0;
  virtual HMX_Result ParamTextFromNormalized(const char* id, double normalized, HMX_IString* out,
                                             int32_t limit) = 0;
  virtual HMX_Result ParamValueText(const char* id, HMX_IString* out, int32_t limit) = 0;
  virtual HMX_Result ParamNormalized(const char* id, double* out) = 0;
  virtual HMX_Result SetParamNormalized(const char* id, double normalized) = 0;
  virtual HMX_Result NudgeParamNormalized(const char* id, double delta) = 0;
  virtual HMX_Result TouchParamByID(const char* id) = 0;
  virtual HMX_Result ReleaseParamByID(const char* id) = 0;
  virtual HMX_Result UpdateParamTouch(const char* id, bool touched) = 0;
  virtual HMX_Result UpdateParamFromHost(const char* id, double normalized, int32_t source) = 0;
  virtual HMX_Result UpdateParamRelative(const char* id, double delta) = 0;
  virtual HMX_Result FlushParamUpdates() = 0;
  virtual HMX_Result InitFieldData(int32_t fieldIndex, void* data, uint32_t size) = 0;
  virtual HMX_Result ChunkCount(int32_t* out) = 0;
  virtual HMX_Result ChunkIdAtIndex(int32_t index, uint32_t* outID) = 0;
  virtual HMX_Result ChunkByteSize(uint32_t chunkID, uint32_t* outSize) = 0;
  virtual HMX_Result FillChunk(uint32_t chunkID, PlugInChunk* out) = 0;
  virtual HMX_Result SetChunk(uint32_t chunkID, const PlugInChunk* chunk) = 0;
  virtual HMX_Result CompareActiveChunk(const PlugInChunk* chunk, bool* outEqual) = 0;
  virtual HMX_Result ChangeCount(int32_t* out) = 0;
  virtual HMX_Result IdleCleanup() = 0;

protected:
  ~HMX_IHCFEffectParameters() = default;
};

class HMX_IHCFEffectParameters_V2 : public HMX_IHCFEffectParameters {
public:
  virtual HMX_Result ExtensionA(void*, void*, void*, void*) = 0;
  virtual HMX_Result ExtensionB(void*, void*, void*, int32_t* out) = 0;
  virtual HMX_Result ExtensionC(void*) = 0;
  virtual HMX_Result ExtensionD(void*) = 0;

protected:
  ~HMX_IHCFEffectParameters_V2() = default;
};

class HMX_IHCFEffectParameters_V3 : public HMX_IHCFEffectParameters_V2 {
public:
  virtual HMX_Result ExtensionE(void*) = 0;
  virtual HMX_Result ExtensionF(void*) = 0;
  virtual HMX_Result ExtensionG(void*) = 0;

protected:
  ~HMX_IHCFEffectParameters_V3() = default;
};

class HMX_IHCFEffectParameters_V4 : public HMX_IHCFEffectParameters_V3 {
public:
  virtual HMX_Result ExtensionH(void*) = 0;
  virtual HMX_Result ExtensionI(void*) = 0;
  virtual HMX_Result RefreshPageTable(uint32_t, uint32_t, void*, IHCFUnknown* pageTable) = 0;

protected:
  ~HMX_IHCFEffectParameters_V4() = default;
};
