// The click catcher behind an open drop-down menu: a click outside or Escape closes the menu.
import { kOpenMenuAttr, useCloseOnEscape } from './menuKeys';

export function MenuCatcher({ onClose }: { onClose: () => void }) {
  useCloseOnEscape(true, onClose);
  return <div class="menu-catcher" {...{ [kOpenMenuAttr]: 'open' }} onClick={onClose} />;
}
