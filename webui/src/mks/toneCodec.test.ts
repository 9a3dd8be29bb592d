// Packed tone and patch records of the MKS-80 bulk format: decoding by the byte table, encoding back, size errors.
import { describe, expect, it } from 'vitest';
import { decodePatchBytes, decodeToneBytes, encodePatchBytes, encodeToneBytes } from './toneCodec';

/** A tone whose every field holds a distinct, legal value. */
function sampleTone(): number[] {
  const b = new Array(39).fill(0);
  for (let k = 0; k <= 8; k++) b[k] = 10 + k; // percentages 10..18
  b[9] = 36; // VCO-1 range step 3
  b[10] = 25; // VCO-2 range step 3 of 6
  for (let k = 11; k <= 32; k++) b[k] = 50 + k; // 61..82
  b[33] = (1 << 2) | 2; // PWM source 1, LFO wave code 2
  b[34] = (0 << 2) | (1 << 1) | 0; // key-follow target 0, X-mod polarity bit set, PWM polarity clear
  b[35] = (2 << 2) | 1; // VCO-2 mod 2, VCO-1 mod 1
  b[36] = 0b1010; // ENV-2 dynamics and VCF polarity set
  b[37] = (0 << 2) | 3; // VCO-2 wave code 0, VCO-1 wave code 3
  b[38] = (1 << 2) | 2; // EG reset set, sync code 2
  return b;
}

describe('tone record', () => {
  it('decodes every byte as its table row says', () => {
    const v = decodeToneBytes(sampleTone());
    expect(v[50]).toBeCloseTo(0.1);
    expect(v[60]).toBeCloseTo(0.18);
    expect(v[18]).toBeCloseTo(0.16);
    expect(v[21]).toBe(0.75);
    expect(v[24]).toBe(3 / 6);
    expect(v[26]).toBeCloseTo(0.61);
    expect(v[48]).toBeCloseTo(0.82);
    expect(v[51]).toBe(0.25);
    expect(v[57]).toBe(0.5);
    expect([v[58], v[61], v[19]]).toEqual([1, 0, 1]);
    expect([v[20], v[23]]).toEqual([0.5, 0]);
    expect([v[31], v[32], v[43], v[49]]).toEqual([1, 0, 1, 0]);
    expect([v[22], v[25]]).toEqual([0, 1]);
    expect([v[62], v[65]]).toEqual([0.5, 0]);
    // Fixed values of what the bulk format lacks.
    expect([v[17], v[181], v[182]]).toEqual([0, 0, 8 / 21]);
    for (let i = 17; i <= 65; i++) expect(v[i]).toBeGreaterThanOrEqual(0);
  });

  it('encodes decoded values back to the same bytes', () => {
    expect(Array.from(encodeToneBytes(decodeToneBytes(sampleTone())))).toEqual(sampleTone());
  });

  it('maps the VCO-2 range ends and steps both ways', () => {
    const withB10 = (b: number) => {
      const t = sampleTone();
      t[10] = b;
      return decodeToneBytes(t)[24];
    };
    expect(withB10(49)).toBeCloseTo(5 / 6, 12);
    expect(withB10(50)).toBe(1);
    expect(withB10(0)).toBe(0);
    expect(withB10(1)).toBeCloseTo(1 / 6, 12);
    expect(encodeToneBytes({ 24: 1 })[10]).toBe(50);
    expect(encodeToneBytes({ 24: 5 / 6 })[10]).toBe(49);
    expect(Array.from([0, 0.25, 0.5, 0.75, 1], (x) => encodeToneBytes({ 21: x })[9])).toEqual([0, 12, 24, 36, 48]);
  });

  it('packs switch fields, a missing value counting as 0', () => {
    const b = encodeToneBytes({});
    // All-zero values: wave code 3, inverted 3-steps at 2, switch bits set, sync code 1.
    expect(b[33]).toBe((2 << 2) | 3);
    expect(b[34]).toBe((2 << 2) | 3);
    expect(b[35]).toBe((2 << 2) | 2);
    expect(b[36]).toBe(0b1111);
    expect(b[37]).toBe((3 << 2) | 3);
    expect(b[38]).toBe((1 << 2) | 1);
    // LFO wave 0.5 (step 2 of 5) shares code 2 with step 1.
    expect(encodeToneBytes({ 51: 0.5 })[33] & 3).toBe(2);
  });

  it('refuses records of another size', () => {
    expect(() => decodeToneBytes(new Array(38).fill(0))).toThrow('tone byte length 38 (want 39)');
    expect(() => decodePatchBytes(new Array(24).fill(0))).toThrow('patch byte length 24 (want 23)');
  });
});

describe('patch record', () => {
  const block = (assign: number, hold: number, bends: number, oct: number, base: number) => [assign, hold, bends, oct, base, base + 1, base + 2, base + 3, base + 4];
  const sample = [1, 64, 40, 5, ...block(3, 1, (2 << 2) | 0, (2 << 1) | 1, 20), 9, ...block(4, 0, (1 << 2) | 1, 4 << 1, 70)];

  it('decodes key mode, split, balance, tone numbers and both part blocks', () => {
    const p = decodePatchBytes(sample);
    expect(p.upperTone).toBe(5);
    expect(p.lowerTone).toBe(9);
    expect(p.values[3]).toBeCloseTo(2 / 3);
    expect(p.values[4]).toBeCloseTo(43 / 87);
    expect(p.values[5]).toBeCloseTo(0.4);
    expect([p.values[7], p.values[9], p.values[12], p.values[13], p.values[6], p.values[16]]).toEqual([0.75, 0.5, 1, 0, 0.5, 0]);
    expect([p.values[8], p.values[15]].map((x) => Math.round(x * 100))).toEqual([20, 24]);
    expect([p.values[171], p.values[173], p.values[176], p.values[177], p.values[170], p.values[180]]).toEqual([1, 1, 0.5, 0.5, 1, 1]);
    expect(Math.round(p.values[179] * 100)).toBe(74);
    expect(Object.keys(p.values).length).toBe(25);
  });

  it('encodes back to the same bytes and limits the split point', () => {
    expect(Array.from(encodePatchBytes(decodePatchBytes(sample)))).toEqual(sample);
    const bytes = encodePatchBytes({ values: {}, upperTone: 70, lowerTone: 63 });
    expect([bytes[0], bytes[1], bytes[3], bytes[13]]).toEqual([3, 21, 70 & 63, 63]);
    expect(encodePatchBytes({ values: { 4: 1 }, upperTone: 0, lowerTone: 0 })[1]).toBe(108);
  });
});
