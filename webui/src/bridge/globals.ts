// Defines the functions the processor calls (SPVFD, SCVFD, SAMFD, SCMFD, SMMFD) before anything else runs,
// buffering every call until the page's stores exist.

export interface HostHandlers {
  paramValue(index: number, normalized: number): void;
  controlValue(tag: number, value: number): void;
  arbitraryMessage(tag: number, size: number, data: string): void;
}

type Call = { fn: 'p' | 'c' | 'a'; args: unknown[] };

let handlers: HostHandlers | null = null;
const pending: Call[] = [];

function dispatch(call: Call): void {
  const h = handlers!;
  try {
    if (call.fn === 'p') h.paramValue(Number(call.args[0]), Number(call.args[1]));
    else if (call.fn === 'c') h.controlValue(Number(call.args[0]), Number(call.args[1]));
    else h.arbitraryMessage(Number(call.args[0]), Number(call.args[1]), String(call.args[2] ?? ''));
  } catch (e) {
    // One bad message must not stop the ones after it.
    console.error('host call failed', e);
  }
}

function enqueue(fn: Call['fn'], args: unknown[]): void {
  const call = { fn, args };
  if (handlers) dispatch(call);
  else pending.push(call);
}

const w = window as unknown as Record<string, unknown>;
// Calls caught by the document's own early stubs (index.html) come first, in order.
const early = w.__vlmHostQueue;
if (Array.isArray(early)) {
  for (const [fn, args] of early as [Call['fn'], unknown[]][]) pending.push({ fn, args });
  early.length = 0;
}
w.SPVFD = (index: number, normalized: number) => enqueue('p', [index, normalized]);
w.SCVFD = (tag: number, value: number) => enqueue('c', [tag, value]);
w.SAMFD = (tag: number, size: number, data: string) => enqueue('a', [tag, size, data]);
// Control and MIDI messages carry nothing this page shows.
w.SCMFD = () => undefined;
w.SMMFD = () => undefined;

/** Connects the stores; calls that arrived earlier are replayed in order. */
export function attachHostHandlers(h: HostHandlers): void {
  handlers = h;
  const calls = pending.splice(0, pending.length);
  for (const c of calls) dispatch(c);
}
