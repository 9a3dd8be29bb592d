// Keyboard capture: browser zoom is swallowed, and key events go to the processor (the host's shortcuts) instead of the page.
import { sendJson, hasHostBridge } from './bridge/host';
import { MsgTag } from './bridge/protocol';
import { menuIsOpen } from './ui/menuKeys';

const kZoomKeys = new Set(['=', '+', '-', '_', '0']);
const kZoomCodes = new Set(['Equal', 'Minus', 'NumpadAdd', 'NumpadSubtract', 'Numpad0', 'Digit0']);
const kNonEditableInputs = new Set(['range', 'checkbox', 'radio', 'button', 'submit', 'reset', 'color', 'file', 'image']);
const kRepeatWindowMs = 200;

export function isZoomKey(e: KeyboardEvent): boolean {
  return (e.ctrlKey || e.metaKey) && (kZoomKeys.has(e.key) || kZoomCodes.has(e.code));
}

export function isEditableTarget(t: EventTarget | null): boolean {
  if (!(t instanceof Element)) return false;
  if (t.closest('.block-host-shortcuts')) return true;
  if (t instanceof HTMLElement && t.isContentEditable) return true;
  if (t instanceof HTMLTextAreaElement) return true;
  if (t instanceof HTMLInputElement) return !kNonEditableInputs.has((t.type || 'text').toLowerCase());
  return false;
}

function modalOpen(): boolean {
  return document.querySelector('[data-modal="open"]') !== null;
}

const lastSeen = new Map<string, number>();

function onKey(e: KeyboardEvent): void {
  if (e.defaultPrevented || isZoomKey(e) || e.isComposing || e.keyCode === 229) return;
  if (e.key === 'Escape' && menuIsOpen()) return; // the menu closes itself
  if (isEditableTarget(e.target) || modalOpen()) {
    // Typing stays in the page: the host's own document listeners must not see it either.
    e.stopPropagation();
    return;
  }
  const id = `${e.type}|${e.code}`;
  const now = performance.now();
  if (!e.repeat) {
    const prev = lastSeen.get(id);
    // Some engines deliver one physical press twice; the second copy is dropped.
    if (prev !== undefined && now - prev < kRepeatWindowMs) {
      e.preventDefault();
      e.stopImmediatePropagation();
      return;
    }
    lastSeen.set(id, now);
  }
  const active = document.activeElement;
  if (active instanceof HTMLElement && active !== document.body && !isEditableTarget(active)) active.blur();
  sendJson(MsgTag.ForwardKeyEvent, {
    type: e.type === 'keyup' ? 'keyup' : 'keydown',
    key: e.key,
    code: e.code,
    keyCode: e.keyCode > 0 ? e.keyCode : e.which || 0,
    repeat: e.repeat,
    altKey: e.altKey,
    ctrlKey: e.ctrlKey,
    shiftKey: e.shiftKey,
    metaKey: e.metaKey,
  });
  e.preventDefault();
  e.stopImmediatePropagation();
}

/** Installed before any component exists. Capture on window runs ahead of the host's own document listeners. */
export function installKeyboardCapture(): void {
  // Zoom keys are cancelled both ways, so neither the page nor the host acts on them.
  for (const type of ['keydown', 'keyup'] as const) {
    window.addEventListener(
      type,
      (e) => {
        if (isZoomKey(e)) {
          e.preventDefault();
          e.stopImmediatePropagation();
        }
      },
      { capture: true },
    );
  }
  window.addEventListener(
    'wheel',
    (e) => {
      if (e.ctrlKey || e.metaKey) e.preventDefault();
    },
    { capture: true, passive: false },
  );
  for (const g of ['gesturestart', 'gesturechange', 'gestureend']) window.addEventListener(g, (e) => e.preventDefault(), { capture: true });
  if (!hasHostBridge()) return;
  window.addEventListener('keydown', onKey, { capture: true });
  window.addEventListener('keyup', onKey, { capture: true });
}
