// Byte codecs of the host transport: base64 payloads, UTF-8 text and the packed real-value records.

const kAlphabet = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/';
const kLookup = (() => {
  const t = new Int16Array(256).fill(-1);
  for (let i = 0; i < kAlphabet.length; i++) t[kAlphabet.charCodeAt(i)] = i;
  return t;
})();

/** Decodes standard base64 (padding optional, whitespace ignored); null when a foreign character appears. */
export function base64ToBytes(text: string): Uint8Array | null {
  const clean = text.replace(/\s+/g, '').replace(/=+$/, '');
  if (clean.length % 4 === 1) return null;
  const out = new Uint8Array(Math.floor((clean.length * 3) / 4));
  let acc = 0;
  let bits = 0;
  let n = 0;
  for (let i = 0; i < clean.length; i++) {
    const v = kLookup[clean.charCodeAt(i) & 0xff];
    if (v < 0 || clean.charCodeAt(i) > 0xff) return null;
    acc = (acc << 6) | v;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out[n++] = (acc >> bits) & 0xff;
    }
  }
  return out.subarray(0, n);
}

export function bytesToBase64(bytes: Uint8Array): string {
  let out = '';
  let i = 0;
  for (; i + 2 < bytes.length; i += 3) {
    const v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    out += kAlphabet[v >> 18] + kAlphabet[(v >> 12) & 63] + kAlphabet[(v >> 6) & 63] + kAlphabet[v & 63];
  }
  const rest = bytes.length - i;
  if (rest === 1) {
    const v = bytes[i] << 16;
    out += kAlphabet[v >> 18] + kAlphabet[(v >> 12) & 63] + '==';
  } else if (rest === 2) {
    const v = (bytes[i] << 16) | (bytes[i + 1] << 8);
    out += kAlphabet[v >> 18] + kAlphabet[(v >> 12) & 63] + kAlphabet[(v >> 6) & 63] + '=';
  }
  return out;
}

/** UTF-8 to text; malformed sequences become U+FFFD rather than failing the whole message. */
export function utf8Decode(bytes: Uint8Array): string {
  return new TextDecoder('utf-8').decode(bytes);
}

export function utf8Encode(text: string): Uint8Array {
  return new TextEncoder().encode(text);
}

export function textToBase64(text: string): string {
  return bytesToBase64(utf8Encode(text));
}

export interface RealValueRecord {
  index: number;
  value: number;
}

/** Size of one packed record: int32 index + float64 real value, little-endian, no padding. */
export const kRealValueRecordBytes = 12;

/**
 * Parses packed {int32 index, float64 real} records. The count comes from the decoded bytes:
 * the size the host passes alongside is the base64 length plus one, not the byte count.
 */
export function parseRealValueRecords(bytes: Uint8Array): RealValueRecord[] {
  const count = Math.floor(bytes.length / kRealValueRecordBytes);
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const out: RealValueRecord[] = [];
  for (let r = 0; r < count; r++) {
    const off = r * kRealValueRecordBytes;
    // Every other record's float64 sits at an address that is not 8-aligned; DataView reads it anyway.
    out.push({ index: view.getInt32(off, true), value: view.getFloat64(off + 4, true) });
  }
  return out;
}
