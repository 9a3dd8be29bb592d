// Header (manual, language), patch bar (name, modified mark) and the two tone menus with link, expand and Whole mode.
import { bank, library, linked, patchModified, prefs, setBank, showDialog, updatePrefs } from '../state/app';
import { texts } from '../i18n/texts';
import { params, readNorm } from '../state/params';
import { isWholeMode, P, type Part } from '../model/paramLayout';
import { canExpand, toggleExpand } from '../state/expand';
import { useMemo, useState } from 'preact/hooks';
import { PatchTools } from './PatchBrowser';
import { buildTree, embeddedTonePath, folderOf, stepTone, toneList, type PresetEntry, type ToneChoice } from '../model/presetTree';
import { chooseTone, toneBadge } from '../state/presets';
import { copyToneFrom } from '../model/mirroring';
import { beginGesture, endGesture } from '../state/actions';
import { sendParamValue, hasHostBridge, sendTagged } from '../bridge/host';
import { setNorm } from '../state/params';
import { MsgTag } from '../bridge/protocol';

/** Where the "Online manual" item leads. */
const kOnlineManualUrl = 'https://velmora.app/manual/';

function ManualMenu() {
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
      <button type="button" class="manual-btn" data-testid="manual-btn" title={t.manualTooltip} onClick={() => setOpen(!open)}>
        ?
      </button>
      {open && (
        <>
          <div class="menu-catcher" onClick={() => setOpen(false)} />
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
      <span class="patch-name" data-testid="patch-name">
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

/** Writes the other part's tone into this one, each value in its own gesture (no mirroring: it is a copy). */
function copyFromOther(part: Part): void {
  const from: Part = part === 'upper' ? 'lower' : 'upper';
  for (const c of copyToneFrom(from, readNorm)) {
    beginGesture(c.index);
    setNorm(c.index, c.value);
    sendParamValue(c.index, c.value);
    endGesture(c.index);
  }
}

function ToneList({ part, onClose }: { part: Part; onClose: () => void }) {
  const t = texts();
  const list = useToneList();
  const current = bank.value[part === 'upper' ? 'upperTone' : 'lowerTone'].path;
  const pick = (c: ToneChoice) => {
    chooseTone(part, c);
    onClose();
  };
  const rows: { entry: PresetEntry; a: ToneChoice; b?: ToneChoice }[] = [];
  for (const c of list) {
    if (c.source === 'upper') rows.push({ entry: c.entry, a: c });
    else rows[rows.length - 1].b = c;
  }
  let lastFolder: string | null = null;
  return (
    <>
      <div class="menu-catcher" onClick={onClose} />
      <div class="drop-menu tone-list" data-testid={`tone-list-${part}`}>
        {rows.map((r) => {
          const folder = folderOf(r.entry.path);
          const head = folder !== lastFolder && folder !== '' ? <div class="menu-path">{folder}</div> : null;
          lastFolder = folder;
          const on = (c?: ToneChoice) => (c && embeddedTonePath(c) === current ? ' on' : '');
          return (
            <div key={r.entry.path}>
              {head}
              <div class="tone-row">
                <button type="button" class={'menu-item tone-name-btn' + on(r.a)} onClick={() => pick(r.a)}>
                  {r.entry.name}
                </button>
                <button type="button" class={'tone-ab' + on(r.a)} data-testid="tone-u" onClick={() => pick(r.a)}>
                  U
                </button>
                {r.b && (
                  <button type="button" class={'tone-ab' + on(r.b)} data-testid="tone-l" onClick={() => pick(r.b!)}>
                    L
                  </button>
                )}
              </div>
            </div>
          );
        })}
        <div class="menu-divider" />
        <button
          type="button"
          class="menu-item"
          data-testid="tone-copy-other"
          onClick={() => {
            copyFromOther(part);
            onClose();
          }}
        >
          {part === 'upper' ? t.toneCopyFromLower : t.toneCopyFromUpper}
        </button>
      </div>
    </>
  );
}

function useToneList(): ToneChoice[] {
  const entries = library.value as unknown as PresetEntry[];
  return useMemo(() => toneList(buildTree(entries)), [entries]);
}

function ToneMenu({ part }: { part: Part }) {
  const t = texts();
  const s = bank.value;
  const target = part === 'upper' ? 'upperTone' : 'lowerTone';
  const ref = s[target];
  const selected = s.expandedTones || s.editTarget === target;
  const [open, setOpen] = useState(false);
  const list = useToneList();
  const nav = (dir: 1 | -1) => {
    const c = stepTone(list, bank.peek()[target].path, dir);
    if (c) chooseTone(part, c);
  };
  const badge = toneBadge.value;
  return (
    <div class={`tone-menu ${part}` + (selected ? ' selected' : '')} data-testid={`tone-menu-${part}`}>
      <button type="button" class="tone-tab" onClick={() => setBank({ ...bank.peek(), editTarget: target })}>
        {part === 'upper' ? t.upperTone : t.lowerTone}
      </button>
      <button type="button" class="tone-nav" data-testid={`tone-prev-${part}`} title={t.toneNavPrev} onClick={() => nav(-1)}>
        ◀
      </button>
      <button type="button" class="tone-name" data-testid={`tone-name-${part}`} title={t.toneMenuOpen} onClick={() => setOpen(!open)}>
        {ref.name} ▾
      </button>
      <button type="button" class="tone-nav" data-testid={`tone-next-${part}`} title={t.toneNavNext} onClick={() => nav(1)}>
        ▶
      </button>
      {badge && badge.part === part && (
        <span class="tone-badge" data-testid={`tone-badge-${part}`}>
          {badge.text}
        </span>
      )}
      {open && <ToneList part={part} onClose={() => setOpen(false)} />}
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
