// A fake processor for browser tests: the host's injected scripts, a record of posted messages,
// and the script calls the processor makes, formatted as the processor formats them.
import { chromium, type Browser, type Page } from 'playwright-core';
import { existsSync, readFileSync } from 'node:fs';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { dirname, join } from 'node:path';
import { paramInfo } from '../../src/model/paramInfo';
import { kDisplayCurves } from '../../src/generated/curves';
import { curveValue } from '../../src/model/displayValue';

const here = dirname(fileURLToPath(import.meta.url));
export const kPageUrl = pathToFileURL(join(here, '..', '..', 'dist', 'index.html')).href;

export const kChromiumPath = process.env.VLM_CHROMIUM || '/usr/bin/chromium';

export async function launchBrowser(): Promise<Browser> {
  if (!existsSync(kChromiumPath)) throw new Error(`${kChromiumPath} is missing: install Debian's chromium (scripts/install-deps.sh)`);
  return chromium.launch({
    executablePath: kChromiumPath,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update', '--no-first-run'],
  });
}

/** The scripts the browser host injects into every document, and a recorder behind postMessage. */
const kHostScripts = `
window.__posted = [];
window.chrome = window.chrome || {};
window.chrome.webview = { postMessage: function (m) { window.__posted.push(JSON.parse(JSON.stringify(m))); } };
function IKeelSendMsg(m) {window.chrome.webview.postMessage(m)};
document.addEventListener('keydown', function(e) { if(document.activeElement.type != "text") { IKeelSendMsg({'msg': 'SKPFUI', 'keyCode': e.keyCode, 'utf8': e.key, 'S': e.shiftKey, 'C': e.ctrlKey, 'A': e.altKey, 'isUp': false}); }});
document.addEventListener('keyup', function(e) { if(document.activeElement.type != "text") { IKeelSendMsg({'msg': 'SKPFUI', 'keyCode': e.keyCode, 'utf8': e.key, 'S': e.shiftKey, 'C': e.ctrlKey, 'A': e.altKey, 'isUp': true}); }});
`;

const pageCache = new WeakMap<Browser, Map<string, Page>>();

/**
 * The page in a fresh document with the host's scripts. Pages are kept per browser and size and
 * navigated again, since a new renderer costs more than the test itself; clock tests get their own.
 */
export async function openHostedPage(browser: Browser, opts: { width?: number; height?: number; screenHeight?: number; clock?: boolean } = {}): Promise<Page> {
  const width = opts.width ?? 1180;
  const height = opts.height ?? 760;
  const key = `${width}x${height}/${opts.screenHeight ?? 1080}`;
  let cache = pageCache.get(browser);
  if (!cache) pageCache.set(browser, (cache = new Map()));
  let page = opts.clock ? undefined : cache.get(key);
  if (!page) {
    const context = await browser.newContext({
      viewport: { width, height },
      screen: { width: Math.max(width, 1920), height: opts.screenHeight ?? 1080 },
      locale: 'en-US',
    });
    page = await context.newPage();
    if (opts.clock) {
      // Paused from the start, so the test alone decides how much page time passes.
      const t0 = new Date('2026-01-01T00:00:00Z').getTime();
      await page.clock.install({ time: t0 });
      await page.clock.pauseAt(t0 + 5000);
    } else {
      cache.set(key, page);
    }
    await page.addInitScript(kHostScripts);
    page.setDefaultTimeout(8000);
    page.on('pageerror', (e) => console.error('page error:', e));
  }
  await page.goto(kPageUrl);
  return page;
}

export interface Posted {
  msg: string;
  [k: string]: unknown;
}

export async function posted(page: Page): Promise<Posted[]> {
  return page.evaluate(() => (window as unknown as { __posted: Posted[] }).__posted.slice());
}

export async function clearPosted(page: Page): Promise<void> {
  await page.evaluate(() => ((window as unknown as { __posted: Posted[] }).__posted.length = 0));
}

/** Decodes the "data" of a posted SAMFUI message as UTF-8 text. */
export function postedText(m: Posted): string {
  return typeof m.data === 'string' ? Buffer.from(m.data, 'base64').toString('utf8') : '';
}

export function taggedMessages(list: Posted[], tag: number): Posted[] {
  return list.filter((m) => m.msg === 'SAMFUI' && m.msgTag === tag);
}

// ---- the processor's script calls ----

const f6 = (v: number) => v.toFixed(6);

/** SAMFD as the delegate formats it: the size is the base64 length plus one. */
export function samfd(tag: number, bytes: Uint8Array | string): string {
  const buf = typeof bytes === 'string' ? Buffer.from(bytes, 'utf8') : Buffer.from(bytes);
  const b64 = buf.toString('base64');
  return `SAMFD(${tag}, ${buf.length === 0 ? 0 : b64.length + 1}, '${b64}')`;
}

export const spvfd = (i: number, v: number) => `SPVFD(${i}, ${f6(v)})`;
export const scvfd = (tag: number, v: number) => `SCVFD(${tag}, ${f6(v)})`;

/** The processor's recorded schema dump (tests/processor/golden), when the repository has it. */
export const kRecordedSchemaPath = join(here, '..', '..', '..', 'tests', 'processor', 'golden', 'param-schema.json');

interface SchemaRow {
  id: number;
  name: string;
  type?: string;
  min: number;
  max: number;
  default: number;
  display_type: number;
  rate: string;
  default_normalized?: number;
}

