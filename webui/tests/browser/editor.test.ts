// The page against a fake processor: start-up requests, initial state, gestures, learn, language, keys, expand.
import { afterAll, beforeAll, describe, expect, it } from 'vitest';
import type { Browser, Page } from 'playwright-core';
import { clearPosted, initialStateScripts, launchBrowser, openHostedPage, posted, postedText, replay, samfd, taggedMessages, type Posted } from './fakeHost';

let browser: Browser;
beforeAll(async () => {
  browser = await launchBrowser();
});
afterAll(async () => browser?.close());

async function initialisedPage(opts: Parameters<typeof openHostedPage>[1] = {}, state: Parameters<typeof initialStateScripts>[0] = {}): Promise<Page> {
  const page = await openHostedPage(browser, opts);
  await replay(page, initialStateScripts(state));
  await page.waitForSelector('.tone-panel');
  // The baselines are captured 50 ms after the schema.
  await page.waitForTimeout(120);
  return page;
}

const bankStates = (list: Posted[]) => taggedMessages(list, 200).map((m) => JSON.parse(postedText(m)));

describe('start-up', () => {
  it('asks for the initial state 1.5 s after load, every 500 ms, 40 times at most', async () => {
    const page = await openHostedPage(browser, { clock: true });
    const requests = async () => taggedMessages(await posted(page), 222).length;
    await page.clock.runFor(1400);
    expect(await requests()).toBe(0);
    await page.clock.runFor(200);
    expect(await requests()).toBe(1);
    await page.clock.runFor(1000);
    expect(await requests()).toBe(3);
    await page.clock.runFor(60000);
    expect(await requests()).toBe(40);
    expect(await page.locator('.blank, .waiting').count()).toBe(1);
    await page.close();
  });

  it('stops asking once the schema is here, and shows the recorded initial state', async () => {
    const page = await openHostedPage(browser, { clock: true });
    await page.clock.runFor(1600);
    const real: Record<number, number> = { 29: 1234.5, 168: 3.5 };
    await replay(page, initialStateScripts({ real, bankState: { patch: { name: 'ブラス Pad', path: '/p/b.80p' }, linkEnabled: false } }));
    await page.clock.runFor(5000);
    const list = await posted(page);
    expect(taggedMessages(list, 222).length).toBe(1);
    expect(await page.textContent('[data-testid=patch-name]')).toBe('ブラス Pad');
    expect(await page.textContent('.slider[data-param="29"] .ctl-value')).toBe('1.23 kHz');
    expect(await page.textContent('.knob[data-param="168"] .ctl-value')).toBe('3.5 dB');
    expect(await page.locator('[data-testid=whole-mode]').count()).toBe(1);
    expect(await page.locator('[data-testid=modified-mark]').count()).toBe(0);
    // The restored state had no baselines: the page takes the current values and reports them once.
    const states = bankStates(list);
    expect(states.length).toBe(1);
    expect(Object.keys(states[0].loadedPerfParams).length).toBe(78);
    expect(states[0].patch.name).toBe('ブラス Pad');
    expect(states[0].linkEnabled).toBe(false);
    await page.close();
  });

  it('ignores malformed payloads and goes on with the next message', async () => {
    const page = await initialisedPage();
    await replay(page, ["SAMFD(201, 5, 'e30@')", samfd(219, '{not json'), samfd(201, JSON.stringify({ patch: { name: 'After', path: null } }))]);
    expect(await page.textContent('[data-testid=patch-name]')).toBe('After');
    await page.close();
  });
});

