// Host API base: queues, UI timer and editor actions.
#include "Keel/Core/IKeelAPIBase.h"

#include "Keel/Core/HostId.h"

#include <algorithm>
#include <cmath>

namespace keel {

IKeelAPIBase::IKeelAPIBase(const PluginConfig& config, int apiKind)
    : IPluginBase(config.paramCount, config.presetCount) {
  SetAPIKind(apiKind);
  SetIdentity(config);
  SetEditorSize(config.editorWidth, config.editorHeight);
  SetSizeConstraints(std::min(config.minEditorWidth, config.maxEditorWidth),
                     std::max(config.minEditorWidth, config.maxEditorWidth),
                     std::min(config.minEditorHeight, config.maxEditorHeight),
                     std::max(config.minEditorHeight, config.maxEditorHeight));
}

IKeelAPIBase::~IKeelAPIBase() {
  if (mTimer) mTimer->Stop();
  mTimer.reset();
}

void IKeelAPIBase::CreateTimer() {
  std::unique_ptr<Timer> timer(Timer::Create([this](Timer&) { OnTimer(); }, kTimerPeriodMs));
  mTimer.swap(timer);
}

void IKeelAPIBase::OnTimer() {
  ParamChange change;
  while (mParamChangeToEditor.Pop(change)) SendParameterValueFromDelegate(change.index, change.value, false);
  MidiMsg msg;
  while (mMidiFromProcessor.Pop(msg)) SendMidiMsgFromDelegate(msg);
  while (mSysExFromProcessor.Pop(mSysExScratch)) SendSysexMsgFromDelegate(mSysExScratch.AsMsg());
  OnIdle();
}

void IKeelAPIBase::SetHost(const char* hostName, int packedVersion) {
  const char* name = hostName ? hostName : "";
  const int id = LookUpHostId(name);
  SetHostInfo(name, id, packedVersion);
  TraceFormatted(0, "host_%sknown:%s:v%d.%d.%d", id == 0 ? "un" : "", name, packedVersion >> 16,
                 (packedVersion >> 8) & 255, packedVersion & 255);
  OnHostIdentified();
}

void IKeelAPIBase::InformHostOfAllParamValues() {
  for (int i = 0; i < NParams(); ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

void IKeelAPIBase::SetParameterValue(int paramIdx, double normalizedValue) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->Set(param->Constrain(param->FromNormalized(normalizedValue)));
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx, kUI, -1);
}

void IKeelAPIBase::SendParameterValueFromUI(int paramIdx, double normalizedValue) {
  SetParameterValue(paramIdx, normalizedValue);
  OnParamChangeUI(paramIdx, kUI);
}

bool IKeelAPIBase::EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize) {
  if (needsPlatformResize) return EditorResize(viewWidth, viewHeight, needsPlatformResize);
  return true;
}

bool IKeelAPIBase::DeferSysexMsg(const SysExMsg& msg) {
  SysExRecord record;
  if (!record.Assign(msg)) return false;
  return mSysExToProcessor.Push(record);
}

bool IKeelAPIBase::CompareState(const double* data, int dataCount, int startIdx) const {
  const int n = NParams();
  if (n == 0) return true;
  if (!data || startIdx < 0 || int64_t(startIdx) + n > dataCount) return false;
  for (int i = 0; i < n; ++i) {
    const float current = float(GetParam(i)->Value());
    const float stored = float(data[startIdx + i]);
    if (!(std::fabs(current - stored) < 0.00001f)) return false;
  }
  return true;
}

void IKeelAPIBase::SendParameterValueFromAPI(int paramIdx, double value, bool normalized) {
  if (normalized) {
    IParam* param = GetParam(paramIdx);
    if (!param) return;
    value = param->FromNormalized(value);
  }
  mParamChangeToEditor.Push({paramIdx, value});
}

} // namespace keel
