// Pointer and wheel handling shared by every continuous control: one gesture per drag, fine mode, reset on Ctrl-click.

export interface DragTarget {
  get(): number;
  set(v: number): void;
  begin(): void;
  end(): void;
  reset(): void;
  /** Normalized change of one wheel notch; defaults to 0.02 (0.004 fine). */
  wheelStep?(fine: boolean): number;
}

export const kDragPixelsFullRange = 200;
export const kFineFactor = 0.2;
export const kDragThresholdPx = 3;

const clamp01 = (x: number) => Math.min(1, Math.max(0, x));
const isFine = (e: { ctrlKey: boolean; metaKey: boolean; shiftKey: boolean }) => e.ctrlKey || e.metaKey || e.shiftKey;

/** The wheel's travel: GTK turns a vertical wheel with Shift held into horizontal scrolling (up becomes
 * left), so with Shift a horizontal delta stands for the vertical one. */
export function wheelDelta(e: { deltaX: number; deltaY: number; shiftKey: boolean }): number {
  if (e.deltaY !== 0) return e.deltaY;
  return e.shiftKey ? e.deltaX : 0;
}

export function dragHandlers(t: DragTarget) {
  return {
    onPointerDown(e: PointerEvent) {
      if (e.button !== 0) return;
      const el = e.currentTarget as HTMLElement;
      e.preventDefault();
      try {
        el.setPointerCapture(e.pointerId);
      } catch {
        // Synthetic or already released pointers cannot be captured; the drag still works inside the element.
      }
      const x0 = e.clientX;
      const y0 = e.clientY;
      let refY = e.clientY;
      let refVal = t.get();
      let fine = isFine(e);
      const resetClick = e.ctrlKey || e.metaKey;
      let moved = false;
      const move = (m: PointerEvent) => {
        if (!moved) {
          if (Math.hypot(m.clientX - x0, m.clientY - y0) <= kDragThresholdPx) return;
          moved = true;
          t.begin();
        }
        const f = isFine(m);
        if (f !== fine) {
          // Re-base so switching to fine mode mid-drag does not jump.
          refVal = t.get();
          refY = m.clientY;
          fine = f;
        }
        const v = clamp01(refVal + ((refY - m.clientY) / kDragPixelsFullRange) * (fine ? kFineFactor : 1));
        if (v !== t.get()) t.set(v);
      };
      const up = () => {
        el.removeEventListener('pointermove', move);
        el.removeEventListener('pointerup', up);
        el.removeEventListener('pointercancel', up);
        if (moved) t.end();
        else if (resetClick) t.reset();
      };
      el.addEventListener('pointermove', move);
      el.addEventListener('pointerup', up);
      el.addEventListener('pointercancel', up);
    },
    onWheel(e: WheelEvent) {
      e.preventDefault();
      const delta = wheelDelta(e);
      if (delta === 0) return;
      const fine = isFine(e);
      const step = t.wheelStep ? t.wheelStep(fine) : fine ? 0.004 : 0.02;
      const v = clamp01(t.get() + (delta < 0 ? step : -step));
      if (v === t.get()) return;
      t.begin();
      t.set(v);
      t.end();
    },
  };
}
