// One tone menu: previous/next tone through the library, the name badge, the tone list and copying the other tone.
import { useMemo, useState } from 'preact/hooks';
import { bank, library, setBank } from '../state/app';
import { texts } from '../i18n/texts';
import { readNorm, setNorm } from '../state/params';
import type { Part } from '../model/paramLayout';
import { buildTree, embeddedTonePath, folderOf, stepTone, toneList, type PresetEntry, type ToneChoice } from '../model/presetTree';
import { chooseTone, toneBadge } from '../state/presets';
import { copyToneFrom } from '../model/mirroring';
import { beginGesture, endGesture } from '../state/actions';
import { sendParamValue } from '../bridge/host';
import { MenuCatcher } from './MenuCatcher';

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
      <MenuCatcher onClose={onClose} />
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

export function ToneMenu({ part }: { part: Part }) {
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
      <button type="button" class="tone-name" data-testid={`tone-name-${part}`} title={open ? undefined : t.toneMenuOpen} onClick={() => setOpen(!open)}>
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