/** Members in the order the JSON library writes them (ascending keys). */
function sortedDescription(r: SchemaRow) {
  const d: Record<string, unknown> = { default: r.default, display_type: r.display_type, id: r.id, max: r.max, min: r.min, name: r.name, rate: r.rate };
  if (r.type) d.type = r.type;
  return d;
}

function pageOwnRow(i: number): SchemaRow {
  const p = paramInfo(i);
  return { id: i, name: p.name, type: p.enumTexts ? 'enum' : 'float', min: p.min, max: p.max, default: p.def, display_type: kDisplayCurves[i] ? 1 : 0, rate: 'control' };
}

let schemaRows: SchemaRow[] | null = null;
function schema(): SchemaRow[] {
  if (!schemaRows) {
    schemaRows = existsSync(kRecordedSchemaPath) ? (JSON.parse(readFileSync(kRecordedSchemaPath, 'utf8')) as SchemaRow[]) : Array.from({ length: 378 }, (_, i) => pageOwnRow(i));
  }
  return schemaRows;
}

/** Page-side normalized default, for a schema without recorded normalized defaults. */
function pageDefaultNormalized(i: number): number {
  const p = paramInfo(i);
  const c = kDisplayCurves[i];
  if (!c || p.enumTexts) return p.max > p.min ? (p.def - p.min) / (p.max - p.min) : 0;
  let lo = 0;
  let hi = 1;
  const rising = curveValue(c, 1) >= curveValue(c, 0);
  for (let k = 0; k < 50; k++) {
    const mid = (lo + hi) / 2;
    if (rising ? curveValue(c, mid) < p.def : curveValue(c, mid) > p.def) lo = mid;
    else hi = mid;
  }
  return hi;
}

export function defaultNormalized(i: number): number {
  return schema()[i].default_normalized ?? pageDefaultNormalized(i);
}

export function realValueRecords(values: { index: number; value: number }[]): Uint8Array {
  const b = Buffer.alloc(values.length * 12);
  values.forEach((r, k) => {
    b.writeInt32LE(r.index, k * 12);
    b.writeDoubleLE(r.value, k * 12 + 4);
  });
  return new Uint8Array(b);
}

export interface InitialStateOptions {
  bankState?: object;
  prefs?: object;
  learn?: object;
  normalized?: Record<number, number>;
  real?: Record<number, number>;
}

/** The initial state in the processor's order: schema, values, variant, real values, bank state, library, prefs, ports, learn. */
export function initialStateScripts(o: InitialStateOptions = {}): string[] {
  const n = 378;
  const out: string[] = [];
  out.push(samfd(-1, JSON.stringify({ id: 'params', params: schema().map(sortedDescription) })));
  const norm = (i: number) => o.normalized?.[i] ?? defaultNormalized(i);
  for (let i = 0; i < n; i++) out.push(spvfd(i, norm(i)));
  out.push(samfd(211, 'synth'));
  const real = Array.from({ length: n }, (_, i) => ({ index: i, value: o.real?.[i] ?? paramInfo(i).def }));
  out.push(samfd(207, realValueRecords(real)));
  if (o.bankState) out.push(samfd(201, JSON.stringify(o.bankState)));
  out.push(samfd(204, JSON.stringify({ presetRoot: '/home/u/Documents/Velmora/Presets', patches: [{ name: 'Init', path: 'builtin:init', isBuiltin: true }] })));
  if (o.prefs) out.push(samfd(205, JSON.stringify(o.prefs)));
  out.push(samfd(208, JSON.stringify({ inputs: ['MKS-80 In'], outputs: ['MKS-80 Out'], selectedIn: '', selectedOut: '' })));
  out.push(samfd(219, JSON.stringify(o.learn ?? { active: false, assignments: {}, selectedParamIdx: null })));
  return out;
}

/** Evaluates processor script calls one by one, as the web view would. */
export async function replay(page: Page, scripts: string[]): Promise<void> {
  await page.evaluate((list) => {
    for (const s of list) (0, eval)(s);
  }, scripts);
}

/** A page that has received the initial state and captured its baselines. */
export async function initialisedPage(browser: Browser, opts: Parameters<typeof openHostedPage>[1] = {}, state: InitialStateOptions = {}): Promise<Page> {
  const page = await openHostedPage(browser, opts);
  await replay(page, initialStateScripts(state));
  await page.waitForSelector('.tone-panel');
  // The baselines are captured 50 ms after the schema.
  await page.waitForTimeout(120);
  return page;
}

/** The bank states the page sent, parsed. */
export const bankStates = (list: Posted[]) => taggedMessages(list, 200).map((m) => JSON.parse(postedText(m)));

// ---- the library and preset actions ----

/** The preset tree message (tag 204) for a list of entries; Init is appended as the processor does. */
export function libraryScript(patches: { name: string; path: string; isWhole?: boolean }[]): string {
  return samfd(204, JSON.stringify({ presetRoot: '/home/u/Documents/Velmora', patches: [...patches, { name: 'Init', path: 'builtin:init', isBuiltin: true }] }));
}

/** The processor's answer to a preset action (tag 203). */
export function presetResult(answer: Record<string, unknown>): string {
  return samfd(203, JSON.stringify(answer));
}

/** The preset actions the page posted (tag 202), parsed. */
export const presetActions = (list: Posted[]) => taggedMessages(list, 202).map((m) => JSON.parse(postedText(m)) as Record<string, unknown>);
