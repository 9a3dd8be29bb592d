// Keys of the page's drop-down menus: Escape closes the one that is open.
import { useLayoutEffect } from 'preact/hooks';

/** Marks an open menu; the keyboard capture leaves Escape to it instead of forwarding it to the host. */
export const kOpenMenuAttr = 'data-menu';

export function menuIsOpen(): boolean {
  return document.querySelector(`[${kOpenMenuAttr}="open"]`) !== null;
}

export function useCloseOnEscape(open: boolean, close: () => void): void {
  useLayoutEffect(() => {
    if (!open) return;
    const onKey = (e: KeyboardEvent) => {
      if (e.key !== 'Escape') return;
      e.preventDefault();
      e.stopPropagation();
      close();
    };
    window.addEventListener('keydown', onKey, { capture: true });
    return () => window.removeEventListener('keydown', onKey, { capture: true });
  }, [open]);
}
