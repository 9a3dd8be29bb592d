// The SysEx panel's flows: import, MKS-80 bulk dump, export, bank builder, patch dump and .mid dump to the MKS-80,
// each a preset action out and a handler of its answer that reports the outcome in a dialog.
import { signal } from '@preact/signals';
import { base64ToBytes, bytesToBase64 } from '../bridge/codec';
import { fill, texts, type TextKey } from '../i18n/texts';
import { buildBankSmf, buildCurrentPatchSmf, diagnoseDump, dumpToPatchDocuments, recutDumpFrames } from '../mks/dumpBank';
import type { DumpStats } from '../mks/sysexReader';
import { bank, closeDialog, showDialog } from './app';
import { readNorm } from './params';
import { refreshLibrary, sendPresetAction } from './presets';

type Answer = Record<string, unknown>;
const str = (v: unknown) => (typeof v === 'string' ? v : '');
const num = (v: unknown) => (typeof v === 'number' && Number.isFinite(v) ? v : 0);
const errText = (e: unknown) => (e instanceof Error ? e.message : String(e));

function say(titleKey: TextKey, body: string): void {
  showDialog({ title: texts()[titleKey], body });
}

/** The answer's own message, or the flow's fallback text. */
const messageOr = (r: Answer, fallback: TextKey) => str(r.message) || texts()[fallback];

function diagnosis(stats: DumpStats): string {
  const d = diagnoseDump(stats);
  const t = texts();
  const key = ({ diagNoMessages: 'sysexImportDiagNoMessages', diagForeignIds: 'sysexImportDiagForeignIds', diagNoDat: 'sysexImportDiagNoDat', diagNoValidSets: 'sysexImportDiagNoValidSets' } as const)[d.key];
  return fill(t[key], { ids: d.ids ?? '' });
}

// ---- 1. import from a file ----

export function importFromFile(): void {
  sendPresetAction({ operation: 'importMksDump' });
}

function onImport(r: Answer): void {
  if (r.status === 'cancelled') return;
  if (r.status === 'error') return say('sysexImportErrorTitle', messageOr(r, 'sysexImportFailed'));
  if (r.status !== 'ok') return;
  const data = str(r.data);
  const folder = str(r.patchFolderPath);
  const bytes = data ? base64ToBytes(data) : null;
  if (!data || !folder || !bytes) return say('sysexImportErrorTitle', texts().sysexImportNoPayload);
  let result;
  try {
    result = dumpToPatchDocuments(bytes);
  } catch (e) {
    return say('sysexImportErrorTitle', fill(texts().sysexImportDecodeFailed, { err: errText(e) }));
  }
  if (result.patches.length === 0) return say('sysexImportErrorTitle', diagnosis(result.stats));
  sendPresetAction({ operation: 'bulkImportComplete', patchFolderPath: folder, sourceName: str(r.sourceName), patches: result.patches });
}

function onBulkImportComplete(r: Answer): void {
  if (r.status !== 'ok') return say('sysexImportErrorTitle', messageOr(r, 'sysexImportWriteFailed'));
  refreshLibrary();
  say('sysexImportCompleteTitle', fill(texts().sysexImportCompleteBody, { p: num(r.patchesWritten), patchDir: str(r.patchDir) }));
}

// ---- 2. import from the MKS-80 ----

const kWaitDump = 'wait-mks-dump';

export function importFromMks(): void {
  sendPresetAction({ operation: 'requestMksBulkDump' });
  const t = texts();
  showDialog({ id: kWaitDump, title: t.mksBulkDumpWaitTitle, body: t.mksBulkDumpWaitBody, buttons: [{ label: t.dialogCancel }] });
}

function onBulkDumpRequest(r: Answer): void {
  closeDialog(kWaitDump);
  if (r.status !== 'error') return;
  const m = str(r.message);
  say('mksBulkDumpErrorTitle', /timed out/i.test(m) ? texts().mksBulkDumpTimeoutBody : m || texts().mksBulkDumpFailed);
}

