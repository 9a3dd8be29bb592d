// Entry of the editor page: host functions first, keyboard capture, then the stores, the view and the init requests.
import './bridge/globals';
import { installKeyboardCapture } from './keyboard';
import { attachHostHandlers } from './bridge/globals';
import { render } from 'preact';
import { effect } from '@preact/signals';
import { hostHandlers } from './state/hostDispatch';
import { hasHostBridge, sendTagged } from './bridge/host';
import { MsgTag } from './bridge/protocol';
import { schemaReady, registerSchema } from './state/params';
import { variant } from './state/app';
import { App } from './ui/App';
import { paramInfo } from './model/paramInfo';
import { kNumParams } from './model/paramLayout';
import './styles.css';

installKeyboardCapture();
attachHostHandlers(hostHandlers);

const kFontWaitMs = 2500;
const kVariantWaitMs = 2000;
const kInitFirstMs = 1500;
const kInitEveryMs = 500;
const kInitMaxRequests = 40;

/** Loads every inlined face before the first render (a face otherwise loads only once some text uses it, and
 * the view would first draw without it), waiting at most kFontWaitMs. */
function fontsReady(): Promise<void> {
  const fonts = (document as Document & { fonts?: FontFaceSet }).fonts;
  const faces: FontFace[] = [];
  fonts?.forEach((f) => faces.push(f));
  const ready = Promise.all(faces.map((f) => f.load().catch(() => undefined))).then(() => undefined);
  return Promise.race([ready, new Promise<void>((r) => setTimeout(r, kFontWaitMs))]);
}

/** Asks the processor for its initial state until the schema is here (the first load may race the page). */
function startInitRequests(): void {
  let sent = 0;
  const tick = () => {
    if (schemaReady.peek() || sent >= kInitMaxRequests) return;
    sent++;
    sendTagged(MsgTag.RequestInit);
    setTimeout(tick, kInitEveryMs);
  };
  setTimeout(tick, kInitFirstMs);
}

/** In a plain browser the page describes its own parameters, so it can be developed without the processor. */
function registerOwnSchema(): void {
  const list = [];
  for (let i = 0; i < kNumParams; i++) {
    const p = paramInfo(i);
    list.push({ id: i, name: p.name, min: p.min, max: p.max, default: p.def, display_type: 0 });
  }
  registerSchema(list);
}

/** Marks the page once its first paint shows the initial state: the host's screenshot waits for this. */
function reportInitialStateDrawn(): void {
  let reported = false;
  effect(() => {
    if (reported || !schemaReady.value || variant.value === null) return;
    reported = true;
    requestAnimationFrame(() =>
      requestAnimationFrame(() => {
        document.documentElement.dataset.initialStateDrawn = 'true';
      }),
    );
  });
}

fontsReady().then(() => {
  const root = document.getElementById('app')!;
  render(<App />, root);
  document.getElementById('splash')?.remove();
  reportInitialStateDrawn();
  setTimeout(() => {
    if (variant.peek() === null) variant.value = 'synth';
  }, kVariantWaitMs);
});

if (hasHostBridge()) {
  if (document.readyState === 'complete') startInitRequests();
  else window.addEventListener('load', startInitRequests, { once: true });
} else {
  registerOwnSchema();
}
