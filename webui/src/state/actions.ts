// User edits of parameters: gestures, value messages and the copies that linking and Whole mode add.
import { beginGesture, endGesture, sendParamValue } from '../bridge/host';
import { mirrorCopies } from '../model/mirroring';
import { linked } from './app';
import { readNorm, setNorm } from './params';

/** A user change of one parameter: stored, sent, then mirrored (copies never mirror again). */
export function userSetParam(index: number, value: number): void {
  const v = Math.min(1, Math.max(0, value));
  setNorm(index, v);
  sendParamValue(index, v);
  for (const c of mirrorCopies(index, v, readNorm, linked.peek())) {
    setNorm(c.index, c.value);
    sendParamValue(c.index, c.value);
  }
}

/** One complete gesture: begin, value, end (buttons, wheel notches, resets). */
export function userGestureSet(index: number, value: number): void {
  beginGesture(index);
  userSetParam(index, value);
  endGesture(index);
}

export { beginGesture, endGesture };
