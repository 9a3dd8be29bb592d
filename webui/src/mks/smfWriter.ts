// Writing MKS-80 data frames: the DAT message and the plain one-track MIDI file that carries messages back to back.

export const kDatDataBytes = 248;

/** MIDI variable-length quantity: 7 bits per byte, most significant group first. */
export function encodeVarLen(n: number): number[] {
  if (!(n >= 0)) throw new Error(`VLQ requires non-negative, got ${n}`);
  const groups = [n & 0x7f];
  let v = Math.floor(n / 128);
  while (v > 0) {
    groups.unshift((v & 0x7f) | 0x80);
    v = Math.floor(v / 128);
  }
  return groups;
}

/** A DAT without its F0: 41 42 unit 20, 248 data bytes (zero-padded), checksum, F7. */
export function buildDatMessage(unit: number, data: ArrayLike<number>): Uint8Array {
  if (data.length > kDatDataBytes) throw new Error(`DAT data too long: ${data.length} > 248`);
  const out = new Uint8Array(4 + kDatDataBytes + 2);
  out.set([0x41, 0x42, unit & 0x0f, 0x20]);
  let sum = 0;
  for (let k = 0; k < data.length; k++) {
    out[4 + k] = data[k];
    sum += data[k];
  }
  out[4 + kDatDataBytes] = (128 - (sum & 0x7f)) & 0x7f;
  out[5 + kDatDataBytes] = 0xf7;
  return out;
}

const u32 = (n: number) => [(n >>> 24) & 0xff, (n >>> 16) & 0xff, (n >>> 8) & 0xff, n & 0xff];

/** Format 0, one track, 480 ticks: every message at delta 0 (F0, length, the bytes after F0), then end of track. */
export function writeSysExSmf(messages: Uint8Array[]): Uint8Array {
  const track: number[] = [];
  for (const m of messages) {
    track.push(0, 0xf0, ...encodeVarLen(m.length));
    for (const b of m) track.push(b);
  }
  track.push(0, 0xff, 0x2f, 0x00);
  const head = [0x4d, 0x54, 0x68, 0x64, ...u32(6), 0, 0, 0, 1, 0x01, 0xe0, 0x4d, 0x54, 0x72, 0x6b, ...u32(track.length)];
  const out = new Uint8Array(head.length + track.length);
  out.set(head);
  out.set(track, head.length);
  return out;
}
