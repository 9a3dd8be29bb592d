// Library flows against the fake processor: browsing and loading, save-as, tone navigation, module and chain
// clipboard, and a dump import that ends in patch documents.
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import type { Browser, Page } from 'playwright-core';
import { bankStates, clearPosted, initialisedPage, launchBrowser, libraryScript, posted, postedText, presetActions, presetResult, replay, samfd, taggedMessages } from './fakeHost';
import { writeSysExSmf, buildDatMessage } from '../../src/mks/smfWriter';

let browser: Browser;
beforeAll(async () => {
  browser = await launchBrowser();
});
afterAll(async () => browser?.close());

const kLibrary = [
  { name: 'Brass', path: 'Factory/Brass.80p' },
  { name: 'Strings', path: 'Factory/Strings.80p', isWhole: true },
  { name: 'Bass', path: 'Factory/Bass.80p' },
  { name: 'Mine', path: 'Mine.80p' },
];

async function withLibrary(): Promise<Page> {
  const page = await initialisedPage(browser);
  await replay(page, [libraryScript(kLibrary)]);
  await clearPosted(page);
  return page;
}

const loaded = (path: string, name: string) => ({
  operation: 'loadPatch', status: 'ok', fileRef: { name, path },
  upperTone: { name, path: `embedded:${path}#upper`, isEmbedded: true },
  lowerTone: { name, path: `embedded:${path}#lower`, isEmbedded: true },
  values: { 29: 0.3 },
});

describe('patch browser', () => {
  it('opens a folder, loads a patch and then steps through that folder', async () => {
    const page = await withLibrary();
    await page.click('[data-testid=preset-browse]');
    const top = await page.locator('[data-testid=preset-menu] .menu-item').allTextContents();
    expect(top.map((s) => s.trim())).toEqual(['▸ Factory', 'Mine', 'Init']);
    await page.click('[data-testid=preset-folder]');
    expect((await page.locator('[data-testid=preset-item]').allTextContents())).toEqual(['Bass', 'Brass', 'Strings']);
    await page.screenshot({ path: '/tmp/velmora-browser.png' });
    await page.click('[data-testid=preset-item]:has-text("Brass")');
    expect(presetActions(await posted(page))).toEqual([{ operation: 'loadPatch', path: 'Factory/Brass.80p' }]);
    await replay(page, [presetResult(loaded('Factory/Brass.80p', 'Brass'))]);
    expect(await page.textContent('[data-testid=patch-name]')).toBe('Brass');
    expect(await page.textContent('[data-testid=tone-name-upper]')).toContain('Brass');
    await clearPosted(page);
    await page.click('[data-testid=preset-next]');
    await page.click('[data-testid=preset-prev]');
    expect(presetActions(await posted(page)).map((a) => a.path)).toEqual(['Factory/Strings.80p', 'Factory/Bass.80p']);
  });

  it('saves as a new name: the page takes name and baselines, the processor gets the default name', async () => {
    const page = await withLibrary();
    await replay(page, ['SPVFD(29, 0.900000)']);
    expect(await page.locator('[data-testid=modified-mark]').count()).toBe(1);
    await page.click('[data-testid=preset-save-as]');
    await page.fill('[data-testid=save-as] input', '  Night Pad ');
    await page.click('[data-testid=save-as-ok]');
    expect(await page.textContent('[data-testid=patch-name]')).toBe('Night Pad');
    expect(await page.locator('[data-testid=modified-mark]').count()).toBe(0);
    const list = await posted(page);
    expect(presetActions(list)).toEqual([{ operation: 'savePatch', defaultName: 'Night Pad' }]);
    expect(bankStates(list).pop().patch).toEqual({ name: 'Night Pad', path: null });
    await replay(page, [presetResult({ operation: 'savePatch', status: 'ok', fileRef: { name: 'Night Pad', path: 'Night Pad.80p' } })]);
    expect(bankStates(await posted(page)).pop().patch).toEqual({ name: 'Night Pad', path: 'Night Pad.80p' });
  });

  it('navigates tones through the library, skipping tone B of Whole patches, with a name badge', async () => {
    const page = await withLibrary();
    await page.click('[data-testid=tone-next-lower]');
    await page.click('[data-testid=tone-name-upper]');
    // Five patches (Init included), one of them Whole: four offer tone B.
    expect(await page.locator('[data-testid=tone-list-upper] [data-testid=tone-l]').count()).toBe(4);
    await page.screenshot({ path: '/tmp/velmora-tone-list.png' });
    await page.click('[data-testid=tone-list-upper] [data-testid=tone-l] >> nth=0');
    const actions = presetActions(await posted(page));
    expect(actions).toEqual([
      { operation: 'loadTone', slot: 'lower', path: 'Factory/Bass.80p', source: 'upper' },
      { operation: 'loadTone', slot: 'upper', path: 'Factory/Bass.80p', source: 'lower' },
    ]);
    expect(await page.textContent('[data-testid=tone-badge-upper]')).toBe('Bass B');
    await replay(page, [presetResult({ operation: 'loadTone', status: 'ok', slot: 'upper', fileRef: { name: 'Bass', path: 'embedded:Factory/Bass.80p#lower', isEmbedded: true }, values: {} })]);
    await clearPosted(page);
    await page.click('[data-testid=tone-next-upper]');
    await page.click('[data-testid=tone-prev-lower]');
    expect(presetActions(await posted(page)).map((a) => `${a.slot}:${a.path}:${a.source}`)).toEqual([
      'upper:Factory/Brass.80p:upper',
      'lower:builtin:init:lower',
    ]);
  });
});

