// Dump files: every container form, DAT extraction statistics, import into patch documents, export, bank and re-cut.
import { describe, expect, it } from 'vitest';
import { decodeMksDump, extractDatFrames, parseHexSysExLines, parseSysExSmf, scanRawSysEx } from './sysexReader';
import { buildDatMessage, encodeVarLen, writeSysExSmf } from './smfWriter';
import { buildBankSmf, buildCurrentPatchSmf, diagnoseDump, dumpToPatchDocuments, recutDumpFrames, slotName } from './dumpBank';
import { kPatchKeyRows, kToneKeys } from '../model/patchKeys';

/** A full DAT frame written out by hand: F0 41 42 unit 20, data, checksum, F7. */
function datFrame(data: number[], unit = 0, checksumDelta = 0): number[] {
  const sum = data.reduce((a, b) => a + b, 0);
  return [0xf0, 0x41, 0x42, unit, 0x20, ...data, ((0 - sum) & 0x7f) ^ checksumDelta, 0xf7];
}

/** A legal tone-and-patch set; `tag` varies the percentages, tone numbers as given. */
function set(tag: number, upperTone = 0, lowerTone = 0): number[] {
  const tone = new Array(39).fill(tag % 100);
  tone[9] = 24;
  tone[10] = 25;
  tone.fill(0, 33);
  const patch = [1, 60, 50, upperTone, 3, 0, 0, 4, 10, 20, 30, 40, 50, lowerTone, 3, 0, 0, 4, 10, 20, 30, 40, 50];
  return [...tone, ...patch];
}

/** A memory of 64 places in 16 DATs; `place(i)` gives each set (null for all zero). */
function memoryDump(place: (i: number) => number[] | null, unit = 0): number[] {
  const mem: number[] = [];
  for (let i = 0; i < 64; i++) mem.push(...(place(i) ?? new Array(62).fill(0)));
  const out: number[] = [];
  for (let k = 0; k < 16; k++) out.push(...datFrame(mem.slice(k * 248, k * 248 + 248), unit));
  return out;
}

const u8 = (a: number[]) => Uint8Array.from(a);

