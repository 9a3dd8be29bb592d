// Screenshots of the main views for review (written to /tmp/velmora-*.png).
import { describe, it } from 'vitest';
import { browserForFile } from './browserForFile';
import { initialStateScripts, openHostedPage, replay, scvfd, spvfd } from './fakeHost';

const browser = browserForFile();

describe('screens', () => {
  it('main view', async () => {
    const page = await openHostedPage(browser());
    await replay(page, [...initialStateScripts({ bankState: { patch: { name: 'Brass Pad', path: '/p/Brass Pad.80p' } } }), scvfd(0, -12), scvfd(1, -18), scvfd(5, 0.1225)]);
    await page.waitForSelector('.tone-panel');
    await page.screenshot({ path: '/tmp/velmora-main.png' });
  });
});

describe('small window', () => {
  it('narrow view at the minimum size', async () => {
    const page = await openHostedPage(browser(), { width: 910, height: 650 });
    await replay(page, initialStateScripts());
    await page.waitForSelector('.instrument.narrow');
    await page.screenshot({ path: '/tmp/velmora-narrow.png' });
  });
});

describe('effect chain', () => {
  it('slots with types, a bypassed slot and the Delay knobs', async () => {
    const page = await openHostedPage(browser());
    await replay(page, [...initialStateScripts(), spvfd(117, 4 / 15), spvfd(118, 1), spvfd(126, 10 / 15), spvfd(135, 7 / 15), spvfd(165, 1), spvfd(162, 1), spvfd(144, 12 / 15)]);
    await page.waitForSelector('.tone-panel');
    await page.screenshot({ path: '/tmp/velmora-effects.png', clip: { x: 600, y: 420, width: 580, height: 160 } });
  });
});