describe('gestures', () => {
  it('a slider drag sends one gesture with rising values and mirrors a linked tone', async () => {
    const page = await initialisedPage();
    // Leave Whole mode so only the link mirrors.
    await replay(page, ['SPVFD(3, 1.000000)']);
    await clearPosted(page);
    const box = (await page.locator('.slider[data-param="29"] .slider-body').boundingBox())!;
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.down();
    for (let k = 1; k <= 10; k++) await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2 - 5 * k);
    await page.mouse.up();
    const list = (await posted(page)).filter((m) => m.msg !== 'SAMFUI');
    expect(list[0]).toEqual({ msg: 'BPCFUI', paramIdx: 29 });
    expect(list[list.length - 1]).toEqual({ msg: 'EPCFUI', paramIdx: 29 });
    const upper = list.filter((m) => m.msg === 'SPVFUI' && m.paramIdx === 29).map((m) => m.value as number);
    const lower = list.filter((m) => m.msg === 'SPVFUI' && m.paramIdx === 78).map((m) => m.value as number);
    expect(upper.length).toBeGreaterThan(5);
    expect(lower).toEqual(upper);
    for (let k = 1; k < upper.length; k++) expect(upper[k]).toBeGreaterThan(upper[k - 1]);
    // 50 pixels of travel is a quarter of the range (the first 3 pixels included).
    const start = upper[0] - (upper[1] - upper[0]);
    expect(upper[upper.length - 1] - start).toBeCloseTo(0.25, 2);
    expect(list.some((m) => m.msg === 'BPCFUI' && m.paramIdx === 78)).toBe(false);
    expect(await page.locator('[data-testid=modified-mark]').count()).toBe(1);
    await page.close();
  });

  it('a round knob drag sends the patch volume, and Ctrl-click resets it', async () => {
    const page = await initialisedPage();
    await clearPosted(page);
    const box = (await page.locator('.knob[data-param="168"]').boundingBox())!;
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2 - 40, { steps: 4 });
    await page.mouse.up();
    let list = await posted(page);
    const values = list.filter((m) => m.msg === 'SPVFUI').map((m) => [m.paramIdx, m.value]);
    expect(values.length).toBe(4);
    expect(values.every(([i]) => i === 168)).toBe(true);
    expect(values[3][1]).toBeCloseTo(0.7, 6);
    await clearPosted(page);
    await page.keyboard.down('Control');
    await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    await page.keyboard.up('Control');
    list = (await posted(page)).filter((m) => m.msg !== 'SAMFUI');
    expect(list).toEqual([
      { msg: 'BPCFUI', paramIdx: 168 },
      { msg: 'SPVFUI', paramIdx: 168, value: 0.5 },
      { msg: 'EPCFUI', paramIdx: 168 },
    ]);
    await page.close();
  });

  it('in Whole mode with link off, Upper portamento also moves Lower', async () => {
    const page = await initialisedPage({}, { bankState: { linkEnabled: false } });
    await clearPosted(page);
    await page.locator('.slider[data-param="10"] .slider-body').hover();
    await page.mouse.wheel(0, -100);
    const values = (await posted(page)).filter((m) => m.msg === 'SPVFUI').map((m) => m.paramIdx);
    expect(values).toEqual([10, 174]);
    await page.close();
  });
});

describe('MIDI learn', () => {
  it('arms, selects a target, shows the assignment and closes', async () => {
    const page = await initialisedPage();
    await clearPosted(page);
    await page.click('[data-testid=learn-entry]');
    const learnOps = async () => taggedMessages(await posted(page), 218).map((m) => JSON.parse(postedText(m)));
    expect(await learnOps()).toEqual([{ op: 'setActive', active: true }]);
    await replay(page, [samfd(219, JSON.stringify({ active: true, assignments: { '1': 20 }, selectedParamIdx: null }))]);
    await page.waitForSelector('[data-testid=learn-overlay] [data-learn="29"]');
    expect(await page.locator('[data-learn="1"].assigned').count()).toBe(1);
    expect(await page.locator('[data-learn="17"]').count()).toBe(0);
    await page.click('[data-learn="29"]');
    expect((await learnOps()).pop()).toEqual({ op: 'selectTarget', paramIdx: 29 });
    await replay(page, [samfd(219, JSON.stringify({ active: true, assignments: { '1': 20 }, selectedParamIdx: 29 }))]);
    await page.waitForSelector('[data-learn="29"].selected');
    await page.screenshot({ path: '/tmp/velmora-learn.png' });
    // Manual assignment: rounded and held, selection cleared locally.
    await page.fill('[data-testid=learn-cc]', '200');
    await page.click('[data-testid=learn-assign]');
    expect((await learnOps()).pop()).toEqual({ op: 'assign', paramIdx: 29, cc: 127 });
    await replay(page, [samfd(219, JSON.stringify({ active: true, assignments: { '1': 20, '29': 74 }, selectedParamIdx: null }))]);
    await page.waitForSelector('[data-learn="29"].assigned');
    expect(await page.textContent('[data-learn="29"]')).toBe('CC 74');
    await page.click('[data-testid=learn-close]');
    expect((await learnOps()).pop()).toEqual({ op: 'setActive', active: false });
    await replay(page, [samfd(219, JSON.stringify({ active: false, assignments: { '29': 74 }, selectedParamIdx: null }))]);
    expect(await page.locator('[data-testid=learn-overlay]').count()).toBe(0);
    await page.close();
  });
});