describe('containers', () => {
  it('scans raw bytes, dropping real-time bytes and abandoned messages', () => {
    const msgs = scanRawSysEx(u8([0x00, 0xf0, 0x41, 0xf8, 0x45, 0xf0, 0x43, 0x10, 0xf7, 0x99, 0xf0, 0x41]));
    expect(msgs.map((m) => Array.from(m))).toEqual([[0x43, 0x10, 0xf7]]);
  });

  it('reads hexadecimal lines ending in ZZ, and names the faults of bad lines', () => {
    expect(() => parseHexSysExLines('F04145002 0F7 zz')).toThrow(/^Invalid hex line: "F04145002 0F7/);
    expect(parseHexSysExLines('F041450020F7 ZZ\r\n\r\n  f041430020f7zz  \n').map((m) => Array.from(m))).toEqual([
      [0x41, 0x45, 0x00, 0x20, 0xf7],
      [0x41, 0x43, 0x00, 0x20, 0xf7],
    ]);
    expect(() => parseHexSysExLines('F04145002F7')).toThrow('Hex line has odd length: 11');
    expect(() => parseHexSysExLines('9041')).toThrow('Expected F0 prefix, got 0x90');
  });

  it('reads a MIDI file with meta events, running status and a message split over F7 packets', () => {
    const track = [
      0, 0xff, 0x51, 3, 7, 0xa1, 0x20,
      0, 0x90, 60, 100, 10, 62, 100, // note on, then running status
      0, 0xc0, 5,
      0, 0xf0, 3, 0x41, 0x42, 0x01, // packet without F7 ...
      0x81, 0x40, 0xf7, 3, 0x20, 0xf8, 0xf7, // ... continued and completed; the F8 is dropped
      0, 0xf7, 4, 0xf0, 0x43, 0x10, 0xf7, // an escaped complete message
      0, 0xff, 0x2f, 0,
    ];
    const file = [0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 8, 0, 0, 0, 1, 1, 0xe0, 0xaa, 0xbb, 0x4d, 0x54, 0x72, 0x6b, 0, 0, 0, track.length, ...track];
    expect(parseSysExSmf(u8(file)).map((m) => Array.from(m))).toEqual([
      [0x41, 0x42, 0x01, 0x20, 0xf7],
      [0x43, 0x10, 0xf7],
    ]);
    expect(() => parseSysExSmf(u8([0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 4]))).toThrow('MThd length too small: 4');
    expect(() => parseSysExSmf(u8([0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xe0, 0x58, 0x58, 0x58, 0x58]))).toThrow('Expected MTrk, got "XXXX"');
  });

  it('reads back the files it writes, and searches a damaged MIDI file as raw bytes', () => {
    const dat = buildDatMessage(3, set(7));
    const file = writeSysExSmf([dat, dat]);
    const r = decodeMksDump(file);
    expect(r.records.length).toBe(2);
    expect(r.records[0].unit).toBe(3);
    expect(r.stats.checksumMismatches).toBe(0);
    // A wrong track tag breaks the container; the F0 ... F7 bytes inside are still found.
    const damaged = file.slice();
    damaged[14] = 0x58;
    expect(decodeMksDump(damaged).records.length).toBe(2);
  });

  it('falls back to hexadecimal text when the bytes hold no F0', () => {
    const hex = (b: number[]) => b.map((x) => x.toString(16).padStart(2, '0')).join('');
    const text = `${hex(datFrame(set(5)))} ZZ\r\n${hex(datFrame(set(6), 1))}\n`;
    const r = decodeMksDump(new TextEncoder().encode(text));
    expect(r.records.map((x) => x.unit)).toEqual([0, 1]);
    // Text that is neither: nothing, and nothing thrown.
    expect(decodeMksDump(new TextEncoder().encode('hello')).stats.sysexMessages).toBe(0);
  });

  it('writes variable-length quantities and refuses negative ones', () => {
    expect([0, 127, 128, 254, 0xffffffff].map(encodeVarLen)).toEqual([[0], [0x7f], [0x81, 0], [0x81, 0x7e], [0x8f, 0xff, 0xff, 0xff, 0x7f]]);
    expect(() => encodeVarLen(-1)).toThrow('VLQ requires non-negative, got -1');
  });

  it('builds DATs with a checksum that zeroes the data sum, padded to 248 bytes', () => {
    const d = buildDatMessage(0x13, [1, 2, 3]);
    expect(d.length).toBe(254);
    expect(Array.from(d.subarray(0, 7))).toEqual([0x41, 0x42, 0x03, 0x20, 1, 2, 3]);
    expect(d[252]).toBe(128 - 6);
    expect(d[253]).toBe(0xf7);
    expect(() => buildDatMessage(0, new Array(249).fill(0))).toThrow('DAT data too long: 249 > 248');
  });
});

describe('DAT extraction', () => {
  it('accepts one-set DATs, rejects odd lengths, uses frames with a bad checksum and lists foreign senders', () => {
    const msgs = [
      datFrame(set(1)).slice(1),
      datFrame(new Array(100).fill(1)).slice(1),
      datFrame(set(2), 5, 1).slice(1),
      [0x00, 0x20, 0x29, 0x01, 0xf7],
      [0x43, 0x10, 0x4c, 0xf7],
      [0x43, 0x11, 0xf7],
      [0x41, 0x35, 0x00, 0x20, 0xf7],
      [0xfe],
    ].map(u8);
    const { records, stats } = extractDatFrames(msgs);
    expect(records.map((r) => [r.unit, r.data.length])).toEqual([[0, 62], [5, 62]]);
    expect(stats).toMatchObject({
      sysexMessages: 7,
      rolandDatFrames: 3,
      acceptedDatFrames: 2,
      rejectedBadLength: 1,
      checksumMismatches: 1,
      foreignManufacturerIds: ['00 20 29', '43'],
      rolandOtherOpcodes: [0x35],
      datFormatTypes: [0x20],
    });
  });

  it('explains a file that yields nothing', () => {
    expect(diagnoseDump(decodeMksDump(u8([1, 2, 3])).stats)).toEqual({ key: 'diagNoMessages' });
    expect(diagnoseDump(decodeMksDump(u8([0xf0, 0x43, 0x10, 0xf7, 0xf0, 0x7e, 0x00, 0xf7])).stats)).toEqual({ key: 'diagForeignIds', ids: '43, 7E' });
    expect(diagnoseDump(decodeMksDump(u8([0xf0, 0x41, 0x35, 0xf7])).stats)).toEqual({ key: 'diagNoDat' });
    expect(diagnoseDump(dumpToPatchDocuments(u8(datFrame(new Array(62).fill(0)))).stats)).toEqual({ key: 'diagNoValidSets' });
  });
});

describe('import into patch documents', () => {
  it('turns a raw dump of 16 DATs into named documents, skipping empty places', () => {
    const dump = memoryDump((i) => (i % 3 === 1 ? null : set(i, i, 63)));
    const { patches, stats } = dumpToPatchDocuments(u8(dump));
    expect(stats).toMatchObject({ acceptedDatFrames: 16, setsTotal: 64, setsEmpty: 21, setsInvalid: 0 });
    expect(patches.length).toBe(43);
    expect(patches[0].name).toBe('11');
    expect(patches[patches.length - 1].name).toBe('88');
    const doc = patches.find((p) => p.name === '21')!.document; // place 8, Lower tone 63
    expect(doc).toMatchObject({ format: 'com.velmora.patch', formatVersion: 1, kind: 'patch', createdWith: { name: 'Velmora', version: '1.0.13' } });
    expect(Object.keys(doc.patch.params).sort()).toEqual(kPatchKeyRows.map(([k]) => k).sort());
    expect(doc.patch.params['patch.splitPoint']).toBeCloseTo(39 / 87);
    expect(doc.patch.params['patch.lfo2SyncDiv']).toBeCloseTo(8 / 21);
    expect(doc.patch.params['patch.fx3.p7']).toBe(0);
    expect(Object.keys(doc.patch.toneA.params).sort()).toEqual([...kToneKeys].sort());
    expect(doc.patch.toneA.params['lfo1.rate']).toBeCloseTo(0.08); // tone 8
    expect(doc.patch.toneB.params['lfo1.rate']).toBeCloseTo(0.63); // tone 63
  });

  it('skips a set with three implausible bytes but keeps one with two, and limits tone numbers to the tones there are', () => {
    const bad = set(1);
    bad[9] = 60;
    bad[10] = 80;
    bad[39] = 5;
    const twoBad = set(2, 63, 1);
    twoBad[9] = 60;
    twoBad[10] = 80;
    const dump = [...datFrame([...bad, ...twoBad, ...set(3), ...set(4)])];
    const { patches, stats } = dumpToPatchDocuments(u8(dump));
    expect(stats.setsInvalid).toBe(1);
    expect(patches.map((p) => p.name)).toEqual(['12', '13', '14']);
    // Tone 63 of a four-set dump is tone 3.
    expect(patches[0].document.patch.toneA.params['lfo1.rate']).toBeCloseTo(0.04);
  });
});

describe('export', () => {
  const values = (i: number) => ((i * 37) % 101) / 100;

  it('writes the current patch as one DAT: Upper tone, patch, Lower tone, patch, then zeros', () => {
    const file = writeSysExSmfLength(buildCurrentPatchSmf(values));
    expect(file.length).toBe(14 + 8 + 4 + 254 + 4);
    const [r] = decodeMksDump(file).records;
    expect(r.data.length).toBe(248);
    expect(Array.from(r.data.subarray(124)).every((b) => b === 0)).toBe(true);
    expect(Array.from(r.data.subarray(39, 62))).toEqual(Array.from(r.data.subarray(101, 124)));
    expect([r.data[39 + 3], r.data[39 + 13]]).toEqual([0, 1]);
    expect(r.data[0]).toBe(Math.round(values(50) * 100));
    expect(r.data[62]).toBe(Math.round(values(50 + 49) * 100));
    // No tempo event, WSF or EOF: the track is the DAT at delta 0 and the end of track.
    expect(Array.from(file.subarray(22, 26))).toEqual([0, 0xf0, 0x81, 0x7e]);
    expect(Array.from(file.subarray(file.length - 4))).toEqual([0, 0xff, 0x2f, 0]);
  });

  it('builds a bank of 16 DATs that imports back: chosen slots, Init in empty slots and in places 51 to 88', () => {
    const doc = (rate: number, key: number) => ({
      patch: { params: { 'patch.keyMode': key, 'patch.balance': 0.3 }, toneA: { params: { 'lfo1.rate': rate } }, toneB: { params: { 'lfo1.rate': rate / 2 } } },
    });
    const init = doc(0.9, 1);
    const selection = new Array(32).fill(null);
    selection[0] = doc(0.5, 0);
    selection[31] = doc(0.2, 2 / 3);
    const file = buildBankSmf(selection, init);
    const decoded = decodeMksDump(file);
    expect(decoded.records.length).toBe(16);
    const { patches } = dumpToPatchDocuments(file);
    expect(patches.length).toBe(64);
    const byName = Object.fromEntries(patches.map((p) => [p.name, p.document.patch]));
    expect(byName['11'].toneA.params['lfo1.rate']).toBeCloseTo(0.5);
    expect(byName['11'].toneB.params['lfo1.rate']).toBeCloseTo(0.25);
    expect(byName['11'].params['patch.keyMode']).toBe(0);
    expect(byName['48'].params['patch.keyMode']).toBeCloseTo(2 / 3);
    expect(byName['12'].toneA.params['lfo1.rate']).toBeCloseTo(0.9);
    // Places 32 and up: Init's patch on tones 0 and 0 (slot 11's tone A).
    expect(byName['51'].params['patch.keyMode']).toBe(1);
    expect(byName['88'].toneB.params['lfo1.rate']).toBeCloseTo(0.5);
    const data = decoded.records.flatMap((r) => Array.from(r.data));
    expect([data[63 * 62 + 39 + 3], data[63 * 62 + 39 + 13]]).toEqual([0, 0]);
    expect([data[31 * 62 + 39 + 3], data[31 * 62 + 39 + 13]]).toEqual([62, 63]);
  });

  it('re-cuts a dump into 255-byte frames with fresh checksums and the first unit', () => {
    const dump = memoryDump((i) => set(i), 4);
    dump[5 + 255 * 3 + 10] ^= 1; // a damaged byte: the checksum of the re-cut frame follows the data
    const { frames } = recutDumpFrames(u8(dump));
    expect(frames.length).toBe(16);
    for (const f of frames) {
      expect(f.length).toBe(255);
      expect([f[0], f[1], f[2], f[3], f[254]]).toEqual([0xf0, 0x41, 0x42, 4, 0xf7]);
      const sum = Array.from(f.subarray(5, 254)).reduce((a, b) => a + b, 0);
      expect(sum & 0x7f).toBe(0);
    }
    expect(recutDumpFrames(u8([0xf0, 0x43, 0xf7])).frames).toEqual([]);
  });

  it('names memory places by bank and number', () => {
    expect([0, 7, 8, 63, 64, -1].map(slotName)).toEqual(['11', '18', '21', '88', '64', '-1']);
  });
});

/** The file as written (a named step keeps the length check readable). */
function writeSysExSmfLength(f: Uint8Array): Uint8Array {
  expect(Array.from(f.subarray(0, 14))).toEqual([0x4d, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xe0]);
  return f;
}
