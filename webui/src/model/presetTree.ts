// The preset library as a tree of folders and presets, the patch browser's listing, and folder and tone navigation.

export interface PresetEntry {
  name: string;
  path: string;
  isBuiltin?: boolean;
  isWhole?: boolean;
  isExternal?: boolean;
}

export interface FolderNode {
  name: string;
  /** Path of the folder from the library root, "/"-joined ("" for the root). */
  path: string;
  folders: FolderNode[];
  presets: PresetEntry[];
}

export type ListItem =
  | { kind: 'folder'; label: string; node: FolderNode }
  | { kind: 'divider' }
  | { kind: 'preset'; entry: PresetEntry };

const splitPath = (p: string) => p.split(/[\\/]/).filter((s) => s !== '');
const byName = (a: string, b: string) => a.localeCompare(b);

/** Built-in entries after the others, then by name. */
export function comparePresets(a: PresetEntry, b: PresetEntry): number {
  const ba = a.isBuiltin ? 1 : 0;
  const bb = b.isBuiltin ? 1 : 0;
  return ba !== bb ? ba - bb : byName(a.name, b.name);
}

export function buildTree(entries: readonly PresetEntry[]): FolderNode {
  const root: FolderNode = { name: '', path: '', folders: [], presets: [] };
  for (const e of entries) {
    const parts = splitPath(e.path);
    let node = root;
    for (const seg of parts.slice(0, -1)) {
      let next = node.folders.find((f) => f.name === seg);
      if (!next) {
        next = { name: seg, path: node.path ? `${node.path}/${seg}` : seg, folders: [], presets: [] };
        node.folders.push(next);
      }
      node = next;
    }
    node.presets.push(e);
  }
  const sort = (n: FolderNode) => {
    n.folders.sort((a, b) => byName(a.name, b.name));
    n.presets.sort(comparePresets);
    n.folders.forEach(sort);
  };
  sort(root);
  return root;
}

const kGroupPrefix = '- ';

/** A folder's menu: leading folders, the "- " folders between two dividers, then the presets. */
export function folderListing(node: FolderNode): ListItem[] {
  const plain = node.folders.filter((f) => !f.name.startsWith(kGroupPrefix));
  const grouped = node.folders.filter((f) => f.name.startsWith(kGroupPrefix));
  const out: ListItem[] = plain.map((f) => ({ kind: 'folder' as const, label: f.name, node: f }));
  if (grouped.length > 0) {
    out.push({ kind: 'divider' });
    for (const f of grouped) out.push({ kind: 'folder', label: f.name.slice(kGroupPrefix.length), node: f });
    out.push({ kind: 'divider' });
  }
  for (const e of node.presets) out.push({ kind: 'preset', entry: e });
  return out;
}

/** Columns of the patch menu for a number of presets. */
export function menuColumns(presetCount: number): number {
  return presetCount > 28 ? 3 : presetCount > 14 ? 2 : 1;
}

export function folderOf(path: string): string {
  return splitPath(path).slice(0, -1).join('/');
}

/** The neighbour of the current patch in its folder, wrapping; null when it is not listed or alone there. */
export function neighbourInFolder(entries: readonly PresetEntry[], currentPath: string | null, dir: 1 | -1): PresetEntry | null {
  if (currentPath === null) return null;
  const folder = folderOf(currentPath);
  const siblings = entries.filter((e) => folderOf(e.path) === folder).sort(comparePresets);
  const at = siblings.findIndex((e) => e.path === currentPath);
  if (at < 0 || siblings.length < 2) return null;
  return siblings[(at + dir + siblings.length) % siblings.length];
}

export interface ToneChoice {
  entry: PresetEntry;
  source: 'upper' | 'lower';
}

/** Every patch in tree order offers its tone A, and unless it is a Whole patch its tone B. */
export function toneList(root: FolderNode): ToneChoice[] {
  const out: ToneChoice[] = [];
  const walk = (n: FolderNode) => {
    for (const item of folderListing(n)) {
      if (item.kind === 'folder') walk(item.node);
      else if (item.kind === 'preset') {
        out.push({ entry: item.entry, source: 'upper' });
        if (!item.entry.isWhole) out.push({ entry: item.entry, source: 'lower' });
      }
    }
  };
  walk(root);
  return out;
}

/** The path a loaded tone reports: the patch's path inside an "embedded:" reference. */
export const embeddedTonePath = (c: ToneChoice) => `embedded:${c.entry.path}#${c.source}`;

/** The next or previous tone, wrapping; with nothing selected, the first (next) or the last (previous). */
export function stepTone(list: readonly ToneChoice[], currentPath: string | null, dir: 1 | -1): ToneChoice | null {
  if (list.length === 0) return null;
  const at = currentPath === null ? -1 : list.findIndex((c) => embeddedTonePath(c) === currentPath);
  if (at < 0) return dir === 1 ? list[0] : list[list.length - 1];
  return list[(at + dir + list.length) % list.length];
}
