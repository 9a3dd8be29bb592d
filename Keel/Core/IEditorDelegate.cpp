// Default behaviour of the editor-facing base: parameter list, resets, messages and size limits.
#include "Keel/Core/IEditorDelegate.h"

#include <algorithm>

namespace keel {

IEditorDelegate::IEditorDelegate(int nParams) {
  for (int i = 0; i < nParams; ++i)
    mParams.Add(new IParam());
}

IEditorDelegate::~IEditorDelegate() {
  mParams.Empty(true);
}

void* IEditorDelegate::OpenWindow(void*) {
  OnUIOpen();
  return nullptr;
}

void IEditorDelegate::CloseWindow() {
  OnUIClose();
}

void IEditorDelegate::OnUIOpen() {
  SendAllParamValuesFromDelegate();
}

void IEditorDelegate::OnParamChange(int paramIdx, ParamSource, int) {
  OnParamChange(paramIdx);
}

void IEditorDelegate::OnParamReset(ParamSource source) {
  for (int i = 0; i < NParams(); ++i) {
    OnParamChange(i, source, -1);
    OnParamChangeUI(i, source);
  }
}

bool IEditorDelegate::OnMessage(int, int, int, const void*) {
  return false;
}

void IEditorDelegate::OnRestoreState() {
  SendAllParamValuesFromDelegate();
}

void IEditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize, const void* data) {
  OnMessage(msgTag, ctrlTag, dataSize, data);
}

void IEditorDelegate::SendArbitraryMsgFromDelegate(int msgTag, int dataSize, const void* data) {
  OnMessage(msgTag, -1, dataSize, data);
}

void IEditorDelegate::SendMidiMsgFromDelegate(const MidiMsg& msg) {
  OnMidiMsgUI(msg);
}

void IEditorDelegate::SendSysexMsgFromDelegate(const SysExMsg& msg) {
  OnSysexMsgUI(msg);
}

void IEditorDelegate::SendParameterValueFromDelegate(int paramIdx, double, bool) {
  OnParamChangeUI(paramIdx, kDelegate);
}

void IEditorDelegate::SendParameterValueFromUI(int paramIdx, double normalizedValue) {
  IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  param->Set(param->Constrain(param->FromNormalized(normalizedValue)));
  OnParamChangeUI(paramIdx, kUI);
}

bool IEditorDelegate::EditorResizeFromUI(int, int, bool) {
  return false;
}

void IEditorDelegate::SendArbitraryMsgFromUI(int, int, int, const void*) {}

bool IEditorDelegate::ConstrainEditorResize(int& width, int& height) const {
  const int minWidth = GetMinWidth(), maxWidth = GetMaxWidth();
  const int minHeight = GetMinHeight(), maxHeight = GetMaxHeight();
  if (width >= minWidth && width <= maxWidth && height >= minHeight && height <= maxHeight)
    return true;
  width = std::min(std::max(width, minWidth), maxWidth);
  height = std::min(std::max(height, minHeight), maxHeight);
  return false;
}

void IEditorDelegate::SendAllParamValuesFromDelegate() {
  for (int i = 0; i < NParams(); ++i)
    SendParameterValueFromDelegate(i, GetParam(i)->GetNormalized(), true);
}

} // namespace keel
