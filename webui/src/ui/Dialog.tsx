// The page's modal dialog: title, text and its buttons (OK when none are given); Enter presses the first
// button, Escape dismisses it.
import { useLayoutEffect } from 'preact/hooks';
import { dialog, type DialogInfo } from '../state/app';
import { texts } from '../i18n/texts';

function close(d: DialogInfo, run?: () => void): void {
  if (dialog.peek() === d) dialog.value = null;
  run?.();
}

export function Dialog() {
  const d = dialog.value;
  useLayoutEffect(() => {
    if (!d) return;
    const onKey = (e: KeyboardEvent) => {
      if (e.key === 'Escape') close(d, d.onDismiss);
      else if (e.key === 'Enter' && !e.repeat) {
        e.preventDefault();
        close(d, d.buttons?.[0]?.run);
      }
    };
    // Capture on window: the keyboard capture stops key events there while a dialog is open.
    window.addEventListener('keydown', onKey, { capture: true });
    return () => window.removeEventListener('keydown', onKey, { capture: true });
  }, [d]);
  if (!d) return null;
  const buttons = d.buttons ?? [{ label: texts().dialogOk }];
  return (
    <div class="modal-backdrop" data-modal="open">
      <div class="modal" role="dialog" data-testid="dialog">
        <h2>{d.title}</h2>
        <p>{d.body}</p>
        <div class="modal-buttons">
          {buttons.map((b, k) => (
            <button key={k} type="button" onClick={() => close(d, b.run)}>
              {b.label}
            </button>
          ))}
        </div>
      </div>
    </div>
  );
}
