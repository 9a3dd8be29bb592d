// The patch bar's library tools: the patch browser menu, previous/next in folder, and the save-as dialog.
import { signal } from '@preact/signals';
import { useLayoutEffect, useMemo, useState } from 'preact/hooks';
import { bank, library } from '../state/app';
import { texts } from '../i18n/texts';
import { buildTree, folderListing, folderOf, menuColumns, neighbourInFolder, type FolderNode, type PresetEntry } from '../model/presetTree';
import { loadPatch, savePatchAs } from '../state/presets';
import { MenuCatcher } from './MenuCatcher';

const entries = () => library.value as unknown as PresetEntry[];

function findFolder(root: FolderNode, path: string): FolderNode {
  let node = root;
  for (const seg of path.split('/').filter(Boolean)) {
    const next = node.folders.find((f) => f.name === seg);
    if (!next) return root;
    node = next;
  }
  return node;
}

function PresetMenu({ onClose }: { onClose: () => void }) {
  const t = texts();
  const list = entries();
  const root = useMemo(() => buildTree(list), [list]);
  const current = bank.value.patch.path;
  const [folder, setFolder] = useState(() => (current ? folderOf(current) : ''));
  const node = findFolder(root, folder);
  const items = folderListing(node);
  const presets = items.filter((i) => i.kind === 'preset');
  const cols = menuColumns(presets.length);
  // The pointed preset's path shows at the foot of the menu, wrapped inside it: a tooltip would cover the
  // menu or be cut at the window's edge.
  const [pointed, setPointed] = useState<string | null>(null);
  return (
    <>
      <MenuCatcher onClose={onClose} />
      <div class="preset-menu" data-testid="preset-menu">
        {node.path !== '' && (
          <button type="button" class="menu-item folder back" onClick={() => setFolder(node.path.split('/').slice(0, -1).join('/'))}>
            ◂ {t.presetBack} <span class="menu-path">{node.path}</span>
          </button>
        )}
        {items.map((i, k) =>
          i.kind === 'folder' ? (
            <button key={'f' + k} type="button" class="menu-item folder" data-testid="preset-folder" onClick={() => setFolder(i.node.path)}>
              ▸ {i.label}
            </button>
          ) : i.kind === 'divider' ? (
            <div key={'d' + k} class="menu-divider" />
          ) : null,
        )}
        <div class="preset-grid" style={{ gridTemplateColumns: `repeat(${cols}, minmax(120px, 1fr))` }}>
          {presets.map((i) =>
            i.kind === 'preset' ? (
              <button
                key={i.entry.path}
                type="button"
                class={'menu-item preset' + (i.entry.path === current ? ' current' : '')}
                data-testid="preset-item"
                onMouseEnter={() => setPointed(i.entry.isBuiltin ? null : i.entry.path)}
                onMouseLeave={() => setPointed(null)}
                onClick={() => {
                  loadPatch(i.entry.path);
                  onClose();
                }}
              >
                {i.entry.name}
              </button>
            ) : null,
          )}
        </div>
        <div class="menu-path preset-path" data-testid="preset-path">
          {pointed ?? '\u00a0'}
        </div>
      </div>
    </>
  );
}

/** Browser button, previous and next in folder; the menu opens below the patch bar. */
export function PatchTools() {
  const t = texts();
  const [open, setOpen] = useState(false);
  const current = bank.value.patch.path;
  const list = entries();
  const prev = neighbourInFolder(list, current, -1);
  const next = neighbourInFolder(list, current, 1);
  return (
    <span class="patch-tools">
      <button type="button" data-testid="preset-prev" disabled={!prev} title={t.presetPrevInFolder} onClick={() => prev && loadPatch(prev.path)}>
        ◀
      </button>
      <button type="button" data-testid="preset-next" disabled={!next} title={t.presetNextInFolder} onClick={() => next && loadPatch(next.path)}>
        ▶
      </button>
      <button type="button" data-testid="preset-browse" title={open ? undefined : t.presetBrowse} onClick={() => setOpen(!open)}>
        ☰ {t.presetLoad}
      </button>
      <button type="button" data-testid="preset-save-as" onClick={() => (saveAsOpen.value = true)}>
        {t.presetSaveAs}
      </button>
      {open && <PresetMenu onClose={() => setOpen(false)} />}
    </span>
  );
}

export const saveAsOpen = signal(false);

/** The name field of save-as; Enter submits through the form, since key events stop at the page's key capture. */
export function SaveAsDialog() {
  const t = texts();
  const [name, setName] = useState<string | null>(null);
  const open = saveAsOpen.value;
  const close = () => {
    saveAsOpen.value = false;
    setName(null);
  };
  useLayoutEffect(() => {
    if (!open) return;
    const onKey = (e: KeyboardEvent) => {
      if (e.key === 'Escape') close();
    };
    window.addEventListener('keydown', onKey, { capture: true });
    return () => window.removeEventListener('keydown', onKey, { capture: true });
  }, [open]);
  if (!open) return null;
  const value = name ?? bank.peek().patch.name;
  const ok = () => {
    if (savePatchAs(value)) close();
  };
  return (
    <div class="modal-backdrop" data-modal="open">
      <form
        class="modal block-host-shortcuts"
        data-testid="save-as"
        onSubmit={(e) => {
          e.preventDefault();
          ok();
        }}
      >
        <h2>{t.presetSaveAsTitle}</h2>
        <label class="field">
          {t.presetSaveAsName}
          <input type="text" value={value} ref={(el) => el?.focus()} onInput={(e) => setName((e.target as HTMLInputElement).value)} />
        </label>
        <div class="modal-buttons">
          <button type="submit" data-testid="save-as-ok" disabled={!value.trim()}>
            {t.dialogOk}
          </button>
          <button type="button" onClick={close}>
            {t.dialogCancel}
          </button>
        </div>
      </form>
    </div>
  );
}
