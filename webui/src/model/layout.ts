// Layout arithmetic: the scale of the instrument view and the resize grip's size limits.
import { EditorSizes, minEditorHeight } from '../bridge/protocol';

/** Scale step of the view: 0 at the design size, negative when smaller, never below -1. */
export function layoutScale(width: number, height: number, lowerMounted: boolean): number {
  const base = lowerMounted ? 1080 : 760;
  const s = height >= 704 ? (height - 704) / (base - 704) : (height - 704) / Math.max(base - 704, 280);
  return Math.max(-1, Math.min((width - 940) / 300, s));
}

export const kNarrowLayoutWidth = 1000;

export function clampEditorSize(width: number, height: number, expanded: boolean): { width: number; height: number } {
  return {
    width: Math.min(EditorSizes.maxWidth, Math.max(EditorSizes.minWidth, Math.round(width))),
    height: Math.min(EditorSizes.maxHeight, Math.max(minEditorHeight(expanded), Math.round(height))),
  };
}

/** The height the editor asks for when the tone panels expand (true) or collapse (false). */
export function expandTargetHeight(expand: boolean, windowHeight: number): number {
  const wanted = expand ? windowHeight + 240 : EditorSizes.defaultHeight;
  return Math.min(EditorSizes.maxHeight, Math.max(minEditorHeight(expand), wanted));
}
