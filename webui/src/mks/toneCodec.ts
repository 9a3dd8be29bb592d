// The MKS-80 bulk format's packed tone (39 bytes) and patch (23 bytes) records to normalized values and back.

export type Values = Record<number, number>;

/** Integer part of y + 0.5: the device's rounding. */
const near = (y: number) => Math.floor(y + 0.5);
const clamp01 = (x: number) => (Number.isFinite(x) ? Math.min(1, Math.max(0, x)) : 0);
const pct = (b: number) => Math.min(Math.max(b / 100, 0), 1);
const pctByte = (x: number) => near(clamp01(x) * 100);
/** Step k of n steps from a normalized value, limited to 0..n-1. */
const step = (x: number, n: number) => Math.min(n - 1, Math.max(0, near(clamp01(x) * (n - 1))));
/** Inverted 3-step field: 0 -> 1.0, 1 -> 0.5, 2 (and 3) -> 0. */
const inv3 = (v: number) => Math.max(2 - v, 0) / 2;
/** Switch bit: clear -> 1.0, set -> 0; back: 1 when the value is the first of two steps. */
const bit = (b: number, n: number) => ((b >> n) & 1 ? 0 : 1);
const s = (x: number) => (step(x, 2) === 0 ? 1 : 0);

export const kToneBytes = 39;
export const kPatchBytes = 23;

/** Tone bytes 0..8 and 11..32 are plain percentages of these Upper indices. */
const kPctLow = [50, 52, 53, 54, 55, 56, 18, 59, 60];
const kPctHigh = [26, 27, 28, 29, 30, 33, 34, 35, 36, 37, 63, 64, 38, 39, 40, 41, 42, 44, 45, 46, 47, 48];

const kLfoWaveDecode = [1, 0.75, 0.25, 0];
const kLfoWaveCode = [3, 2, 2, 1, 0];
const kSyncDecode = [1, 0, 0.5, 0];
const kSyncCode = [1, 2, 0];

export function decodeToneBytes(bytes: ArrayLike<number>): Values {
  if (bytes.length !== kToneBytes) throw new Error(`tone byte length ${bytes.length} (want 39)`);
  const v: Values = {};
  kPctLow.forEach((i, k) => (v[i] = pct(bytes[k])));
  v[21] = Math.min(Math.max(near(bytes[9] / 12), 0), 4) / 4;
  const b10 = bytes[10];
  v[24] = b10 === 0 ? 0 : b10 >= 50 ? 1 : Math.min(Math.max(near((b10 - 1) / 12) + 1, 1), 5) / 6;
  kPctHigh.forEach((i, k) => (v[i] = pct(bytes[11 + k])));
  const b33 = bytes[33];
  v[51] = kLfoWaveDecode[b33 & 3];
  v[57] = inv3((b33 >> 2) & 3);
  const b34 = bytes[34];
  v[58] = bit(b34, 0);
  v[61] = bit(b34, 1);
  v[19] = inv3((b34 >> 2) & 3);
  v[20] = inv3(bytes[35] & 3);
  v[23] = inv3((bytes[35] >> 2) & 3);
  const b36 = bytes[36];
  v[31] = bit(b36, 0);
  v[32] = bit(b36, 1);
  v[43] = bit(b36, 2);
  v[49] = bit(b36, 3);
  v[22] = (3 - (bytes[37] & 3)) / 3;
  v[25] = (3 - ((bytes[37] >> 2) & 3)) / 3;
  v[62] = kSyncDecode[bytes[38] & 3];
  v[65] = bit(bytes[38], 2);
  // The bulk format has no reserved byte and no tempo sync: those take their fixed values.
  v[17] = 0;
  v[181] = 0;
  v[182] = 8 / 21;
  for (let i = 17; i <= 65; i++) if (v[i] === undefined) throw new Error(`Tone param missing for id ${i}`);
  return v;
}

