// The page against a fake processor: language, keys, expand and resize.
import { describe, expect, it } from 'vitest';
import { browserForFile } from './browserForFile';
import { bankStates, clearPosted, initialisedPage, initialStateScripts, kPageUrl, openHostedPage, posted, postedText, replay, taggedMessages } from './fakeHost';

const browser = browserForFile();

describe('language, keys and expand', () => {
  it('switches to Japanese and sends the preferences', async () => {
    const page = await initialisedPage(browser());
    await clearPosted(page);
    await page.click('.lang-switch button:nth-child(2)');
    expect(await page.textContent('.effect-chain .module-title')).toContain('エフェクト・チェーン');
    const prefs = taggedMessages(await posted(page), 205).map((m) => JSON.parse(postedText(m)));
    expect(prefs.pop()).toMatchObject({ lang: 'ja', knobMode: 'scaling' });
    await page.screenshot({ path: '/tmp/velmora-japanese.png' });
  });

  it('follows the host preferences', async () => {
    const page = await initialisedPage(browser(), {}, { prefs: { lang: 'ja' } });
    expect(await page.textContent('[data-testid=tone-menu-upper] .tone-tab')).toBe('アッパー・トーン');
  });

  it('forwards keys as tag 212, never as SKPFUI, drops quick duplicates and swallows zoom', async () => {
    // A paused page clock: "within 200 ms" must not depend on how busy the machine is.
    const page = await openHostedPage(browser(), { clock: true });
    await replay(page, initialStateScripts());
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
    await page.clock.runFor(250);
    await page.keyboard.press('KeyA');
    const again = taggedMessages(await posted(page), 212).map((m) => JSON.parse(postedText(m)));
    expect(again.filter((k) => k.code === 'KeyA').length).toBe(4);
    // A held key repeats; repeats are never taken for duplicates.
    await clearPosted(page);
    await page.keyboard.down('KeyB');
    await page.keyboard.down('KeyB');
    await page.keyboard.up('KeyB');
    const held = taggedMessages(await posted(page), 212).map((m) => JSON.parse(postedText(m)));
    expect(held.map((k) => `${k.type}:${k.repeat}`)).toEqual(['keydown:false', 'keydown:true', 'keyup:false']);
  });

  it('leaves typing in text fields to the page: nothing reaches the host', async () => {
    const page = await initialisedPage(browser(), {}, { learn: { active: true, assignments: {}, selectedParamIdx: 29 } });
    await clearPosted(page);
    await page.click('[data-testid=learn-cc]');
    await page.keyboard.type('74');
    expect(await page.inputValue('[data-testid=learn-cc]')).toBe('74');
    const list = await posted(page);
    expect(list.some((m) => m.msg === 'SKPFUI')).toBe(false);
    expect(taggedMessages(list, 212).length).toBe(0);
  });

  it('restores expanded tones collapsed on a short screen and reports false next', async () => {
    const page = await initialisedPage(browser(), { screenHeight: 900 }, { bankState: { expandedTones: true, loadedPerfParams: { 3: 0 } } });
    expect(await page.locator('.tone-panel').count()).toBe(1);
    await clearPosted(page);
    await page.click('[data-testid=link-toggle]');
    const states = bankStates(await posted(page));
    expect(states.pop()).toMatchObject({ expandedTones: false, linkEnabled: false });
    await page.click('[data-testid=expand-toggle]');
    await page.waitForTimeout(300);
    expect(await page.locator('.tone-panel').count()).toBe(1);
  });

  it('expands both tone panels and asks for 240 pixels more', async () => {
    const page = await initialisedPage(browser(), { height: 1000, screenHeight: 1200 });
    await clearPosted(page);
    await page.click('[data-testid=expand-toggle]');
    await page.waitForTimeout(400);
    expect(await page.locator('.tone-panel').count()).toBe(2);
    const resize = taggedMessages(await posted(page), 100).map((m) => Buffer.from(m.data as string, 'base64'));
    expect(resize.length).toBe(1);
    expect([resize[0].readInt32LE(0), resize[0].readInt32LE(4)]).toEqual([1180, 1240]);
    await page.screenshot({ path: '/tmp/velmora-expanded.png' });
  });

  it('the resize grip asks for clamped sizes', async () => {
    const page = await initialisedPage(browser());
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
  });
});

describe('header', () => {
  it('the manual menu opens the online manual and asks for the PDF in the current language; notices show', async () => {
    const page = await initialisedPage(browser(), {}, { prefs: { lang: 'ja' } });
    await clearPosted(page);
    await page.click('[data-testid=manual-btn]');
    await page.click('[data-testid=manual-menu] .menu-item >> nth=1');
    await page.click('[data-testid=manual-btn]');
    await page.click('[data-testid=manual-menu] .menu-item >> nth=0');
    const list = await posted(page);
    expect(taggedMessages(list, 221).map(postedText)).toEqual(['ja']);
    expect(taggedMessages(list, 206).map(postedText)[0]).toMatch(/^https:\/\/.+ja$/);
    await page.click('[data-testid=notices-btn]');
    expect(await page.textContent('[data-testid=dialog] p')).toContain('Preact');
  });
});

describe('plain browser', () => {
  it('runs without a host, keeping preferences in local storage', async () => {
    const context = await browser().newContext({ viewport: { width: 1180, height: 760 }, locale: 'en-US' });
    const page = await context.newPage();
    await page.goto(kPageUrl);
    await page.waitForSelector('.tone-panel');
    await page.click('.lang-switch button:nth-child(2)');
    expect(await page.evaluate(() => JSON.parse(localStorage.getItem('velmora.ui-prefs.dev') || '{}').lang)).toBe('ja');
    await page.reload();
    await page.waitForSelector('.tone-panel');
    expect(await page.textContent('[data-testid=tone-menu-upper] .tone-tab')).toBe('アッパー・トーン');
    await context.close();
  });
});