function onBulkDumpAvailable(r: Answer): void {
  closeDialog(kWaitDump);
  const t = texts();
  const choose = (choice: string) => () => sendPresetAction({ operation: 'mksBulkDumpFormatChoice', choice });
  showDialog({
    title: t.mksBulkDumpReceivedTitle,
    body: fill(t.mksBulkDumpReceivedBody, { n: num(r.datMessages) }),
    buttons: [
      { label: t.mksBulkDumpChoicePatch, run: choose('patchTone') },
      { label: t.mksBulkDumpChoiceMid, run: choose('mid') },
      { label: t.dialogCancel, run: choose('cancel') },
    ],
    onDismiss: choose('cancel'),
  });
}

function onFormatChoice(r: Answer): void {
  if (r.status === 'cancelled') return;
  if (r.status === 'error') return say('mksBulkDumpErrorTitle', messageOr(r, 'mksBulkDumpFailed'));
  if (r.status === 'ok') say('mksBulkDumpSavedTitle', fill(texts().mksBulkDumpSavedBody, { n: num(r.datMessages), path: str(r.filePath) }));
}

// ---- 3. export of the current patch ----

export function exportCurrentPatch(): void {
  let file: Uint8Array;
  try {
    file = buildCurrentPatchSmf(readNorm);
  } catch (e) {
    return say('sysexExportErrorTitle', fill(texts().sysexExportEncodeFailed, { err: errText(e) }));
  }
  sendPresetAction({ operation: 'exportCurrentAsMid', defaultName: bank.peek().patch.name || 'patch', data: bytesToBase64(file) });
}

function onExport(r: Answer): void {
  if (r.status === 'cancelled') return;
  if (r.status === 'error') return say('sysexExportErrorTitle', messageOr(r, 'sysexExportFailed'));
  if (r.status === 'ok') say('sysexExportCompleteTitle', fill(texts().sysexExportCompleteBody, { path: str(r.filePath) }));
}

// ---- 4. bank builder ----

export const kBankSlots = 32;
const kPathsPerRequest = 12;

/** The builder dialog: open flag, the path chosen for each of the 32 slots ('' for Init), busy while reading. */
export const bankBuilder = signal<{ open: boolean; slots: string[]; busy: boolean }>({ open: false, slots: new Array(kBankSlots).fill(''), busy: false });

let pending: Set<string> | null = null;
const docs = new Map<string, unknown>();

export function openBankBuilder(): void {
  bankBuilder.value = { ...bankBuilder.peek(), open: true, busy: false };
  refreshLibrary();
}

export function closeBankBuilder(): void {
  pending = null;
  bankBuilder.value = { ...bankBuilder.peek(), open: false, busy: false };
}

export function setBankSlot(i: number, path: string): void {
  const slots = bankBuilder.peek().slots.slice();
  slots[i] = path;
  bankBuilder.value = { ...bankBuilder.peek(), slots };
}

export function createBank(): void {
  const chosen = [...new Set(bankBuilder.peek().slots.filter((p) => p !== ''))];
  const paths = [...chosen.filter((p) => p !== 'builtin:init'), 'builtin:init'];
  pending = new Set(paths);
  docs.clear();
  bankBuilder.value = { ...bankBuilder.peek(), busy: true };
  for (let k = 0; k < paths.length; k += kPathsPerRequest) sendPresetAction({ operation: 'readPatchDocuments', paths: paths.slice(k, k + kPathsPerRequest) });
}

function onPatchDocuments(r: Answer): void {
  if (!pending) return;
  if (r.status !== 'ok') {
    pending = null;
    bankBuilder.value = { ...bankBuilder.peek(), busy: false };
    return say('presetErrorTitle', messageOr(r, 'presetErrorFallback'));
  }
  for (const entry of Array.isArray(r.documents) ? r.documents : []) {
    const e = entry as { path?: unknown; document?: unknown };
    if (typeof e?.path === 'string' && pending.has(e.path)) {
      docs.set(e.path, e.document);
      pending.delete(e.path);
    }
  }
  if (pending.size > 0) return;
  pending = null;
  const init = docs.get('builtin:init');
  const t = texts();
  if (!init || typeof init !== 'object') {
    bankBuilder.value = { ...bankBuilder.peek(), busy: false };
    return showDialog({ title: t.bankBuilderTitle, body: t.bankBuilderNoInit });
  }
  const selection = bankBuilder.peek().slots.map((p) => {
    const d = p ? docs.get(p) : null;
    return d && typeof d === 'object' ? d : null;
  });
  let file: Uint8Array;
  try {
    file = buildBankSmf(selection, init);
  } catch (e) {
    closeBankBuilder();
    return say('sysexExportErrorTitle', fill(t.sysexExportEncodeFailed, { err: errText(e) }));
  }
  sendPresetAction({ operation: 'exportCurrentAsMid', defaultName: 'MKS-80 Bank', data: bytesToBase64(file) });
  closeBankBuilder();
}

