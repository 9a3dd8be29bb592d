// Library flows against the fake processor: browsing and loading, save-as, tone navigation, module and chain clipboard.
import { describe, expect, it } from 'vitest';
import type { Page } from 'playwright-core';
import { browserForFile } from './browserForFile';
import { bankStates, clearPosted, initialisedPage, libraryScript, posted, postedText, presetActions, presetResult, replay, samfd, taggedMessages } from './fakeHost';

const browser = browserForFile();

const kLibrary = [
  { name: 'Brass', path: 'Factory/Brass.80p' },
  { name: 'Strings', path: 'Factory/Strings.80p', isWhole: true },
  { name: 'Bass', path: 'Factory/Bass.80p' },
  { name: 'Mine', path: 'Mine.80p' },
];

async function withLibrary(): Promise<Page> {
  const page = await initialisedPage(browser());
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
    await page.keyboard.press('Enter');
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
    expect(await page.textContent('[data-testid=tone-badge-upper]')).toBe('Bass');
    await replay(page, [presetResult({ operation: 'loadTone', status: 'ok', slot: 'upper', fileRef: { name: 'Bass', path: 'embedded:Factory/Bass.80p#lower', isEmbedded: true }, values: {} })]);
    await clearPosted(page);
    await page.click('[data-testid=tone-next-upper]');
    await page.click('[data-testid=tone-prev-lower]');
    expect(presetActions(await posted(page)).map((a) => `${a.slot}:${a.path}:${a.source}`)).toEqual([
      'upper:Factory/Brass.80p:upper',
      'lower:builtin:init:lower',
    ]);
    // The menu's last item copies the other tone: only the values that differ travel, each in a gesture.
    await replay(page, ['SPVFD(29, 0.250000)', 'SPVFD(182, 0.500000)']);
    await clearPosted(page);
    await page.click('[data-testid=tone-name-lower]');
    await page.click('[data-testid=tone-list-lower] [data-testid=tone-copy-other]');
    const sets = (await posted(page)).filter((m) => m.msg === 'SPVFUI').map((m) => [m.paramIdx, m.value]);
    expect(sets).toEqual([[78, 0.25], [184, 0.5]]);
    expect((await posted(page)).filter((m) => m.msg === 'EPCFUI').length).toBe(2);
  });
});

describe('clipboard', () => {
  it('copies the Upper VCF and pastes it into the Lower VCF through the processor', async () => {
    const page = await initialisedPage(browser(), { height: 1000, screenHeight: 1200 }, { bankState: { linkEnabled: false, upperTone: { name: 'A', path: 'a' }, lowerTone: { name: 'B', path: 'b' } } });
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
    const page = await initialisedPage(browser());
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
