// From dumps to patch documents and from patches to dump files: import, current-patch export, bank file, re-cut for sending.
import { kPatchKeyRows, kToneKeyRows, valuesFromParams } from '../model/patchKeys';
import { decodePatchBytes, decodeToneBytes, encodePatchBytes, encodeToneBytes, kToneBytes, type Values } from './toneCodec';
import { concatData, decodeMksDump, kSetBytes, splitDumpSets, type DumpStats } from './sysexReader';
import { buildDatMessage, kDatDataBytes, writeSysExSmf } from './smfWriter';

export interface PatchDocument {
  format: string;
  formatVersion: number;
  kind: string;
  createdWith: { name: string; version: string };
  patch: { params: Record<string, number>; toneA: ToneObject; toneB: ToneObject };
}
interface ToneObject {
  modelRevision: string;
  params: Record<string, number>;
}

/** Memory place i as the device names it: bank digit then number digit ("11" to "88"). */
export function slotName(i: number): string {
  return Number.isInteger(i) && i >= 0 && i < 64 ? `${Math.floor(i / 8) + 1}${(i % 8) + 1}` : String(i);
}

/** Patch values the bulk format does not carry. */
const kPatchDefaults: Record<string, number> = {
  'patch.tune': 0.5,
  'patch.dynamicsSens': 1,
  'patch.volume': 0.5,
  'patch.stereoMode': 0,
  'patch.lfo2Sync': 0,
  'patch.lfo2SyncDiv': 8 / 21,
  'patch.lower.lfo2Sync': 0,
  'patch.lower.lfo2SyncDiv': 8 / 21,
};

function toneObject(v: Values): ToneObject {
  const params: Record<string, number> = {};
  for (const [k, i] of kToneKeyRows) params[k] = v[i];
  return { modelRevision: 'rev4', params };
}

function patchParams(v: Values): Record<string, number> {
  const params: Record<string, number> = {};
  for (const [k, i] of kPatchKeyRows) {
    if (k in kPatchDefaults) params[k] = kPatchDefaults[k];
    else if (v[i] !== undefined) params[k] = v[i];
    else params[k] = 0;
  }
  return params;
}

/** Bytes of a set that no real device would hold; more than two mark the set as garbage. */
function outOfRangeCount(set: Uint8Array): number {
  let n = 0;
  const over = (at: number, max: number) => {
    if (set[at] > max) n++;
  };
  for (let k = 0; k <= 8; k++) over(k, 100);
  over(9, 48);
  over(10, 50);
  for (let k = 11; k <= 32; k++) over(k, 100);
  const p = kToneBytes;
  over(p + 0, 3);
  over(p + 1, 108);
  over(p + 2, 100);
  over(p + 3, 63);
  over(p + 13, 63);
  for (let k = 8; k <= 12; k++) over(p + k, 100);
  for (let k = 18; k <= 22; k++) over(p + k, 100);
  return n;
}

export interface ImportResult {
  patches: { name: string; document: PatchDocument }[];
  stats: DumpStats;
}

export function dumpToPatchDocuments(bytes: Uint8Array): ImportResult {
  const { records, stats } = decodeMksDump(bytes);
  const sets = splitDumpSets(records);
  const tones = sets.map((s) => decodeToneBytes(s.subarray(0, kToneBytes)));
  stats.setsTotal = sets.length;
  stats.setsEmpty = 0;
  stats.setsInvalid = 0;
  const patches: ImportResult['patches'] = [];
  const toneAt = (n: number) => tones[Math.min(Math.max(n, 0), tones.length - 1)];
  sets.forEach((set, i) => {
    if (set.every((b) => b === 0)) {
      stats.setsEmpty!++;
      return;
    }
    if (outOfRangeCount(set) > 2) {
      stats.setsInvalid!++;
      return;
    }
    const p = decodePatchBytes(set.subarray(kToneBytes, kSetBytes));
    patches.push({
      name: slotName(i),
      document: {
        format: 'com.velmora.patch',
        formatVersion: 1,
        kind: 'patch',
        createdWith: { name: 'Velmora', version: '1.0.13' },
        patch: { params: patchParams(p.values), toneA: toneObject(toneAt(p.upperTone)), toneB: toneObject(toneAt(p.lowerTone)) },
      },
    });
  });
  return { patches, stats };
}

/** Lower tone values (66..114) seen as Upper indices (17..65). */
function lowerAsUpper(read: (i: number) => number): Values {
  const v: Values = {};
  for (let i = 17; i <= 65; i++) v[i] = read(i + 49);
  return v;
}

