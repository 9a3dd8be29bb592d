// The vocabulary between the processor and its editor page: message tags of tagged payloads and control tags
// of the per-tick control values. The page carries the same numbers.
#pragma once

namespace vlm {

namespace MsgTag {
constexpr int kResizeEditor = 100;
constexpr int kBankState = 200;
constexpr int kBankStateRestore = 201;
constexpr int kPresetAction = 202;
constexpr int kPresetActionResult = 203;
constexpr int kPresetLibrary = 204;
constexpr int kUIPrefs = 205;
constexpr int kOpenUrl = 206;
constexpr int kParamRealValue = 207;
constexpr int kMidiPortList = 208;
constexpr int kMidiPortSelect = 209;
constexpr int kMidiPortRefresh = 210;
constexpr int kPluginVariant = 211;
constexpr int kForwardKeyEvent = 212;
constexpr int kClipboardWrite = 215;
constexpr int kClipboardReadRequest = 216;
constexpr int kClipboardReadResult = 217;
constexpr int kMidiLearnRequest = 218;
constexpr int kMidiLearnState = 219;
constexpr int kMidiLearnActionResult = 220;
constexpr int kOpenManualPdf = 221;
constexpr int kRequestInit = 222;
} // namespace MsgTag

namespace CtrlTag {
constexpr int kOutMeterL = 0;
constexpr int kOutMeterR = 1;
constexpr int kPitchBend = 2;
constexpr int kModWheel = 3;
constexpr int kPerfVolume = 4;
constexpr int kHostTempo = 5;
} // namespace CtrlTag

// Editor size limits: the minimum height grows while both tone panels are expanded.
constexpr int kEditorMinWidth = 910;
constexpr int kEditorMaxWidth = 100000;
constexpr int kEditorMinHeight = 650;
constexpr int kEditorMinHeightExpanded = 1000;
constexpr int kEditorMaxHeight = 100000;

} // namespace vlm
