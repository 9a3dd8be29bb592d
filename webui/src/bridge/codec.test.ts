// Transport codecs: base64, UTF-8 and the packed real-value records.
import { describe, expect, it } from 'vitest';
import { base64ToBytes, bytesToBase64, parseRealValueRecords, textToBase64, utf8Decode } from './codec';

describe('base64', () => {
  it('round-trips every padding length', () => {
    for (let n = 0; n < 8; n++) {
      const bytes = Uint8Array.from({ length: n }, (_, i) => (i * 97 + 200) & 0xff);
      const text = bytesToBase64(bytes);
      expect(text).toBe(Buffer.from(bytes).toString('base64'));
      expect(Array.from(base64ToBytes(text)!)).toEqual(Array.from(bytes));
    }
  });

  it('refuses characters outside the alphabet', () => {
    expect(base64ToBytes('ab$d')).toBeNull();
    expect(base64ToBytes('abcde')).toBeNull();
  });

  it('carries UTF-8 text, Japanese included', () => {
    const text = 'ブラス・パッド — "Pad" 80';
    expect(textToBase64(text)).toBe(Buffer.from(text, 'utf8').toString('base64'));
    expect(utf8Decode(base64ToBytes(textToBase64(text))!)).toBe(text);
  });
});

describe('real-value records', () => {
  function pack(records: [number, number][], extra = 0): Uint8Array {
    const b = Buffer.alloc(records.length * 12 + extra);
    records.forEach(([i, v], k) => {
      b.writeInt32LE(i, k * 12);
      b.writeDoubleLE(v, k * 12 + 4);
    });
    return new Uint8Array(b);
  }

  it('reads float64 values at unaligned offsets, little-endian', () => {
    const recs = parseRealValueRecords(pack([[29, 548.75], [377, -1], [-3, 1e-300]]));
    expect(recs).toEqual([
      { index: 29, value: 548.75 },
      { index: 377, value: -1 },
      { index: -3, value: 1e-300 },
    ]);
  });

  it('reads records from a view that starts inside a larger buffer', () => {
    const whole = new Uint8Array(5 + 12);
    whole.set(pack([[7, 0.1]]), 5);
    expect(parseRealValueRecords(whole.subarray(5))).toEqual([{ index: 7, value: 0.1 }]);
  });

  it('counts records from the decoded bytes, not the transport size', () => {
    // All 378 values: 4536 bytes travel as 6048 base64 characters, announced as size 6049.
    const values: [number, number][] = Array.from({ length: 378 }, (_, i) => [i, i * 0.5]);
    const b64 = Buffer.from(pack(values)).toString('base64');
    expect(b64.length + 1).toBe(6049);
    const recs = parseRealValueRecords(base64ToBytes(b64)!);
    expect(recs.length).toBe(378);
    expect(recs[377]).toEqual({ index: 377, value: 188.5 });
    // A trailing partial record is ignored.
    expect(parseRealValueRecords(pack([[1, 2]], 7)).length).toBe(1);
  });
});