// ---- 5. dump of the current patch ----

export function dumpCurrentPatch(): void {
  sendPresetAction({ operation: 'dumpCurrentToMidi' });
}

function onDumpCurrent(r: Answer): void {
  if (r.status === 'error') say('sysexDumpFailedTitle', messageOr(r, 'sysexDumpFailedBody'));
}

// ---- 6. dump of a .mid file to the MKS-80 ----

const kWaitLoad = 'wait-mks-load';

export function dumpMidFile(): void {
  const t = texts();
  showDialog({
    title: t.dumpMidFilePrepareTitle,
    body: t.dumpMidFilePrepareBody,
    buttons: [{ label: t.dialogContinue, run: () => sendPresetAction({ operation: 'loadMksMidForDump' }) }, { label: t.dialogCancel }],
  });
}

function onMidForDump(r: Answer): void {
  if (r.status === 'cancelled') return;
  if (r.status === 'error') return say('dumpMidFileErrorTitle', messageOr(r, 'dumpMidFileFailed'));
  if (r.status !== 'ok') return;
  const bytes = str(r.data) ? base64ToBytes(str(r.data)) : null;
  if (!bytes || bytes.length === 0) return say('dumpMidFileErrorTitle', texts().sysexImportNoPayload);
  let cut;
  try {
    cut = recutDumpFrames(bytes);
  } catch (e) {
    return say('dumpMidFileErrorTitle', fill(texts().sysexImportDecodeFailed, { err: errText(e) }));
  }
  if (cut.frames.length === 0) return say('dumpMidFileErrorTitle', diagnosis(cut.stats));
  const all = new Uint8Array(cut.frames.reduce((n, f) => n + f.length, 0));
  cut.frames.reduce((at, f) => (all.set(f, at), at + f.length), 0);
  sendPresetAction({ operation: 'dumpMidFileStart', data: bytesToBase64(all), datCount: cut.frames.length, sourceName: str(r.sourceName) || 'MKS-80 dump' });
  const t = texts();
  showDialog({
    id: kWaitLoad,
    title: t.dumpMidFileWaitTitle,
    body: t.dumpMidFileWaitBody,
    buttons: [{ label: t.dialogCancel, run: () => sendPresetAction({ operation: 'dumpMidFileCancel' }) }],
    onDismiss: () => sendPresetAction({ operation: 'dumpMidFileCancel' }),
  });
}

function onDumpMidFileResult(r: Answer): void {
  closeDialog(kWaitLoad);
  if (r.status === 'cancelled') return;
  if (r.status === 'error') return say('dumpMidFileErrorTitle', messageOr(r, 'dumpMidFileFailed'));
  if (r.status === 'ok') say('dumpMidFileCompleteTitle', fill(texts().dumpMidFileCompleteBody, { n: num(r.datMessages) }));
}

const handlers: Record<string, (r: Answer) => void> = {
  importMksDump: onImport,
  bulkImportComplete: onBulkImportComplete,
  requestMksBulkDump: onBulkDumpRequest,
  mksBulkDumpAvailable: onBulkDumpAvailable,
  mksBulkDumpFormatChoice: onFormatChoice,
  exportCurrentAsMid: onExport,
  readPatchDocuments: onPatchDocuments,
  dumpCurrentToMidi: onDumpCurrent,
  loadMksMidForDump: onMidForDump,
  dumpMidFileStart: onDumpMidFileResult,
};

/** Handles the answers of the panel's operations; false for every other operation. */
export function handleSysexResult(r: Answer): boolean {
  const h = typeof r.operation === 'string' ? handlers[r.operation] : undefined;
  if (!h) return false;
  h(r);
  return true;
}
