// Which copies follow a user change: Whole mode, tone link and the tone-menu copy.
import { describe, expect, it } from 'vitest';
import { copyToneFrom, mirrorCopies } from './mirroring';

const WHOLE = 0;
const DUAL = 1;
function reader(keyMode: number, over: Record<number, number> = {}) {
  return (i: number) => (i === 3 ? keyMode : over[i] ?? 0);
}

describe('mirroring of user changes', () => {
  it('in Whole mode with link off, moves Lower portamento with Upper but not the tone', () => {
    expect(mirrorCopies(10, 0.4, reader(WHOLE), false)).toEqual([{ index: 174, value: 0.4 }]);
    expect(mirrorCopies(174, 0.4, reader(WHOLE), false)).toEqual([{ index: 10, value: 0.4 }]);
    expect(mirrorCopies(185, 1, reader(WHOLE), false)).toEqual([{ index: 187, value: 1 }]);
    expect(mirrorCopies(29, 0.4, reader(WHOLE), false)).toEqual([]);
  });

  it('outside Whole mode copies tone, part and sync parameters only while linked', () => {
    expect(mirrorCopies(29, 0.4, reader(DUAL), true)).toEqual([{ index: 78, value: 0.4 }]);
    expect(mirrorCopies(78, 0.4, reader(DUAL), true)).toEqual([{ index: 29, value: 0.4 }]);
    expect(mirrorCopies(182, 0.5, reader(DUAL), true)).toEqual([{ index: 184, value: 0.5 }]);
    expect(mirrorCopies(16, 1, reader(DUAL), true)).toEqual([{ index: 180, value: 1 }]);
    expect(mirrorCopies(29, 0.4, reader(DUAL), false)).toEqual([]);
    expect(mirrorCopies(10, 0.4, reader(DUAL), false)).toEqual([]);
  });

  it('never mirrors patch-wide parameters', () => {
    for (const i of [0, 1, 4, 5, 115, 120, 162, 168]) expect(mirrorCopies(i, 0.7, reader(DUAL), true)).toEqual([]);
  });

  it('switching to Whole copies the Upper part block and LFO2 sync where they differ', () => {
    const r = reader(WHOLE, { 6: 0.5, 10: 0.3, 185: 1, 186: 0.4, 170: 0.5 });
    const copies = mirrorCopies(3, 0, r, false);
    expect(copies).toEqual([
      { index: 174, value: 0.3 },
      { index: 187, value: 1 },
      { index: 188, value: 0.4 },
    ]);
    expect(mirrorCopies(3, 1, reader(DUAL, { 10: 0.3 }), true)).toEqual([]);
  });

  it('copies a whole tone, its part block and sync pairs from the other part', () => {
    const copies = copyToneFrom('upper', (i) => (i < 66 || (i >= 181 && i <= 182) || i === 185 || i === 186 || i <= 16 ? 0.5 : 0));
    const targets = copies.map((c) => c.index);
    expect(targets).toContain(66);
    expect(targets).toContain(114);
    expect(targets).toContain(170);
    expect(targets).toContain(183);
    expect(targets).toContain(187);
    expect(targets.every((i) => (i >= 66 && i <= 114) || (i >= 170 && i <= 180) || (i >= 183 && i <= 184) || (i >= 187 && i <= 188))).toBe(true);
  });
});