function upperTone(read: (i: number) => number): Values {
  const v: Values = {};
  for (let i = 17; i <= 65; i++) v[i] = read(i);
  return v;
}

function patchValues(read: (i: number) => number): Values {
  const v: Values = {};
  for (const [, i] of kPatchKeyRows) v[i] = read(i);
  return v;
}

/** The current patch as one DAT: Upper tone, patch, Lower tone, patch again (tones numbered 0 and 1). */
export function buildCurrentPatchSmf(read: (i: number) => number): Uint8Array {
  const patch = encodePatchBytes({ values: patchValues(read), upperTone: 0, lowerTone: 1 });
  const data = [...encodeToneBytes(upperTone(read)), ...patch, ...encodeToneBytes(lowerAsUpper(read)), ...patch];
  return writeSysExSmf([buildDatMessage(0, data)]);
}

const docPart = (doc: unknown, key: string): unknown => {
  const patch = doc && typeof doc === 'object' ? (doc as Record<string, unknown>).patch : undefined;
  return patch && typeof patch === 'object' ? (patch as Record<string, unknown>)[key] : undefined;
};
const paramsOf = (o: unknown): unknown => (o && typeof o === 'object' ? (o as Record<string, unknown>).params : undefined);

/**
 * A whole 64-place memory: slot i (0..31) takes the chosen document (or Init) as patch i with tones 2i and 2i + 1;
 * places 32..63 hold the Init patch on tones 0 and 0.
 */
export function buildBankSmf(selection: readonly (unknown | null)[], initDoc: unknown): Uint8Array {
  const tones: Uint8Array[] = [];
  const patches: Uint8Array[] = [];
  for (let i = 0; i < 32; i++) {
    const doc = selection[i] ?? initDoc;
    tones.push(encodeToneBytes(valuesFromParams(paramsOf(docPart(doc, 'toneA')), kToneKeyRows)));
    tones.push(encodeToneBytes(valuesFromParams(paramsOf(docPart(doc, 'toneB')), kToneKeyRows)));
    patches.push(encodePatchBytes({ values: valuesFromParams(docPart(doc, 'params'), kPatchKeyRows), upperTone: 2 * i, lowerTone: 2 * i + 1 }));
  }
  const initPatch = encodePatchBytes({ values: valuesFromParams(docPart(initDoc, 'params'), kPatchKeyRows), upperTone: 0, lowerTone: 0 });
  for (let i = 32; i < 64; i++) patches.push(initPatch);
  const memory = new Uint8Array(64 * kSetBytes);
  for (let i = 0; i < 64; i++) {
    memory.set(tones[i], i * kSetBytes);
    memory.set(patches[i], i * kSetBytes + kToneBytes);
  }
  const dats: Uint8Array[] = [];
  for (let k = 0; k < memory.length; k += kDatDataBytes) dats.push(buildDatMessage(0, memory.subarray(k, k + kDatDataBytes)));
  return writeSysExSmf(dats);
}

/** A dump file re-cut into full DAT frames (F0 included) for a handshaked send, all with the first record's unit. */
export function recutDumpFrames(bytes: Uint8Array): { frames: Uint8Array[]; stats: DumpStats } {
  const { records, stats } = decodeMksDump(bytes);
  if (records.length === 0) return { frames: [], stats };
  const all = concatData(records);
  const frames: Uint8Array[] = [];
  for (let k = 0; k < all.length; k += kDatDataBytes) {
    const dat = buildDatMessage(records[0].unit, all.subarray(k, Math.min(k + kDatDataBytes, all.length)));
    const frame = new Uint8Array(1 + dat.length);
    frame[0] = 0xf0;
    frame.set(dat, 1);
    frames.push(frame);
  }
  return { frames, stats };
}

export type DiagnosisKey = 'diagNoMessages' | 'diagForeignIds' | 'diagNoDat' | 'diagNoValidSets';

/** Why a decode produced nothing usable, as a text key (with the foreign IDs joined for its {ids}). */
export function diagnoseDump(stats: DumpStats): { key: DiagnosisKey; ids?: string } {
  if (stats.sysexMessages === 0) return { key: 'diagNoMessages' };
  if (stats.rolandDatFrames === 0) {
    if (stats.foreignManufacturerIds.length > 0) return { key: 'diagForeignIds', ids: stats.foreignManufacturerIds.join(', ') };
    return { key: 'diagNoDat' };
  }
  return { key: 'diagNoValidSets' };
}
