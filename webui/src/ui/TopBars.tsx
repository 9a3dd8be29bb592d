// Header (notices, language, manual), patch bar (name, modified mark, library tools) and the two tone menus with link, expand and Whole mode.
import { bank, linked, patchModified, prefs, setBank, showDialog, updatePrefs } from '../state/app';
import { texts } from '../i18n/texts';
import { params } from '../state/params';
import { isWholeMode, P } from '../model/paramLayout';
import { canExpand, toggleExpand } from '../state/expand';
import { useState } from 'preact/hooks';
import { PatchTools } from './PatchBrowser';
import { ManualMenu } from './ManualMenu';
import { ToneMenu } from './ToneMenu';

export function Header() {
  const t = texts();
  const lang = prefs.value.lang;
  return (
    <header class="app-header">
      <div class="brand">
        <span class="logo">VELMORA</span>
        <span class="model">MKS-80 MODEL</span>
      </div>
      <div class="header-tools">
        <div class="lang-switch" role="group">
          <button type="button" class={lang === 'en' ? 'on' : ''} onClick={() => updatePrefs({ lang: 'en' })}>
            Eng
          </button>
          <button type="button" class={lang === 'ja' ? 'on' : ''} onClick={() => updatePrefs({ lang: 'ja' })}>
            Jp
          </button>
        </div>
        <button
          type="button"
          class={'flow-toggle' + (prefs.value.flowOverlayEnabled ? ' on' : '')}
          data-testid="flow-toggle"
          title={prefs.value.flowOverlayEnabled ? t.flowOverlayToggleOn : t.flowOverlayToggleOff}
          onClick={() => updatePrefs({ flowOverlayEnabled: !prefs.peek().flowOverlayEnabled })}
        >
          ⇢
        </button>
        <button type="button" class="notices-btn" data-testid="notices-btn" onClick={() => showDialog({ title: t.noticesTitle, body: t.noticesBody })}>
          {t.notices}
        </button>
        <ManualMenu />
      </div>
    </header>
  );
}

export function PatchBar() {
  const t = texts();
  const s = bank.value;
  const modified = patchModified.value;
  return (
    <div class="patch-bar">
      <span class="bar-label">{t.patch}</span>
      <span class="patch-name" data-testid="patch-name" title={s.patch.name}>
        {s.patch.name}
      </span>
      {modified && (
        <span class="modified-mark" data-testid="modified-mark" title={t.modified}>
          *
        </span>
      )}
      <PatchTools />
    </div>
  );
}

export function ToneMenus() {
  const t = texts();
  const s = bank.value;
  const whole = isWholeMode(params[P.KeyMode].norm.value);
  const inEffect = linked.value;
  const [refused, setRefused] = useState(false);
  const order = prefs.value.toneTabOrder;
  const expandOk = canExpand();
  return (
    <div class="tone-menus">
      {order.map((p) => (
        <ToneMenu key={p} part={p} />
      ))}
      <button
        type="button"
        class={'link-toggle' + (s.linkEnabled ? ' on' : '') + (inEffect ? ' active' : '')}
        data-testid="link-toggle"
        title={inEffect ? t.toneLinked : t.toneUnlinked}
        onClick={() => setBank({ ...bank.peek(), linkEnabled: !bank.peek().linkEnabled })}
      >
        <span class="led" />
        {t.link}
      </button>
      <button
        type="button"
        class={'expand-toggle' + (s.expandedTones ? ' on' : '') + (expandOk ? '' : ' unavailable')}
        data-testid="expand-toggle"
        title={!expandOk ? t.expandTonesUnavailable : s.expandedTones ? t.collapseTones : t.expandTones}
        onClick={() => setRefused(!toggleExpand())}
      >
        {s.expandedTones ? '▲' : '▼'} {t.expand}
      </button>
      {refused && !expandOk && <span class="hint">{t.expandTonesUnavailable}</span>}
      {whole && (
        <span class="whole-mode" data-testid="whole-mode">
          {t.wholeMode}
        </span>
      )}
    </div>
  );
}
