// The page against a fake processor: start-up requests and the initial state.
import { describe, expect, it } from 'vitest';
import { browserForFile } from './browserForFile';
import { clearPosted, initialStateScripts, openHostedPage, posted, replay, samfd, scvfd, taggedMessages, initialisedPage, bankStates } from './fakeHost';

const browser = browserForFile();

describe('start-up', () => {
  it('asks for the initial state 1.5 s after load, every 500 ms, 40 times at most', async () => {
    const page = await openHostedPage(browser(), { clock: true });
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
  });

  it('stops asking once the schema is here, and shows the recorded initial state', async () => {
    const page = await openHostedPage(browser(), { clock: true });
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
  });

  it('ignores malformed payloads and goes on with the next message', async () => {
    const page = await initialisedPage(browser());
    await replay(page, ["SAMFD(201, 5, 'e30@')", samfd(219, '{not json'), samfd(201, JSON.stringify({ patch: { name: 'After', path: null } }))]);
    expect(await page.textContent('[data-testid=patch-name]')).toBe('After');
  });
});

describe('preset results', () => {
  it('a loaded patch applies its values, becomes the baseline and names both tones', async () => {
    const page = await initialisedPage(browser());
    await replay(page, ['SPVFD(4, 0.900000)']);
    expect(await page.locator('[data-testid=modified-mark]').count()).toBe(1);
    await clearPosted(page);
    const ref = (name: string, path: string) => ({ name, path });
    await replay(page, [
      samfd(203, JSON.stringify({
        operation: 'loadPatch', status: 'ok', message: '',
        fileRef: ref('Strings', '/lib/Strings.80p'),
        upperTone: { ...ref('Strings', 'embedded:/lib/Strings.80p#upper'), isEmbedded: true },
        lowerTone: { ...ref('Strings', 'embedded:/lib/Strings.80p#lower'), isEmbedded: true },
        values: { '4': 0.25, '29': 0.4, '78': 0.4, '30': 'x' },
      })),
    ]);
    expect(await page.textContent('[data-testid=patch-name]')).toBe('Strings');
    expect(await page.locator('[data-testid=modified-mark]').count()).toBe(0);
    const state = bankStates(await posted(page)).pop();
    expect(state.patch).toEqual({ name: 'Strings', path: '/lib/Strings.80p' });
    expect(state.patchLowerTonePath).toBe('embedded:/lib/Strings.80p#lower');
    expect(state.loadedPerfParams['4']).toBeCloseTo(0.25, 9);
    expect(state.loadedPatchUpperToneParams['29']).toBeCloseTo(0.4, 9);
  });

  it('an error shows the dialog with the message, and a busy port shows its name', async () => {
    const page = await initialisedPage(browser());
    await replay(page, [samfd(203, JSON.stringify({ operation: 'loadPatch', status: 'error', message: 'Not a Velmora patch file' }))]);
    expect(await page.textContent('.modal p')).toBe('Not a Velmora patch file');
    await page.click('.modal button');
    await replay(page, [samfd(208, JSON.stringify({ inputs: ['MKS'], outputs: ['MKS'], openFailed: { direction: 'in', name: 'MKS' } }))]);
    expect(await page.textContent('.modal p')).toContain('MKS');
  });
});

describe('meters', () => {
  it('drops the held peak after 2 s even when no further level arrives (the processor sends only changes)', async () => {
    const page = await openHostedPage(browser(), { clock: true });
    await replay(page, [...initialStateScripts(), scvfd(0, -12)]);
    await page.clock.runFor(100);
    await replay(page, [scvfd(0, -60)]);
    const peakBottom = () => page.locator('.meter .meter-peak').first().evaluate((e) => (e as HTMLElement).style.bottom);
    await page.clock.runFor(1000);
    expect(await peakBottom()).toBe('60%');
    await page.clock.runFor(1100);
    expect(await peakBottom()).toBe('0%');
  });
});
