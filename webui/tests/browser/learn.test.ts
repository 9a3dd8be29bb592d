// The page against a fake processor: the MIDI-learn round trip.
import { describe, expect, it } from 'vitest';
import { browserForFile } from './browserForFile';
import { clearPosted, posted, postedText, replay, samfd, taggedMessages, initialisedPage } from './fakeHost';

const browser = browserForFile();

describe('MIDI learn', () => {
  it('arms, selects a target, shows the assignment and closes', async () => {
    const page = await initialisedPage(browser());
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
  });
});
