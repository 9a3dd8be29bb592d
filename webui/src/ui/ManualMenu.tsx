// The manual menu ("?"): the online manual through the processor's URL opener, and the PDF manual in the page's language.
import { useState } from 'preact/hooks';
import { prefs } from '../state/app';
import { texts } from '../i18n/texts';
import { hasHostBridge, sendTagged } from '../bridge/host';
import { MsgTag } from '../bridge/protocol';
import { MenuCatcher } from './MenuCatcher';

/** Where the "Online manual" item leads. */
const kOnlineManualUrl = 'https://velmora.app/manual/';

export function ManualMenu() {
  const t = texts();
  const [open, setOpen] = useState(false);
  const lang = prefs.value.lang;
  const online = () => {
    const url = kOnlineManualUrl + lang;
    if (hasHostBridge()) sendTagged(MsgTag.OpenUrl, url);
    else window.open(url, '_blank', 'noopener');
  };
  const pdf = () => sendTagged(MsgTag.OpenManualPdf, lang === 'ja' ? 'ja' : 'en');
  return (
    <span class="menu-anchor">
      <button type="button" class="manual-btn" data-testid="manual-btn" title={open ? undefined : t.manualTooltip} onClick={() => setOpen(!open)}>
        ?
      </button>
      {open && (
        <>
          <MenuCatcher onClose={() => setOpen(false)} />
          <div class="drop-menu right" data-testid="manual-menu">
            {[
              [t.manualOnline, online],
              [t.manualPdf, pdf],
            ].map(([label, run]) => (
              <button
                key={label as string}
                type="button"
                class="menu-item"
                onClick={() => {
                  setOpen(false);
                  (run as () => void)();
                }}
              >
                {label as string}
              </button>
            ))}
          </div>
        </>
      )}
    </span>
  );
}

