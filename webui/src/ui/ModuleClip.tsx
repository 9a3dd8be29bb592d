// Copy and paste of one module's settings, converting through real values between different parameters.
import { useState } from 'preact/hooks';
import { texts } from '../i18n/texts';
import { moduleFromClipboard, moduleToClipboard } from '../model/clipboard';
import { userGestureSet } from '../state/actions';
import { readClipboard, writeClipboard } from '../state/clipboardOps';
import { readNorm } from '../state/params';
import { convertValue } from '../state/valueConvert';

const kFlashMs = 1100;

/** Two overlapping sheets (copy) and a clipboard (paste), drawn so no font has to carry the symbols. */
const CopyIcon = () => (
  <svg width="9" height="9" viewBox="0 0 9 9" aria-hidden="true">
    <rect x="0.5" y="0.5" width="5" height="5" fill="none" stroke="currentColor" />
    <rect x="3.5" y="3.5" width="5" height="5" fill="currentColor" />
  </svg>
);
const PasteIcon = () => (
  <svg width="9" height="9" viewBox="0 0 9 9" aria-hidden="true">
    <rect x="0.5" y="1.5" width="8" height="7" fill="none" stroke="currentColor" />
    <rect x="2.5" y="0" width="4" height="3" fill="currentColor" />
  </svg>
);

export function ModuleClipButtons({ kind, indices }: { kind: string; indices: number[] }) {
  const t = texts();
  const [flash, setFlash] = useState<'' | 'copied' | 'pasted' | 'bad'>('');
  const show = (f: typeof flash) => {
    setFlash(f);
    setTimeout(() => setFlash(''), kFlashMs);
  };
  const copy = async () => {
    if (await writeClipboard(moduleToClipboard(kind, indices, readNorm))) show('copied');
  };
  const paste = async () => {
    const text = await readClipboard();
    if (text === null) return;
    const clip = moduleFromClipboard(text, kind, indices.length);
    if (!clip) return show('bad');
    clip.params.forEach((p, k) => userGestureSet(indices[k], convertValue(p.id, indices[k], p.value)));
    show('pasted');
  };
  return (
    <span class={'module-clip' + (flash ? ' flashing' : '')}>
      {flash && <span class={'clip-flash' + (flash === 'bad' ? ' bad' : '')}>{flash === 'copied' ? t.effectChainCopied : flash === 'pasted' ? t.effectChainPasted : t.effectChainPaste}</span>}
      <button type="button" class={flash === 'copied' ? 'ok' : ''} data-testid="module-copy" title={t.moduleParamsCopy} onClick={copy}>
        <CopyIcon />
      </button>
      <button type="button" class={flash === 'pasted' ? 'ok' : flash === 'bad' ? 'bad' : ''} data-testid="module-paste" title={t.moduleParamsPaste} onClick={paste}>
        <PasteIcon />
      </button>
    </span>
  );
}
