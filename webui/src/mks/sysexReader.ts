// Reading MKS-80 dumps in any form the page accepts (MIDI file, raw system-exclusive bytes, hexadecimal text)
// and picking out the bulk-dump data frames (DAT) with statistics that explain a file that yields nothing.
import { utf8Decode } from '../bridge/codec';

/** One system-exclusive message: the bytes after its F0, normally ending with F7. */
export type SysExMessage = Uint8Array;

export interface DatRecord {
  unit: number;
  data: Uint8Array;
}

export interface DumpStats {
  sysexMessages: number;
  rolandDatFrames: number;
  acceptedDatFrames: number;
  rejectedBadLength: number;
  checksumMismatches: number;
  foreignManufacturerIds: string[];
  rolandOtherOpcodes: number[];
  datFormatTypes: number[];
  setsTotal?: number;
  setsEmpty?: number;
  setsInvalid?: number;
}

export interface DatResult {
  records: DatRecord[];
  stats: DumpStats;
}

export const kSetBytes = 62;

const hex2 = (b: number) => b.toString(16).toUpperCase().padStart(2, '0');

/** Drops MIDI real-time bytes (F8..FF) that an interface may interleave with a message. */
export function stripRealtimeBytes(bytes: ArrayLike<number>): Uint8Array {
  const out: number[] = [];
  for (let i = 0; i < bytes.length; i++) if (bytes[i] < 0xf8) out.push(bytes[i]);
  return Uint8Array.from(out);
}

/** Every complete F0 ... F7 message in a byte stream; an F0 or the end before F7 abandons the message. */
export function scanRawSysEx(bytes: Uint8Array): SysExMessage[] {
  const out: SysExMessage[] = [];
  let i = 0;
  while (i < bytes.length) {
    if (bytes[i] !== 0xf0) {
      i++;
      continue;
    }
    const msg: number[] = [];
    let j = i + 1;
    let done = false;
    for (; j < bytes.length; j++) {
      const b = bytes[j];
      if (b === 0xf0) break;
      if (b >= 0xf8) continue;
      msg.push(b);
      if (b === 0xf7) {
        done = true;
        j++;
        break;
      }
    }
    if (done) out.push(Uint8Array.from(msg));
    i = j;
  }
  return out;
}

/** One message per line of hexadecimal text, each starting with F0; a trailing "ZZ" marks the end of a line. */
export function parseHexSysExLines(text: string): SysExMessage[] {
  const out: SysExMessage[] = [];
  for (const raw of text.split(/\r?\n/)) {
    const line = raw.trim().replace(/zz\s*$/i, '').trim();
    if (!line) continue;
    if (!/^[0-9a-fA-F]+$/.test(line)) throw new Error(`Invalid hex line: "${line.slice(0, 32)}..."`);
    if (line.length % 2 !== 0) throw new Error(`Hex line has odd length: ${line.length}`);
    const bytes = new Uint8Array(line.length / 2);
    for (let k = 0; k < bytes.length; k++) bytes[k] = parseInt(line.substr(2 * k, 2), 16);
    if (bytes[0] !== 0xf0) throw new Error(`Expected F0 prefix, got 0x${bytes[0].toString(16).padStart(2, '0')}`);
    out.push(bytes.subarray(1));
  }
  return out;
}

class Reader {
  pos = 0;
  constructor(readonly b: Uint8Array) {}
  get left(): number {
    return this.b.length - this.pos;
  }
  u8(): number {
    if (this.pos >= this.b.length) throw new Error('Unexpected end of MIDI file');
    return this.b[this.pos++];
  }
  bytes(n: number): Uint8Array {
    if (n > this.left) throw new Error('Unexpected end of MIDI file');
    const out = this.b.subarray(this.pos, this.pos + n);
    this.pos += n;
    return out;
  }
  u16(): number {
    return (this.u8() << 8) | this.u8();
  }
  u32(): number {
    return ((this.u8() << 24) >>> 0) + (this.u8() << 16) + (this.u8() << 8) + this.u8();
  }
  varLen(): number {
    let v = 0;
    for (let k = 0; k < 5; k++) {
      const b = this.u8();
      v = v * 128 + (b & 0x7f);
      if (!(b & 0x80)) return v;
    }
    throw new Error('Variable-length quantity too long');
  }
  tag(): string {
    return String.fromCharCode(...this.bytes(4));
  }
}