/** Tone bytes from values by Upper index; a missing value counts as 0. */
export function encodeToneBytes(values: Values): Uint8Array {
  const x = (i: number) => clamp01(values[i] ?? 0);
  const out = new Uint8Array(kToneBytes);
  kPctLow.forEach((i, k) => (out[k] = pctByte(x(i))));
  out[9] = step(x(21), 5) * 12;
  const k7 = step(x(24), 7);
  out[10] = k7 === 0 ? 0 : k7 === 6 ? 50 : (k7 - 1) * 12 + 1;
  kPctHigh.forEach((i, k) => (out[11 + k] = pctByte(x(i))));
  out[33] = (((2 - step(x(57), 3)) & 3) << 2) | (kLfoWaveCode[step(x(51), 5)] & 3);
  out[34] = (((2 - step(x(19), 3)) & 3) << 2) | (s(x(61)) << 1) | s(x(58));
  out[35] = (((2 - step(x(23), 3)) & 3) << 2) | ((2 - step(x(20), 3)) & 3);
  out[36] = (s(x(49)) << 3) | (s(x(43)) << 2) | (s(x(32)) << 1) | s(x(31));
  out[37] = (((3 - step(x(25), 4)) & 3) << 2) | ((3 - step(x(22), 4)) & 3);
  out[38] = (s(x(65)) << 2) | (kSyncCode[step(x(62), 3)] & 3);
  return out;
}

export interface PatchRecord {
  values: Values;
  upperTone: number;
  lowerTone: number;
}

const kBendDecode = [1, 0.5, 0, 0];
const kBendCode = [2, 1, 0];

function decodeBlock(bytes: ArrayLike<number>, at: number, shift: number, v: Values): void {
  const i = (u: number) => u + shift;
  v[i(7)] = Math.min((bytes[at] & 7) / 4, 1);
  v[i(9)] = kBendDecode[bytes[at + 1] & 3];
  v[i(12)] = kBendDecode[bytes[at + 2] & 3];
  v[i(13)] = kBendDecode[(bytes[at + 2] >> 2) & 3];
  v[i(6)] = Math.min(((bytes[at + 3] >> 1) & 7) / 4, 1);
  v[i(16)] = bytes[at + 3] & 1 ? 0 : 1;
  v[i(8)] = pct(bytes[at + 4]);
  v[i(10)] = pct(bytes[at + 5]);
  v[i(11)] = pct(bytes[at + 6]);
  v[i(14)] = pct(bytes[at + 7]);
  v[i(15)] = pct(bytes[at + 8]);
}

function encodeBlock(x: (i: number) => number, out: Uint8Array, at: number, shift: number): void {
  const g = (u: number) => x(u + shift);
  out[at] = step(g(7), 5) & 7;
  out[at + 1] = kBendCode[step(g(9), 3)];
  out[at + 2] = (kBendCode[step(g(13), 3)] << 2) | kBendCode[step(g(12), 3)];
  out[at + 3] = ((step(g(6), 5) & 7) << 1) | (step(g(16), 2) === 0 ? 1 : 0);
  out[at + 4] = pctByte(g(8));
  out[at + 5] = pctByte(g(10));
  out[at + 6] = pctByte(g(11));
  out[at + 7] = pctByte(g(14));
  out[at + 8] = pctByte(g(15));
}

export function decodePatchBytes(bytes: ArrayLike<number>): PatchRecord {
  if (bytes.length !== kPatchBytes) throw new Error(`patch byte length ${bytes.length} (want 23)`);
  const v: Values = {};
  v[3] = (3 - (bytes[0] & 3)) / 3;
  v[4] = Math.min(Math.max((bytes[1] - 21) / 87, 0), 1);
  v[5] = pct(bytes[2]);
  decodeBlock(bytes, 4, 0, v);
  decodeBlock(bytes, 14, 164, v);
  return { values: v, upperTone: bytes[3] & 63, lowerTone: bytes[13] & 63 };
}

export function encodePatchBytes(p: PatchRecord): Uint8Array {
  const x = (i: number) => clamp01(p.values[i] ?? 0);
  const out = new Uint8Array(kPatchBytes);
  out[0] = 3 - step(x(3), 4);
  out[1] = Math.min(108, Math.max(21, near(x(4) * 87) + 21));
  out[2] = pctByte(x(5));
  out[3] = p.upperTone & 63;
  encodeBlock(x, out, 4, 0);
  out[13] = p.lowerTone & 63;
  encodeBlock(x, out, 14, 164);
  return out;
}
