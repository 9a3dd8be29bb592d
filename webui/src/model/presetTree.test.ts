// The library tree: order of folders and presets, the "- " group, folder neighbours and tone navigation.
import { describe, expect, it } from 'vitest';
import { buildTree, folderListing, menuColumns, neighbourInFolder, stepTone, toneList, type PresetEntry } from './presetTree';

const e = (path: string, extra: Partial<PresetEntry> = {}): PresetEntry => ({ name: path.split(/[\\/]/).pop()!.replace(/\.80p$/, ''), path, ...extra });
const library: PresetEntry[] = [
  e('b.80p'),
  e('Pads/Warm.80p', { isWhole: true }),
  e('Pads\\Air.80p'),
  e('- Favourites/Zed.80p'),
  e('Bass/Sub.80p'),
  e('- Work/Draft.80p'),
  e('a.80p'),
  { name: 'Init', path: 'builtin:init', isBuiltin: true },
  e('Zoo.80p'),
];

const label = (i: ReturnType<typeof folderListing>[number]) => (i.kind === 'folder' ? `[${i.label}]` : i.kind === 'divider' ? '--' : i.entry.name);

describe('library tree', () => {
  it('lists folders first, the "- " folders between dividers, then presets with Init last', () => {
    const root = buildTree(library);
    expect(folderListing(root).map(label)).toEqual(['[Bass]', '[Pads]', '--', '[Favourites]', '[Work]', '--', 'a', 'b', 'Zoo', 'Init']);
    // Both separators make one folder.
    expect(folderListing(root.folders.find((f) => f.name === 'Pads')!).map(label)).toEqual(['Air', 'Warm']);
  });

  it('steps through the current folder, wrapping, and not at all for unknown or lonely patches', () => {
    expect(neighbourInFolder(library, 'b.80p', 1)?.path).toBe('Zoo.80p');
    expect(neighbourInFolder(library, 'a.80p', -1)?.path).toBe('builtin:init');
    expect(neighbourInFolder(library, 'builtin:init', 1)?.path).toBe('a.80p');
    expect(neighbourInFolder(library, 'Pads/Warm.80p', 1)?.path).toBe('Pads\\Air.80p');
    expect(neighbourInFolder(library, 'Bass/Sub.80p', 1)).toBeNull();
    expect(neighbourInFolder(library, 'gone.80p', 1)).toBeNull();
    expect(neighbourInFolder(library, null, 1)).toBeNull();
  });

  it('offers tone A of every patch and tone B unless Whole, navigating with wrap-around', () => {
    const list = toneList(buildTree(library));
    const names = list.map((c) => `${c.entry.name}:${c.source[0]}`);
    expect(names.slice(0, 5)).toEqual(['Sub:u', 'Sub:l', 'Air:u', 'Air:l', 'Warm:u']);
    expect(names[names.length - 1]).toBe('Init:l');
    expect(stepTone(list, null, 1)).toBe(list[0]);
    expect(stepTone(list, null, -1)).toBe(list[list.length - 1]);
    expect(stepTone(list, 'embedded:Pads/Warm.80p#upper', 1)?.entry.name).toBe('Zed');
    expect(stepTone(list, 'embedded:Bass/Sub.80p#upper', -1)?.entry.path).toBe('builtin:init');
    expect(stepTone(list, 'embedded:builtin:init#lower', 1)).toBe(list[0]);
  });

  it('widens the patch menu to two columns above 14 presets and three above 28', () => {
    expect([14, 15, 28, 29].map(menuColumns)).toEqual([1, 2, 2, 3]);
  });
});
