// Messages from the page to the processor, through IKeelSendMsg (window.chrome.webview.postMessage).
import { MsgTag } from './protocol';
import { bytesToBase64, textToBase64 } from './codec';

interface WebViewLike {
  postMessage(m: unknown): void;
}

function webview(): WebViewLike | null {
  const c = (window as unknown as { chrome?: { webview?: WebViewLike } }).chrome;
  return c && c.webview && typeof c.webview.postMessage === 'function' ? c.webview : null;
}

/** True inside the program or plug-in; false in a plain browser used for development. */
export function hasHostBridge(): boolean {
  return webview() !== null;
}

export function sendToHost(m: Record<string, unknown>): void {
  const w = window as unknown as { IKeelSendMsg?: (m: unknown) => void };
  if (typeof w.IKeelSendMsg === 'function') w.IKeelSendMsg(m);
  else webview()?.postMessage(m);
}

export function beginGesture(paramIdx: number): void {
  sendToHost({ msg: 'BPCFUI', paramIdx });
}

export function sendParamValue(paramIdx: number, value: number): void {
  sendToHost({ msg: 'SPVFUI', paramIdx, value });
}

export function endGesture(paramIdx: number): void {
  sendToHost({ msg: 'EPCFUI', paramIdx });
}

export function sendMidi(statusByte: number, dataByte1: number, dataByte2: number): void {
  sendToHost({ msg: 'SMMFUI', statusByte, dataByte1, dataByte2 });
}

/** A tagged message; text travels as UTF-8, no payload sends no "data". */
export function sendTagged(msgTag: number, payload?: string | Uint8Array): void {
  const m: Record<string, unknown> = { msg: 'SAMFUI', msgTag, ctrlTag: -1 };
  if (typeof payload === 'string') m.data = textToBase64(payload);
  else if (payload) m.data = bytesToBase64(payload);
  sendToHost(m);
}

export function sendJson(msgTag: number, value: unknown): void {
  sendTagged(msgTag, JSON.stringify(value));
}

export function sendResizeEditor(width: number, height: number): void {
  const b = new Uint8Array(8);
  const v = new DataView(b.buffer);
  v.setInt32(0, width, true);
  v.setInt32(4, height, true);
  sendTagged(MsgTag.ResizeEditor, b);
}