describe('language, keys and expand', () => {
  it('switches to Japanese and sends the preferences', async () => {
    const page = await initialisedPage();
    await clearPosted(page);
    await page.click('.lang-switch button:nth-child(2)');
    expect(await page.textContent('.effect-chain .module-title')).toContain('エフェクト・チェーン');
    const prefs = taggedMessages(await posted(page), 205).map((m) => JSON.parse(postedText(m)));
    expect(prefs.pop()).toMatchObject({ lang: 'ja', knobMode: 'scaling' });
    await page.screenshot({ path: '/tmp/velmora-japanese.png' });
    await page.close();
  });

  it('follows the host preferences', async () => {
    const page = await initialisedPage({}, { prefs: { lang: 'ja' } });
    expect(await page.textContent('[data-testid=tone-menu-upper] .tone-tab')).toBe('アッパー・トーン');
    await page.close();
  });

  it('forwards keys as tag 212, never as SKPFUI, drops quick duplicates and swallows zoom', async () => {
    const page = await initialisedPage();
    await clearPosted(page);
    await page.keyboard.press('KeyA');
    await page.keyboard.press('KeyA');
    await page.keyboard.press('Control+Equal');
    const list = await posted(page);
    expect(list.some((m) => m.msg === 'SKPFUI')).toBe(false);
    const all = taggedMessages(list, 212).map((m) => JSON.parse(postedText(m)));
    expect(all.some((k) => k.code === 'Equal')).toBe(false);
    const keys = all.filter((k) => k.code === 'KeyA');
    expect(keys.map((k) => `${k.type}:${k.code}`)).toEqual(['keydown:KeyA', 'keyup:KeyA']);
    expect(keys[0]).toMatchObject({ key: 'a', keyCode: 65, repeat: false, ctrlKey: false });
    await page.waitForTimeout(250);
    await page.keyboard.press('KeyA');
    const again = taggedMessages(await posted(page), 212).map((m) => JSON.parse(postedText(m)));
    expect(again.filter((k) => k.code === 'KeyA').length).toBe(4);
    await page.close();
  });

  it('restores expanded tones collapsed on a short screen and reports false next', async () => {
    const page = await initialisedPage({ screenHeight: 900 }, { bankState: { expandedTones: true, loadedPerfParams: { 3: 0 } } });
    expect(await page.locator('.tone-panel').count()).toBe(1);
    await clearPosted(page);
    await page.click('[data-testid=link-toggle]');
    const states = bankStates(await posted(page));
    expect(states.pop()).toMatchObject({ expandedTones: false, linkEnabled: false });
    await page.click('[data-testid=expand-toggle]');
    await page.waitForTimeout(300);
    expect(await page.locator('.tone-panel').count()).toBe(1);
    await page.close();
  });

  it('expands both tone panels and asks for 240 pixels more', async () => {
    const page = await initialisedPage({ height: 1000, screenHeight: 1200 });
    await clearPosted(page);
    await page.click('[data-testid=expand-toggle]');
    await page.waitForTimeout(400);
    expect(await page.locator('.tone-panel').count()).toBe(2);
    const resize = taggedMessages(await posted(page), 100).map((m) => Buffer.from(m.data as string, 'base64'));
    expect(resize.length).toBe(1);
    expect([resize[0].readInt32LE(0), resize[0].readInt32LE(4)]).toEqual([1180, 1240]);
    await page.screenshot({ path: '/tmp/velmora-expanded.png' });
    await page.close();
  });

  it('the resize grip asks for clamped sizes', async () => {
    const page = await initialisedPage();
    await clearPosted(page);
    const g = (await page.locator('[data-testid=resize-grip]').boundingBox())!;
    await page.mouse.move(g.x + 12, g.y + 12);
    await page.mouse.down();
    await page.mouse.move(g.x - 400, g.y - 300, { steps: 5 });
    await page.mouse.up();
    const sizes = taggedMessages(await posted(page), 100).map((m) => {
      const b = Buffer.from(m.data as string, 'base64');
      return [b.readInt32LE(0), b.readInt32LE(4)];
    });
    expect(sizes.length).toBeGreaterThan(0);
    expect(sizes[sizes.length - 1]).toEqual([910, 650]);
    await page.close();
  });
});
