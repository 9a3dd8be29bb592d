// Bank state: modified mark, tone equality and link, restore rules, save as.
import { describe, expect, it } from 'vitest';
import { applySaveAs, defaultBankState, isPatchModified, linkInEffect, parseBankState, tonesAreSame, withAllBaselines, type BankState } from './bankState';

const values = (over: Record<number, number> = {}) => (i: number) => over[i] ?? 0.25;

describe('modified mark', () => {
  const loaded = withAllBaselines(defaultBankState(), values());
  it.each([
    ['nothing changed', {}, false],
    ['a performance value (split point)', { 4: 0.5 }, true],
    ['an effect parameter', { 140: 0.9 }, true],
    ['an Upper tone value', { 29: 0.3 }, true],
    ['a Lower tone value', { 78: 0.3 }, true],
    ['the Lower LFO sync division', { 184: 0.3 }, true],
    ['a change within 1e-6', { 29: 0.25 + 5e-7 }, false],
    ['master volume (not part of a patch)', { 0: 0.9 }, false],
    ['the chain lock and bypasses', { 162: 1, 163: 1 }, false],
    ['oversampling and polyphony', { 115: 1, 116: 1 }, false],
  ])('%s', (_name, over, expected) => {
    expect(isPatchModified(loaded, values(over as Record<number, number>), false)).toBe(expected);
  });

  it('is off while a preset loads or before any baseline exists', () => {
    expect(isPatchModified(loaded, values({ 4: 0.9 }), true)).toBe(false);
    expect(isPatchModified(defaultBankState(), values({ 4: 0.9 }), false)).toBe(false);
  });

  it('compares Lower against the patch Lower baseline, counting missing values as 0', () => {
    const s: BankState = { ...loaded, loadedPatchLowerToneParams: {} };
    expect(isPatchModified(s, values(), false)).toBe(true);
    expect(isPatchModified(s, (i) => (i >= 66 && i <= 114) || i === 183 || i === 184 ? 0 : 0.25, false)).toBe(false);
  });
});

describe('tone equality and link', () => {
  const base = defaultBankState();
  const emb = (a: string, b: string, lu: Record<string, number>, ll: Record<string, number>): BankState => ({
    ...base,
    upperTone: { name: 'A', path: a },
    lowerTone: { name: 'B', path: b },
    loadedUpperToneParams: lu,
    loadedLowerToneParams: ll,
  });

  it('treats two unset paths and equal paths as the same tone', () => {
    expect(tonesAreSame(base)).toBe(true);
    expect(tonesAreSame(emb('/a.80p', '/a.80p', { 17: 1 }, {}))).toBe(true);
    expect(tonesAreSame(emb('/a.80p', '/b.80p', {}, {}))).toBe(false);
  });

  it('links two cuts of one embedded document only while their loaded values match', () => {
    expect(tonesAreSame(emb('embedded:/p.80p#upper', 'embedded:/p.80p#lower', { 29: 0.5 }, { 29: 0.5 + 1e-10 }))).toBe(true);
    expect(tonesAreSame(emb('embedded:/p.80p#upper', 'embedded:/p.80p#lower', { 29: 0.5 }, { 29: 0.6 }))).toBe(false);
    expect(tonesAreSame(emb('embedded:/p.80p#upper', 'embedded:/p.80p#lower', { 29: 0.5 }, { 29: 0.5, 30: 0 }))).toBe(false);
    expect(tonesAreSame(emb('embedded:/p.80p#upper', 'embedded:/q.80p#lower', {}, {}))).toBe(false);
  });

  it('is in effect only when enabled', () => {
    expect(linkInEffect(base)).toBe(true);
    expect(linkInEffect({ ...base, linkEnabled: false })).toBe(false);
  });
});

describe('restore', () => {
  it('keeps expanded tones only on a screen at least 1000 pixels high (or of unknown height)', () => {
    expect(parseBankState({ expandedTones: true }, 900).expandedTones).toBe(false);
    expect(parseBankState({ expandedTones: true }, 1000).expandedTones).toBe(true);
    expect(parseBankState({ expandedTones: true }, null).expandedTones).toBe(true);
  });

  it('falls back to the tone baselines when the patch tone baselines are missing', () => {
    const s = parseBankState({ loadedUpperToneParams: { 29: 0.5 }, loadedLowerToneParams: { 29: 0.7 } }, null);
    expect(s.loadedPatchUpperToneParams).toEqual({ 29: 0.5 });
    expect(s.loadedPatchLowerToneParams).toEqual({ 29: 0.7 });
  });

  it('fills defaults for missing or malformed fields', () => {
    const s = parseBankState({ patch: { name: 'X', path: 5 }, editTarget: 'nonsense', linkEnabled: 'yes' }, null);
    expect(s.patch).toEqual({ name: 'X', path: null });
    expect(s.editTarget).toBe('upperTone');
    expect(s.linkEnabled).toBe(true);
    expect(parseBankState([], null)).toEqual(defaultBankState());
  });
});

describe('save as', () => {
  it('names the patch without a file, takes every baseline and the current tones as the patch tones', () => {
    const s: BankState = { ...defaultBankState(), upperTone: { name: 'U', path: '/u.80p' }, lowerTone: { name: 'L', path: 'embedded:/p.80p#lower' } };
    const saved = applySaveAs(s, '  Warm Strings ', values({ 4: 0.9 }));
    expect(saved.patch).toEqual({ name: 'Warm Strings', path: null });
    expect(saved.patchUpperTonePath).toBe('/u.80p');
    expect(saved.patchLowerTonePath).toBe('embedded:/p.80p#lower');
    expect(saved.loadedPerfParams[4]).toBe(0.9);
    expect(isPatchModified(saved, values({ 4: 0.9 }), false)).toBe(false);
    expect(applySaveAs(s, '   ', values())).toBe(s);
  });
});
