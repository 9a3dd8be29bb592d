// Tags and sizes shared with the processor: both sides must agree number for number.

export const CtrlTag = {
  OutMeterL: 0,
  OutMeterR: 1,
  PitchBend: 2,
  ModWheel: 3,
  PerfVolume: 4,
  HostTempo: 5,
} as const;

export const MsgTag = {
  Schema: -1,
  ResizeEditor: 100,
  BankState: 200,
  BankStateRestore: 201,
  PresetAction: 202,
  PresetActionResult: 203,
  PresetLibrary: 204,
  UIPrefs: 205,
  OpenUrl: 206,
  ParamRealValue: 207,
  MidiPortList: 208,
  MidiPortSelect: 209,
  MidiPortRefresh: 210,
  PluginVariant: 211,
  ForwardKeyEvent: 212,
  ClipboardWrite: 215,
  ClipboardReadRequest: 216,
  ClipboardReadResult: 217,
  MidiLearnRequest: 218,
  MidiLearnState: 219,
  MidiLearnActionResult: 220,
  OpenManualPdf: 221,
  RequestInit: 222,
} as const;

export const EditorSizes = {
  defaultWidth: 1180,
  defaultHeight: 760,
  minWidth: 910,
  minHeight: 650,
  minHeightExpanded: 1000,
  maxWidth: 100000,
  maxHeight: 100000,
} as const;

/** The editor's minimum height: both tone panels need more room when expanded. */
export function minEditorHeight(expanded: boolean): number {
  return expanded ? EditorSizes.minHeightExpanded : EditorSizes.minHeight;
}