describe('clipboard', () => {
  it('copies the Upper VCF and pastes it into the Lower VCF through the processor', async () => {
    const page = await initialisedPage(browser, { height: 1000, screenHeight: 1200 }, { bankState: { linkEnabled: false, upperTone: { name: 'A', path: 'a' }, lowerTone: { name: 'B', path: 'b' } } });
    await replay(page, ['SPVFD(29, 0.250000)', 'SPVFD(31, 1.000000)']);
    await page.click('[data-testid=expand-toggle]');
    await page.waitForSelector('.tone-panel.lower');
    await clearPosted(page);
    await page.click('.tone-panel.upper [data-module=vcf] [data-testid=module-copy]');
    const written = taggedMessages(await posted(page), 215).map(postedText);
    expect(written.length).toBe(1);
    const clip = JSON.parse(written[0]);
    expect(clip).toMatchObject({ format: 'velmora-module', version: 1, kind: 'vcf' });
    expect(clip.params.map((p: { id: number }) => p.id)).toEqual([29, 30, 31, 32, 33, 34, 35]);
    expect(written[0]).toContain('\n  "format"');
    await clearPosted(page);
    await page.click('.tone-panel.lower [data-module=vcf] [data-testid=module-paste]');
    expect(taggedMessages(await posted(page), 216).length).toBe(1);
    await replay(page, [samfd(217, written[0])]);
    await page.waitForTimeout(50);
    const sets = (await posted(page)).filter((m) => m.msg === 'SPVFUI');
    const byIndex = Object.fromEntries(sets.map((m) => [m.paramIdx, m.value]));
    expect(Object.keys(byIndex).map(Number).sort((a, b) => a - b)).toEqual([78, 79, 80, 81, 82, 83, 84]);
    expect(byIndex[78]).toBeCloseTo(0.25, 4);
    expect(byIndex[80]).toBe(1);
    // Each value is its own gesture; nothing was mirrored back to Upper.
    expect((await posted(page)).filter((m) => m.msg === 'BPCFUI').length).toBe(7);
  });

  it('pastes a three-slot chain into slots 1 to 3, refuses other text, and drags a slot to the end', async () => {
    const page = await initialisedPage(browser);
    await clearPosted(page);
    await page.click('[data-testid=chain-paste]');
    const chain = { format: 'velmora-effect-chain', version: 1, slots: [1, 10, 4].map((type) => ({ type, bypass: type === 10, params: [0.5] })) };
    await replay(page, [samfd(217, JSON.stringify(chain))]);
    await page.waitForTimeout(50);
    const idx = (await posted(page)).filter((m) => m.msg === 'SPVFUI').map((m) => m.paramIdx as number);
    expect(Math.min(...idx)).toBe(117);
    expect(Math.max(...idx)).toBe(165);
    expect(idx.some((i) => i >= 144 && i <= 161)).toBe(false);
    expect(await page.textContent('[data-testid=chain-paste]')).toBe('Pasted');
    await page.click('[data-testid=chain-paste]');
    await replay(page, [samfd(217, 'hello')]);
    await page.waitForSelector('[data-testid=chain-paste].bad');
    // Drag slot 1 (Synth Chorus) to the last position.
    await clearPosted(page);
    const from = (await page.locator('[data-testid=fx-slot-0] .fx-slot-name').boundingBox())!;
    const to = (await page.locator('[data-testid=fx-slot-4]').boundingBox())!;
    await page.mouse.move(from.x + 5, from.y + 5);
    await page.mouse.down();
    await page.mouse.move(to.x + to.width / 2, to.y + 5, { steps: 6 });
    await page.mouse.up();
    expect(await page.textContent('[data-testid=fx-slot-4] .fx-slot-name')).toBe('Synth Chorus');
    expect(await page.textContent('[data-testid=fx-slot-0] .fx-slot-name')).toBe('Reverb');
    expect(await page.getAttribute('[data-testid=fx-slot-4]', 'class')).toContain('selected');
    const sets = (await posted(page)).filter((m) => m.msg === 'SPVFUI');
    expect(sets.find((m) => m.paramIdx === 153)?.value).toBeCloseTo(1 / 15, 6);
    expect((await posted(page)).filter((m) => m.msg === 'BPCFUI').length).toBe(sets.length);
  });
});

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
    const page = await initialisedPage(browser);
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
    const page = await initialisedPage(browser);
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
    await page.click('[data-testid=sysex-btn]');
    await page.click('[data-testid=sysex-import-mks]');
    await replay(page, [presetResult({ operation: 'requestMksBulkDump', status: 'error', message: 'Timed out waiting for MKS-80 response (5s)' })]);
    expect(await page.textContent('[data-testid=dialog] h2')).toBe('MKS-80 bulk dump error');
    expect(await page.textContent('[data-testid=dialog] p')).toContain('MIDI FUNCTION is set to III');
  });

  it('re-cuts a .mid file for a bulk load, waits for the MKS-80 and reports the sent count', async () => {
    const page = await initialisedPage(browser);
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
    const page = await withLibrary();
    await page.click('[data-testid=sysex-btn]');
    await page.click('[data-testid=sysex-export-bank]');
    expect(presetActions(await posted(page))).toEqual([{ operation: 'refreshLibrary' }]);
    await page.selectOption('[data-testid=bank-slot-0]', 'Factory/Brass.80p');
    await page.selectOption('[data-testid=bank-slot-5]', 'Mine.80p');
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
