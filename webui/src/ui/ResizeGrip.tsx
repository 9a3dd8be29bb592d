// The resize grip: drags the editor size, at most one request per animation frame and only when it changed.
import { bank } from '../state/app';
import { clampEditorSize } from '../model/layout';
import { sendResizeEditor } from '../bridge/host';
import { texts } from '../i18n/texts';

export function ResizeGrip() {
  const t = texts();
  const onPointerDown = (e: PointerEvent) => {
    if (e.button !== 0) return;
    e.preventDefault();
    const el = e.currentTarget as HTMLElement;
    try {
      el.setPointerCapture(e.pointerId);
    } catch {
      // Synthetic pointers cannot be captured.
    }
    const x0 = e.clientX;
    const y0 = e.clientY;
    const w0 = window.innerWidth;
    const h0 = window.innerHeight;
    let wanted = { width: w0, height: h0 };
    let lastSent = { width: w0, height: h0 };
    let frame = 0;
    const flush = () => {
      frame = 0;
      if (wanted.width !== lastSent.width || wanted.height !== lastSent.height) {
        lastSent = wanted;
        sendResizeEditor(wanted.width, wanted.height);
      }
    };
    const move = (m: PointerEvent) => {
      wanted = clampEditorSize(w0 + m.clientX - x0, h0 + m.clientY - y0, bank.peek().expandedTones);
      if (!frame) frame = requestAnimationFrame(flush);
    };
    const up = () => {
      el.removeEventListener('pointermove', move);
      el.removeEventListener('pointerup', up);
      el.removeEventListener('pointercancel', up);
      if (frame) cancelAnimationFrame(frame);
      flush();
    };
    el.addEventListener('pointermove', move);
    el.addEventListener('pointerup', up);
    el.addEventListener('pointercancel', up);
  };
  return <div class="resize-grip" data-testid="resize-grip" title={t.resize} onPointerDown={onPointerDown} />;
}
