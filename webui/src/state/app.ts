// Page-wide stores besides the parameters: variant, control values, bank state, preferences, learn state, library.
import { computed, signal } from '@preact/signals';
import { defaultBankState, isPatchModified, linkInEffect, serializeBankState, withAllBaselines, type BankState } from '../model/bankState';
import { kDevPrefsKey, normalizePrefs, type UiPrefs } from '../model/prefs';
import { emptyLearnState, type LearnResult, type LearnState } from '../model/learn';
import { hasHostBridge, sendJson, sendTagged } from '../bridge/host';
import { MsgTag } from '../bridge/protocol';
import { params, readNorm } from './params';

export type Variant = 'synth' | 'fx';
export const variant = signal<Variant | null>(null);

/** Control values by control tag: meters in dB, wheels 0..1, tempo / 1000. */
export const controls = Array.from({ length: 6 }, (_, tag) => signal(tag <= 1 ? -60 : tag === 2 ? 0.5 : 0));

export const bank = signal<BankState>(defaultBankState());
export const presetLoading = signal(false);
let restoring = false;

/** Replaces the bank state; every change goes to the processor except while a restore is applied. */
export function setBank(next: BankState): void {
  const before = serializeBankState(bank.peek());
  bank.value = next;
  if (!restoring && serializeBankState(next) !== before) sendJson(MsgTag.BankState, next);
}

export function restoreBank(next: BankState): void {
  restoring = true;
  try {
    bank.value = next;
  } finally {
    restoring = false;
  }
}

export function captureAllBaselines(): void {
  setBank(withAllBaselines(bank.peek(), readNorm));
}

export const patchModified = computed(() => {
  const s = bank.value;
  const loading = presetLoading.value;
  // Reading every value subscribes the mark to all of them.
  const read = (i: number) => params[i].norm.value;
  return isPatchModified(s, read, loading);
});

export const linked = computed(() => linkInEffect(bank.value));

function loadDevPrefs(): unknown {
  try {
    const t = localStorage.getItem(kDevPrefsKey);
    return t ? JSON.parse(t) : {};
  } catch {
    return {};
  }
}

const browserLanguages = (): string[] => (navigator.languages ? [...navigator.languages] : [navigator.language]);

export const prefs = signal<UiPrefs>(normalizePrefs(hasHostBridge() ? {} : loadDevPrefs(), browserLanguages()));

/** Merges host preferences (tag 205) into the page's object without sending them back. */
export function mergeHostPrefs(raw: unknown): void {
  const base = prefs.peek() as unknown as Record<string, unknown>;
  const incoming = raw && typeof raw === 'object' && !Array.isArray(raw) ? (raw as Record<string, unknown>) : {};
  prefs.value = normalizePrefs({ ...base, ...incoming }, browserLanguages());
}

export function updatePrefs(patch: Partial<UiPrefs>): void {
  const next = normalizePrefs({ ...prefs.peek(), ...patch }, browserLanguages());
  prefs.value = next;
  if (hasHostBridge()) sendJson(MsgTag.UIPrefs, next);
  else {
    try {
      localStorage.setItem(kDevPrefsKey, JSON.stringify(next));
    } catch {
      // Private browsing: the preference lasts for this page only.
    }
  }
}

export const learn = signal<LearnState>(emptyLearnState());
export const learnResult = signal<LearnResult | null>(null);

export function sendLearn(op: Record<string, unknown>): void {
  sendJson(MsgTag.MidiLearnRequest, op);
}

export interface LibraryEntry {
  name: string;
  path: string;
  isBuiltin?: boolean;
  [k: string]: unknown;
}
export const library = signal<LibraryEntry[]>([]);
export const presetRoot = signal('');
export const portLists = signal<unknown>(null);

export interface DialogButton {
  label: string;
  /** Runs after the dialog has closed. */
  run?: () => void;
}

export interface DialogInfo {
  title: string;
  body: string;
  /** Names a dialog that a later answer closes (waiting dialogs). */
  id?: string;
  /** Buttons in order; a plain OK when absent. */
  buttons?: DialogButton[];
  /** Runs when the dialog is closed without a button (Escape). */
  onDismiss?: () => void;
}
export const dialog = signal<DialogInfo | null>(null);

export function showDialog(d: DialogInfo): void {
  dialog.value = d;
}

/** Closes the dialog only when it is the one named (an answer may arrive after the user closed it). */
export function closeDialog(id: string): void {
  if (dialog.peek()?.id === id) dialog.value = null;
}

/** Text of a pending clipboard read (tag 217); null when it failed. */
let clipboardWaiter: ((text: string | null) => void) | null = null;

export function requestClipboardText(timeoutMs = 1500): Promise<string | null> {
  return new Promise((resolve) => {
    const timer = setTimeout(() => {
      clipboardWaiter = null;
      resolve(null);
    }, timeoutMs);
    clipboardWaiter = (t) => {
      clearTimeout(timer);
      clipboardWaiter = null;
      resolve(t);
    };
    sendTagged(MsgTag.ClipboardReadRequest);
  });
}

export function resolveClipboard(text: string): void {
  clipboardWaiter?.(text);
}

/** Height of the screen, or null when the browser does not tell. */
export function screenHeight(): number | null {
  const h = window.screen && window.screen.height;
  return typeof h === 'number' && h > 0 ? h : null;
}