/** The system-exclusive messages of a Standard MIDI File, packets continued with F7 events joined. */
export function parseSysExSmf(bytes: Uint8Array): SysExMessage[] {
  const r = new Reader(bytes);
  const head = r.tag();
  if (head !== 'MThd') throw new Error(`Expected MThd, got "${head}"`);
  const headLen = r.u32();
  if (headLen < 6) throw new Error(`MThd length too small: ${headLen}`);
  r.u16();
  const tracks = r.u16();
  r.u16();
  r.bytes(headLen - 6);
  const out: SysExMessage[] = [];
  for (let t = 0; t < tracks && r.left > 0; t++) {
    const tag = r.tag();
    if (tag !== 'MTrk') throw new Error(`Expected MTrk, got "${tag}"`);
    const len = r.u32();
    const end = r.pos + len;
    let running = 0;
    let open: number[] | null = null;
    const finish = (msg: number[]) => {
      if (msg.length && msg[msg.length - 1] === 0xf7) {
        out.push(Uint8Array.from(msg));
        return null;
      }
      return msg;
    };
    while (r.pos < end) {
      r.varLen();
      let status = r.u8();
      let first: number | null = null;
      if (status < 0x80) {
        first = status;
        status = running;
      }
      if (status === 0xff) {
        r.u8();
        r.bytes(r.varLen());
      } else if (status === 0xf0) {
        open = finish([...stripRealtimeBytes(r.bytes(r.varLen()))]);
      } else if (status === 0xf7) {
        const data = [...stripRealtimeBytes(r.bytes(r.varLen()))];
        if (open) open = finish(open.concat(data));
        else if (data[0] === 0xf0) open = finish(data.slice(1));
      } else {
        if (status >= 0x80 && status < 0xf0) running = status;
        const hi = status & 0xf0;
        const n = hi === 0xc0 || hi === 0xd0 ? 1 : status >= 0x80 && status < 0xf0 ? 2 : 0;
        const need = n - (first !== null ? 1 : 0);
        if (need > 0) r.bytes(need);
      }
    }
    r.pos = Math.min(Math.max(r.pos, end), bytes.length);
  }
  return out;
}

function emptyStats(): DumpStats {
  return {
    sysexMessages: 0,
    rolandDatFrames: 0,
    acceptedDatFrames: 0,
    rejectedBadLength: 0,
    checksumMismatches: 0,
    foreignManufacturerIds: [],
    rolandOtherOpcodes: [],
    datFormatTypes: [],
  };
}

const addOnce = <T>(list: T[], v: T) => {
  if (!list.includes(v)) list.push(v);
};

/** The DAT frames among decoded messages; frames of a wrong length are counted and skipped, bad checksums counted and used. */
export function extractDatFrames(messages: SysExMessage[]): DatResult {
  const stats = emptyStats();
  const records: DatRecord[] = [];
  for (const m of messages) {
    let msg = stripRealtimeBytes(m);
    if (msg.length === 0) continue;
    stats.sysexMessages++;
    if (msg[msg.length - 1] === 0xf7) msg = msg.subarray(0, msg.length - 1);
    if (msg.length < 2) continue;
    let at = -1;
    for (let p = 0; p <= 4 && p <= msg.length - 2; p++) {
      if (msg[p] === 0x41 && msg[p + 1] === 0x42) {
        at = p;
        break;
      }
    }
    if (at < 0) {
      if (msg[0] === 0x41) addOnce(stats.rolandOtherOpcodes, msg[1]);
      else if (msg[0] < 0x80) addOnce(stats.foreignManufacturerIds, msg[0] === 0 ? Array.from(msg.subarray(0, 3), hex2).join(' ') : hex2(msg[0]));
      continue;
    }
    stats.rolandDatFrames++;
    const len = msg.length - at - 5;
    if (len <= 0 || len % kSetBytes !== 0) {
      stats.rejectedBadLength++;
      continue;
    }
    addOnce(stats.datFormatTypes, msg[at + 3]);
    const data = msg.slice(at + 4, at + 4 + len);
    let sum = msg[at + 4 + len];
    for (const b of data) sum += b;
    if ((sum & 0x7f) !== 0) stats.checksumMismatches++;
    stats.acceptedDatFrames++;
    records.push({ unit: msg[at + 2] & 0x0f, data });
  }
  return { records, stats };
}

const startsWithMThd = (b: Uint8Array) => b.length >= 4 && b[0] === 0x4d && b[1] === 0x54 && b[2] === 0x68 && b[3] === 0x64;

/** DAT records of a dump in any supported form: the first reading that finds DATs wins, else the one that saw most. */
export function decodeMksDump(bytes: Uint8Array): DatResult {
  const candidates: SysExMessage[][] = [];
  if (startsWithMThd(bytes)) {
    try {
      candidates.push(parseSysExSmf(bytes));
    } catch {
      // A damaged container is still searched as raw bytes below.
    }
    candidates.push(scanRawSysEx(bytes));
  } else {
    const raw = scanRawSysEx(bytes);
    if (raw.length > 0) candidates.push(raw);
    else {
      try {
        candidates.push(parseHexSysExLines(utf8Decode(bytes)));
      } catch {
        candidates.push([]);
      }
    }
  }
  const results = candidates.map(extractDatFrames);
  const found = results.find((r) => r.records.length > 0);
  if (found) return found;
  return results.reduce((best, r) => (r.stats.sysexMessages > best.stats.sysexMessages ? r : best));
}

/** The concatenated DAT data cut into 62-byte tone-and-patch sets; a remainder is ignored. */
export function splitDumpSets(records: DatRecord[]): Uint8Array[] {
  const all = concatData(records);
  const out: Uint8Array[] = [];
  for (let k = 0; k + kSetBytes <= all.length; k += kSetBytes) out.push(all.subarray(k, k + kSetBytes));
  return out;
}

export function concatData(records: DatRecord[]): Uint8Array {
  const total = records.reduce((n, r) => n + r.data.length, 0);
  const all = new Uint8Array(total);
  let at = 0;
  for (const r of records) {
    all.set(r.data, at);
    at += r.data.length;
  }
  return all;
}
