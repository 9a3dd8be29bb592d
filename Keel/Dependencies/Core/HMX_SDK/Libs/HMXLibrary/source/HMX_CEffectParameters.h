// Base of the plug-in's data model as the host sees it: parameters found by ID, one chunk of every
// parameter's value, notifications and a change count. The framework's binding derives from it and
// creates the parameters in InitEffect.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/CHCFUnknown.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CChunkDataParser.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CPacketPoster.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CParamRegistry.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_GuardedCall.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IEffectParameters.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VAutomationDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VController.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VPageTable.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VTransport.h"

#include <memory>
#include <set>
#include <string>

// Threads: the host's non-real-time threads; no lock of its own (the packet dispatcher guards its
// dirty marks). No exception leaves an operation: one caught is traced and answered with
// HMX_ERROR_UNKNOWN_EXCEPTION.
class HMX_CEffectParameters : public HMX_IEffectParameters, public CHCFUnknown {
public:
  static constexpr const char* kMasterBypassID = "MasterBypassID";
  static constexpr const char* kPreviewID = "PreviewID";
  static constexpr uint32_t kPreviewNotification = HMX_FourCC("HSPv");
  static constexpr uint32_t kControlsChunkID = HMX_FourCC("elck");
  static constexpr const char* kControlsChunkName = "Complete Controls State";

  explicit HMX_CEffectParameters(IHCFUnknown* outer = nullptr);
  ~HMX_CEffectParameters() override;

  // IHCFUnknown: forwarded to the outer object.
  HMX_Result QueryInterface(const HMX_GUID& iid, void** out) override {
    return Outer()->QueryInterface(iid, out);
  }
  uint32_t AddRef() override { return Outer()->AddRef(); }
  uint32_t Release() override { return Outer()->Release(); }

