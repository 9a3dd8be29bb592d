// The dump files the processor writes (tests/library/golden, checked there against the C++ writer): the
// page's importer reads the .mid and the .syx form alike.
import { readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { describe, expect, it } from 'vitest';
import { dumpToPatchDocuments } from './dumpBank';
import { decodeMksDump } from './sysexReader';

const golden = (name: string) =>
  new Uint8Array(readFileSync(fileURLToPath(new URL(`../../../tests/library/golden/${name}`, import.meta.url))));

describe('dump files written by the processor', () => {
  const mid = golden('mks80-dump-16.mid');
  const syx = golden('mks80-dump-16.syx');

  it('holds a MIDI file under .mid and raw messages under .syx', () => {
    expect(String.fromCharCode(...mid.subarray(0, 4))).toBe('MThd');
    expect(syx[0]).toBe(0xf0);
  });

  it('decodes to the same 16 DATs and 64 patches from either file', () => {
    const fromMid = decodeMksDump(mid);
    const fromSyx = decodeMksDump(syx);
    expect(fromMid.records).toHaveLength(16);
    expect(fromSyx.records).toEqual(fromMid.records);
    const patches = dumpToPatchDocuments(syx).patches;
    expect(patches).toHaveLength(64);
    expect(dumpToPatchDocuments(mid).patches).toEqual(patches);
  });
});
