// Preset actions the page asks of the processor (tag 202): load a patch or a tone, save as, and the tone badge.
import { signal } from '@preact/signals';
import { sendJson, hasHostBridge } from '../bridge/host';
import { MsgTag } from '../bridge/protocol';
import { applySaveAs } from '../model/bankState';
import { embeddedTonePath, type ToneChoice } from '../model/presetTree';
import type { Part } from '../model/paramLayout';
import { bank, presetLoading, setBank } from './app';
import { readNorm } from './params';

export function sendPresetAction(request: Record<string, unknown>): void {
  sendJson(MsgTag.PresetAction, request);
}

/** Marks a load as running (the modified mark waits for its answer); only a host ever answers. */
function startLoading(): void {
  if (hasHostBridge()) presetLoading.value = true;
}

export function loadPatch(path: string): void {
  startLoading();
  sendPresetAction({ operation: 'loadPatch', path });
}

export function loadTone(slot: Part, path: string, source: Part): void {
  startLoading();
  sendPresetAction({ operation: 'loadTone', slot, path, source });
}

/** Save as: the page takes the name and the new baselines at once; the processor's dialog picks the file. */
export function savePatchAs(name: string): boolean {
  const trimmed = name.trim();
  if (!trimmed) return false;
  setBank(applySaveAs(bank.peek(), trimmed, readNorm));
  sendPresetAction({ operation: 'savePatch', defaultName: trimmed });
  return true;
}

export function refreshLibrary(): void {
  sendPresetAction({ operation: 'refreshLibrary' });
}

/** Name of a tone just chosen by navigation, shown over its menu for a while. */
export const toneBadge = signal<{ part: Part; text: string } | null>(null);
const kBadgeMs = 6200;
let badgeTimer: ReturnType<typeof setTimeout> | undefined;

export function chooseTone(part: Part, choice: ToneChoice): void {
  clearTimeout(badgeTimer);
  toneBadge.value = { part, text: choice.entry.name };
  badgeTimer = setTimeout(() => (toneBadge.value = null), kBadgeMs);
  loadTone(part, choice.entry.path, choice.source);
}

export { embeddedTonePath };
