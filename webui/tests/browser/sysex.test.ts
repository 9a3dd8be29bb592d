// The SysEx panel against the fake processor: a dump import that ends in patch documents, the MKS-80 bulk dump,
// a bulk load of a .mid file and the bank builder.
import { describe, expect, it } from 'vitest';
import { browserForFile } from './browserForFile';
import { clearPosted, initialisedPage, libraryScript, posted, presetActions, presetResult, replay } from './fakeHost';
import { writeSysExSmf, buildDatMessage } from '../../src/mks/smfWriter';

const browser = browserForFile();

describe('SysEx panel', () => {
  function dumpFile(): Uint8Array {
    const set = (tag: number) => {
      const s = new Array(62).fill(tag);
      s.fill(0, 33, 39);
      s[9] = 24;
      s[10] = 25;
      s.splice(39, 23, 1, 60, 50, 0, 3, 0, 0, 4, 10, 20, 30, 40, 50, 1, 3, 0, 0, 4, 10, 20, 30, 40, 50);
      return s;
    };
    return writeSysExSmf([buildDatMessage(0, [...set(10), ...set(20), ...set(30), ...new Array(62).fill(0)])]);
  }

  it('imports a dump file into patch documents and reports the written files', async () => {
    const page = await initialisedPage(browser());
    await clearPosted(page);
    await page.click('[data-testid=sysex-btn]');
    await page.screenshot({ path: '/tmp/velmora-sysex.png' });
    await page.click('[data-testid=sysex-import-file]');
    expect(presetActions(await posted(page))).toEqual([{ operation: 'importMksDump' }]);
    await clearPosted(page);
    const data = Buffer.from(dumpFile()).toString('base64');
    await replay(page, [presetResult({ operation: 'importMksDump', status: 'ok', data, patchFolderPath: '/home/u/Imported', sourceName: 'dump' })]);
    const [complete] = presetActions(await posted(page));
    expect(complete).toMatchObject({ operation: 'bulkImportComplete', patchFolderPath: '/home/u/Imported', sourceName: 'dump' });
    const patches = complete.patches as { name: string; document: { kind: string; patch: { toneA: { params: Record<string, number> } } } }[];
    expect(patches.map((p) => p.name)).toEqual(['11', '12', '13']);
    expect(patches[1].document.kind).toBe('patch');
    expect(patches[1].document.patch.toneA.params['lfo1.rate']).toBeCloseTo(0.1);
    await clearPosted(page);
    await replay(page, [presetResult({ operation: 'bulkImportComplete', status: 'ok', patchesWritten: 3, patchDir: '/home/u/Imported' })]);
    expect(presetActions(await posted(page))).toEqual([{ operation: 'refreshLibrary' }]);
    expect(await page.textContent('[data-testid=dialog] h2')).toBe('SysEx import complete');
    expect(await page.textContent('[data-testid=dialog] p')).toBe('Wrote 3 patches.\nFolder: /home/u/Imported');
    await page.click('[data-testid=dialog] button');
    // A file of foreign messages is explained, not imported.
    await clearPosted(page);
    await replay(page, [presetResult({ operation: 'importMksDump', status: 'ok', data: Buffer.from([0xf0, 0x43, 0x10, 0xf7]).toString('base64'), patchFolderPath: '/x' })]);
    expect(await page.textContent('[data-testid=dialog] p')).toContain('(found: 43)');
    expect(presetActions(await posted(page))).toEqual([]);
  });

  it('waits for the MKS-80, offers the formats when the dump arrives, and explains a time-out', async () => {
    const page = await initialisedPage(browser());
    await page.click('[data-testid=sysex-btn]');
    await page.click('[data-testid=sysex-import-mks]');
    expect(await page.textContent('[data-testid=dialog] h2')).toBe('Waiting for MKS-80');
    await clearPosted(page);
    await replay(page, [presetResult({ operation: 'mksBulkDumpAvailable', status: 'ok', datMessages: 16, sourceName: 'MKS-80 MIDI dump' })]);
    expect(await page.textContent('[data-testid=dialog] p')).toBe('Received 16 DAT messages from MKS-80. Choose how to save:');
    await page.click('[data-testid=dialog] button:has-text("MIDI File (.mid)")');
    expect(presetActions(await posted(page))).toEqual([{ operation: 'mksBulkDumpFormatChoice', choice: 'mid' }]);
    await replay(page, [presetResult({ operation: 'mksBulkDumpFormatChoice', status: 'ok', filePath: '/home/u/b.mid', datMessages: 16 })]);
    expect(await page.textContent('[data-testid=dialog] p')).toBe('Saved 16 DAT messages to:\n/home/u/b.mid');
    await page.click('[data-testid=dialog] button');
    // Closing the choice without a button counts as cancel.
    await clearPosted(page);
    await replay(page, [presetResult({ operation: 'mksBulkDumpAvailable', status: 'ok', datMessages: 3 })]);
    await page.waitForSelector('[data-testid=dialog]');
    await page.keyboard.press('Escape');
    expect(presetActions(await posted(page))).toEqual([{ operation: 'mksBulkDumpFormatChoice', choice: 'cancel' }]);
    expect(await page.locator('[data-testid=dialog]').count()).toBe(0);
    await page.click('[data-testid=sysex-btn]');
    await page.click('[data-testid=sysex-import-mks]');
    await replay(page, [presetResult({ operation: 'requestMksBulkDump', status: 'error', message: 'Timed out waiting for MKS-80 response (5s)' })]);
    expect(await page.textContent('[data-testid=dialog] h2')).toBe('MKS-80 bulk dump error');
    expect(await page.textContent('[data-testid=dialog] p')).toContain('MIDI FUNCTION is set to III');
  });

  it('re-cuts a .mid file for a bulk load, waits for the MKS-80 and reports the sent count', async () => {
    const page = await initialisedPage(browser());
    await page.click('[data-testid=sysex-btn]');
    await page.click('[data-testid=sysex-dump-mid]');
    expect(await page.textContent('[data-testid=dialog] h2')).toBe('Prepare MKS-80 for bulk load');
    await clearPosted(page);
    await page.click('[data-testid=dialog] button:has-text("Continue")');
    expect(presetActions(await posted(page))).toEqual([{ operation: 'loadMksMidForDump' }]);
    await clearPosted(page);
    // 310 bytes of DAT data from units 2 and 5, re-cut into two full frames of the first unit.
    const data = Buffer.from(writeSysExSmf([buildDatMessage(2, new Array(248).fill(1)), buildDatMessage(5, new Array(62).fill(2))])).toString('base64');
    await replay(page, [presetResult({ operation: 'loadMksMidForDump', status: 'ok', data, sourceName: 'bank.mid', filePath: '/x/bank.mid' })]);
    const [start] = presetActions(await posted(page));
    expect(start).toMatchObject({ operation: 'dumpMidFileStart', datCount: 2, sourceName: 'bank.mid' });
    const frames = Buffer.from(start.data as string, 'base64');
    expect(frames.length).toBe(2 * 255);
    expect([frames[0], frames[3], frames[255 + 3], frames[255 + 5 + 62]]).toEqual([0xf0, 2, 2, 0]);
    expect(await page.textContent('[data-testid=dialog] h2')).toBe('Waiting for MKS-80 LOAD');
    await replay(page, [presetResult({ operation: 'dumpMidFileStart', status: 'ok', datMessages: 2 })]);
    expect(await page.textContent('[data-testid=dialog] p')).toContain('Sent 2 DAT messages to MKS-80 successfully.');
  });

  it('builds a bank from chosen library patches and Init, and exports it', async () => {
    const page = await initialisedPage(browser());
    await replay(page, [libraryScript([{ name: 'Brass', path: 'Factory/Brass.80p' }, { name: 'Mine', path: 'Mine.80p' }])]);
    await clearPosted(page);
    await page.click('[data-testid=sysex-btn]');
    await page.click('[data-testid=sysex-export-bank]');
    expect(presetActions(await posted(page))).toEqual([{ operation: 'refreshLibrary' }]);
    for (const [slot, path] of [[0, 'Factory/Brass.80p'], [5, 'Mine.80p']] as const) {
      await page.click(`[data-testid=bank-slot-${slot}] .dropdown-button`);
      await page.click(`[data-testid=bank-slot-${slot}] [data-value="${path}"]`);
    }
    await page.screenshot({ path: '/tmp/velmora-bank-builder.png' });
    await clearPosted(page);
    await page.click('[data-testid=bank-create]');
    const [read] = presetActions(await posted(page));
    expect(read).toEqual({ operation: 'readPatchDocuments', paths: ['Factory/Brass.80p', 'Mine.80p', 'builtin:init'] });
    const doc = (rate: number) => ({ format: 'com.velmora.patch', kind: 'patch', patch: { params: {}, toneA: { params: { 'lfo1.rate': rate } }, toneB: { params: {} } } });
    await clearPosted(page);
    await replay(page, [presetResult({ operation: 'readPatchDocuments', status: 'ok', documents: [
      { path: 'Factory/Brass.80p', document: doc(0.5) }, { path: 'Mine.80p', document: null }, { path: 'builtin:init', document: doc(0.9) },
    ] })]);
    const [exp] = presetActions(await posted(page));
    expect(exp.operation).toBe('exportCurrentAsMid');
    expect(exp.defaultName).toBe('MKS-80 Bank');
    const file = Buffer.from(exp.data as string, 'base64');
    expect(file.length).toBe(14 + 8 + 16 * 258 + 4);
    // Memory place 0 carries Brass's tone A, place 10 (slot 5's tone A) Init's, since Mine could not be read.
    // Data byte k sits in DAT floor(k / 248), each event 258 bytes with its data 8 bytes in.
    const dataByte = (k: number) => file[22 + Math.floor(k / 248) * 258 + 8 + (k % 248)];
    expect(dataByte(0)).toBe(50);
    expect(dataByte(10 * 62)).toBe(90);
    expect(await page.locator('[data-testid=bank-builder]').count()).toBe(0);
  });
});