  HMX_Result Initialize(IHCFUnknown* controller) override;
  HMX_Result TeardownEffect() override;
  HMX_Result OnHostNotification(uint32_t type, const void* data, uint32_t size) override;
  HMX_Result ParamCount(int32_t* out) override;
  HMX_Result MasterBypassParamID(HMX_IString* out) override;
  HMX_Result ParamIsAutomatable(const char* id, bool* out) override;
  HMX_Result ParamStepCount(const char* id, int32_t* out) override;
  HMX_Result ParamName(const char* id, HMX_IString* out) override;
  HMX_Result ParamNameFitting(const char* id, HMX_IString* out, int32_t limit) override;
  HMX_Result ParamDefaultNormalized(const char* id, double* out) override;
  HMX_Result SetParamDefaultNormalized(const char* id, double value) override;
  HMX_Result ParamKind(const char* id, int32_t* out) override;
  HMX_Result ParamOrientation(const char* id, int32_t* out) override;
  HMX_Result FindParam(const char* id, HMX_IParameter** out) override;
  HMX_Result ParamIndexOf(const char* id, int32_t* out) override;
  HMX_Result ParamIDAt(int32_t index, HMX_IString* out) override;
  HMX_Result ParamValueInfo(const char* id, int32_t selector, int32_t* out) override;
  HMX_Result ParamNormalizedFromText(const char* id, double* out, const HMX_IString& text) override;
  HMX_Result ParamTextFromNormalized(const char* id, double normalized, HMX_IString* out,
                                     int32_t limit) override;
  HMX_Result ParamValueText(const char* id, HMX_IString* out, int32_t limit) override;
  HMX_Result ParamNormalized(const char* id, double* out) override;
  HMX_Result SetParamNormalized(const char* id, double normalized) override;
  HMX_Result NudgeParamNormalized(const char* id, double delta) override;
  HMX_Result TouchParamByID(const char* id) override;
  HMX_Result ReleaseParamByID(const char* id) override;
  HMX_Result UpdateParamTouch(const char*, bool) override { return HMX_SUCCESS; }
  HMX_Result UpdateParamFromHost(const char* id, double normalized, int32_t source) override;
  HMX_Result UpdateParamRelative(const char* id, double delta) override;
  HMX_Result FlushParamUpdates() override;
  HMX_Result InitFieldData(int32_t fieldIndex, void* data, uint32_t size) override;
  HMX_Result ChunkCount(int32_t* out) override;
  HMX_Result ChunkIdAtIndex(int32_t index, uint32_t* outID) override;
  HMX_Result ChunkByteSize(uint32_t chunkID, uint32_t* outSize) override;
  HMX_Result FillChunk(uint32_t chunkID, PlugInChunk* out) override;
  HMX_Result SetChunk(uint32_t chunkID, const PlugInChunk* chunk) override;
  HMX_Result CompareActiveChunk(const PlugInChunk* chunk, bool* outEqual) override;
  HMX_Result ChangeCount(int32_t* out) override;
  HMX_Result IdleCleanup() override { return HMX_SUCCESS; }
  HMX_Result ExtensionA(void*, void*, void*, void*) override { return HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result ExtensionB(void*, void*, void*, int32_t* out) override;
  HMX_Result ExtensionC(void*) override { return HMX_SUCCESS; }
  HMX_Result ExtensionD(void*) override { return HMX_SUCCESS; }
  HMX_Result ExtensionE(void*) override { return HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result ExtensionF(void*) override { return HMX_SUCCESS; }
  HMX_Result ExtensionG(void*) override { return HMX_SUCCESS; }
  HMX_Result ExtensionH(void*) override { return HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result ExtensionI(void*) override { return HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result RefreshPageTable(uint32_t a, uint32_t b, void*, IHCFUnknown* pageTable) override;

  // Hooks of the derived class.
  virtual HMX_Result FillPageTable(uint32_t, uint32_t, HMX_VPageTable&) { return HMX_ERROR_UNIMPLEMENTED; }
  // Creates the parameters; called once by Initialize with the host wrappers in place.
  virtual HMX_Result InitEffect() { return HMX_SUCCESS; }

  // Answers the four effect-parameters interface IDs, then what CHCFUnknown answers.
  HMX_Result InnerQuery(const HMX_GUID& iid, void** out) override;

  // Fills the chunk parser with every chunked parameter's value, named by its ID.
  void BuildChunkData();

  HMX_CParamRegistry& Parameters() { return mParameters; }
  const HMX_CParamRegistry& Parameters() const { return mParameters; }
  HMX_CPacketPoster& PacketPoster() { return mPacketPoster; }
  HMX_CChunkDataParser& ChunkParser() { return mChunkParser; }
  // IDs left out of the controls chunk.
  std::set<std::string>& ExcludedIDs() { return mExcludedIDs; }
  int32_t NumChunkedParameters() const { return mNumChunkedParameters; }
  HMX_VController* Controller() const { return mController.get(); }
  HMX_VTransport* Transport() const { return mTransport.get(); }
  HMX_VAutomationDelegate* AutomationDelegate() const { return mAutomation.get(); }
  void IncrementChangeCount() { ++mChangeCount; }

protected:
  // Runs body(parameter) for a registered ID; HMX_ERROR_INVALID_PARAMETER_ID otherwise.
  template <class Body> HMX_Result WithParam(const char* operation, const char* id, Body&& body) {
    return HMX::GuardedCall(operation, [&]() -> HMX_Result {
      HMX_IParameter* parameter = mParameters.ParamByID(id);
      if (!parameter)
        return HMX_ERROR_INVALID_PARAMETER_ID;
      return body(*parameter);
    });
  }
  // Stores read(parameter) in *out for a registered ID; *out stays as it was otherwise.
  template <class T, class Read>
  HMX_Result ReadParam(const char* operation, const char* id, T* out, Read&& read) {
    if (!out)
      return HMX_ERROR_NULL_ARGUMENT;
    return WithParam(operation, id, [&](HMX_IParameter& p) {
      *out = read(p);
      return HMX_SUCCESS;
    });
  }
  // Runs act(parameter) for a registered ID.
  template <class Act> HMX_Result ActOnParam(const char* operation, const char* id, Act&& act) {
    return WithParam(operation, id, [&](HMX_IParameter& p) {
      act(p);
      return HMX_SUCCESS;
    });
  }

private:
  bool IsExcluded(const char* id) const { return mExcludedIDs.count(id) != 0; }
  // Calls visit(parameter, id) for the first `count` parameters that the controls chunk holds, in index
  // order, while it answers true; a missing parameter is asserted and passed over.
  template <class Visit> void ForEachChunkedParameter(int32_t count, Visit&& visit) const;
  void DeleteParametersAndWrappers();

  int32_t mChangeCount = 0;
  int32_t mLastReportedChunkSize = 0;
  HMX_CChunkDataParser mChunkParser;
  int32_t mNumChunkedParameters = 0;
  HMX_CPacketPoster mPacketPoster;
  HMX_CParamRegistry mParameters;
  std::set<std::string> mExcludedIDs;
  std::unique_ptr<HMX_VController> mController;
  std::unique_ptr<HMX_VTransport> mTransport;
  std::unique_ptr<HMX_VAutomationDelegate> mAutomation;
};
