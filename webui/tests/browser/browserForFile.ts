// One headless browser per test file (kept apart from fakeHost, which the WebKitGTK smoke run loads outside vitest).
import { afterAll, beforeAll } from 'vitest';
import type { Browser } from 'playwright-core';
import { launchBrowser } from './fakeHost';

/** One browser for a test file: launched before its tests and closed after them; call the result inside a test. */
export function browserForFile(): () => Browser {
  let browser: Browser | undefined;
  beforeAll(async () => {
    browser = await launchBrowser();
  });
  afterAll(async () => browser?.close());
  return () => {
    if (!browser) throw new Error('the browser is not launched yet');
    return browser;
  };
}
