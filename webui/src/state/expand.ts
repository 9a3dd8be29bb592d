// Expanding and collapsing the two tone panels: the flag, the staged mount animation and the editor resize.
import { signal } from '@preact/signals';
import { bank, screenHeight, setBank } from './app';
import { expandTargetHeight } from '../model/layout';
import { sendResizeEditor } from '../bridge/host';

/** The first tone panel is visible (hidden during the staged swap). */
export const upperShown = signal(true);
/** The second (Lower) panel is mounted below the first. */
export const lowerMounted = signal(false);

let timers: number[] = [];
let frames: number[] = [];

export function cancelExpandAnimation(): void {
  timers.forEach((t) => clearTimeout(t));
  frames.forEach((f) => cancelAnimationFrame(f));
  timers = [];
  frames = [];
  // Settle at the state the bank says, without animating.
  queueMicrotask(() => {
    lowerMounted.value = bank.peek().expandedTones;
    upperShown.value = true;
  });
}

const later = (ms: number, fn: () => void) => timers.push(window.setTimeout(fn, ms));
const twoFrames = (fn: () => void) => frames.push(requestAnimationFrame(() => frames.push(requestAnimationFrame(fn))));

export function canExpand(): boolean {
  const h = screenHeight();
  return h === null || h >= 1000;
}

/** Toggles the expanded layout; false when the screen is too short to expand. */
export function toggleExpand(): boolean {
  const expand = !bank.peek().expandedTones;
  if (expand && !canExpand()) return false;
  cancelExpandAnimation();
  const width = window.innerWidth;
  const height = expandTargetHeight(expand, window.innerHeight);
  setBank({ ...bank.peek(), expandedTones: expand });
  if (expand) {
    upperShown.value = false;
    later(180, () => {
      lowerMounted.value = true;
      twoFrames(() => (upperShown.value = true));
    });
    later(180, () => sendResizeEditor(width, height));
  } else {
    later(200, () => {
      upperShown.value = false;
      later(180, () => {
        lowerMounted.value = false;
        twoFrames(() => (upperShown.value = true));
      });
    });
    later(380, () => sendResizeEditor(width, height));
  }
  return true;
}
