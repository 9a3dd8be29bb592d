// The page against a fake processor: slider and knob gestures with mirroring.
import { describe, expect, it } from 'vitest';
import { browserForFile } from './browserForFile';
import { clearPosted, posted, replay, initialisedPage } from './fakeHost';

const browser = browserForFile();

describe('gestures', () => {
  it('a slider drag sends one gesture with rising values and mirrors a linked tone', async () => {
    const page = await initialisedPage(browser());
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
  });

  it('a round knob drag sends the patch volume, and Ctrl-click resets it', async () => {
    const page = await initialisedPage(browser());
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
  });

  it('in Whole mode with link off, Upper portamento also moves Lower', async () => {
    const page = await initialisedPage(browser(), {}, { bankState: { linkEnabled: false } });
    await clearPosted(page);
    await page.locator('.slider[data-param="10"] .slider-body').hover();
    await page.mouse.wheel(0, -100);
    const values = (await posted(page)).filter((m) => m.msg === 'SPVFUI').map((m) => m.paramIdx);
    expect(values).toEqual([10, 174]);
  });
});
