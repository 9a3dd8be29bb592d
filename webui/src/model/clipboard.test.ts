// Clipboard texts of the effect chain and of modules, module parameter lists, and drag reordering of the chain.
import { describe, expect, it } from 'vitest';
import { chainFromClipboard, chainToClipboard, chainWrites, moduleFromClipboard, moduleParams, moduleToClipboard, readChain, reorderChain, type FxSlotContent } from './clipboard';

const slot = (type: number, v = 0, bypass = false): FxSlotContent => ({ type, bypass, params: Array.from({ length: 8 }, (_, p) => v + p / 100) });

describe('effect chain clipboard', () => {
  it('round-trips the chain read from the parameters as indented JSON', () => {
    const values: Record<number, number> = { 117: 4 / 15, 118: 0.25, 163: 1, 153: 10 / 15, 161: 0.9 };
    const chain = readChain((i) => values[i] ?? 0);
    expect(chain[0]).toEqual({ type: 4, bypass: true, params: [0.25, 0, 0, 0, 0, 0, 0, 0] });
    expect(chain[4].type).toBe(10);
    const text = chainToClipboard(chain);
    expect(text).toContain('\n  "format": "velmora-effect-chain"');
    expect(chainFromClipboard(text)).toEqual(chain);
  });

  it('reads lenient slots, clamps values and type, and refuses what is not a chain', () => {
    const text = JSON.stringify({ format: 'velmora-effect-chain', slots: [{ type: 16.4, params: [2, -1, 'x'] }, { type: 2.6, params: [], bypass: true }, { type: 3, params: [] }] });
    const s = chainFromClipboard(text)!;
    expect(s.length).toBe(3);
    expect(s[0]).toEqual({ type: 15, bypass: false, params: [1, 0, 0, 0, 0, 0, 0, 0] });
    expect(s[1].type).toBe(3);
    // Three slots rewrite slots 1 to 3 only: 3 x (type, eight values, bypass).
    const writes = chainWrites(s);
    expect(writes.length).toBe(30);
    expect(Math.max(...writes.map((w) => w.index))).toBe(165);
    expect(chainFromClipboard(JSON.stringify({ format: 'velmora-effect-chain', slots: new Array(7).fill({ type: 1, params: [] }) }))!.length).toBe(5);
    for (const bad of ['', 'nope', '{"format":"velmora-module","slots":[]}', '{"format":"velmora-effect-chain","slots":[{"type":"1","params":[]}]}', '{"format":"velmora-effect-chain","slots":[{"type":1}]}', '{"format":"velmora-effect-chain","slots":[null]}']) {
      expect(chainFromClipboard(bad)).toBeNull();
    }
  });

  it('reorders by removing and reinserting, rewriting only the slots that changed', () => {
    const chain = [slot(1, 0.1), slot(2, 0.2), slot(3, 0.3), slot(3, 0.3), slot(5, 0.5, true)];
    const moved = reorderChain(chain, 0, 3);
    expect(moved.map((m) => [m.slot, m.content.type])).toEqual([[0, 2], [1, 3], [3, 1]]);
    expect(reorderChain(chain, 4, 0).map((m) => m.slot)).toEqual([0, 1, 2, 4]);
    expect(reorderChain(chain, 2, 2)).toEqual([]);
  });
});

describe('module clipboard', () => {
  it('names the parameters of each module on either part', () => {
    expect(moduleParams('env', 'upper', 1)).toEqual([44, 45, 46, 47, 48, 49]);
    expect(moduleParams('lfo-1', 'lower')).toEqual([99, 101, 100, 183, 184]);
    expect(moduleParams('after-touch', 'lower')).toEqual([178, 180, 179, 187, 188]);
    expect(moduleParams('key-mode', 'lower')).toEqual([3, 4]);
  });

  it('accepts a paste only into the same kind with the same number of parameters', () => {
    const text = moduleToClipboard('vcf', moduleParams('vcf', 'upper'), (i) => i / 100);
    const clip = moduleFromClipboard(text, 'vcf', 7)!;
    expect(clip.params[0]).toEqual({ id: 29, value: 0.29 });
    expect(moduleFromClipboard(text, 'vca', 7)).toBeNull();
    expect(moduleFromClipboard(text, 'vcf', 6)).toBeNull();
    expect(moduleFromClipboard('{"format":"velmora-module","kind":"vcf","params":[{"id":1}]}', 'vcf', 1)).toBeNull();
  });
});
