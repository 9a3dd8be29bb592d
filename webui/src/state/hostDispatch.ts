// Dispatch of the processor's calls into the stores, one message at a time.
import { base64ToBytes, parseRealValueRecords, utf8Decode } from '../bridge/codec';
import { CtrlTag, MsgTag } from '../bridge/protocol';
import type { HostHandlers } from '../bridge/globals';
import { parseBankState, withAllBaselines } from '../model/bankState';
import { parseLearnResult, parseLearnState } from '../model/learn';
import {
  bank,
  controls,
  dialog,
  learn,
  learnResult,
  library,
  mergeHostPrefs,
  portLists,
  presetLoading,
  presetRoot,
  resolveClipboard,
  restoreBank,
  screenHeight,
  setBank,
  variant,
  type LibraryEntry,
} from './app';
import { readNorm, registerSchema, schemaReady, setNorm, setReal } from './params';
import { cancelExpandAnimation } from './expand';
import { texts } from '../i18n/texts';
import { handleSysexResult } from './sysexFlows';

const kBuiltinInit: LibraryEntry = { name: 'Init', path: 'builtin:init', isBuiltin: true };

function decodeText(data: string): string {
  const bytes = base64ToBytes(data);
  if (!bytes) throw new Error('payload is not base64');
  return utf8Decode(bytes);
}

function onSchema(json: unknown): void {
  const o = json as { id?: unknown; params?: unknown };
  if (!o || o.id !== 'params' || !Array.isArray(o.params)) return;
  registerSchema(o.params);
  // Values that arrive right after the schema settle first; only then does an empty baseline take the current state.
  setTimeout(() => {
    if (Object.keys(bank.peek().loadedPerfParams).length === 0) setBank(withAllBaselines(bank.peek(), readNorm));
  }, 50);
}

function applyValues(values: unknown): void {
  if (!values || typeof values !== 'object') return;
  for (const [k, v] of Object.entries(values as Record<string, unknown>)) {
    if (/^\d+$/.test(k) && typeof v === 'number' && Number.isFinite(v)) setNorm(Number(k), v);
  }
}

/** Results of preset actions: the SysEx panel's flows first, then loading, saving and errors. */
function onPresetResult(r: Record<string, unknown>): void {
  if (!r || typeof r !== 'object') return;
  if (handleSysexResult(r)) return;
  const status = r.status;
  if (status === 'cancelled' || status === 'cancel') {
    presetLoading.value = false;
    return;
  }
  if (status === 'error') {
    presetLoading.value = false;
    const t = texts();
    dialog.value = { title: t.presetErrorTitle, body: typeof r.message === 'string' && r.message ? r.message : t.presetErrorFallback };
    return;
  }
  if (status !== 'ok') return;
  applyValues(r.values);
  presetLoading.value = false;
  const op = r.operation;
  const s = bank.peek();
  const ref = (v: unknown) => {
    const o = v as Record<string, unknown> | null;
    return o && typeof o === 'object' ? { name: typeof o.name === 'string' ? o.name : 'Init', path: typeof o.path === 'string' ? o.path : null } : null;
  };
  if (op === 'savePatch' && ref(r.fileRef)) {
    setBank(withAllBaselines({ ...s, patch: ref(r.fileRef)!, patchUpperTonePath: s.upperTone.path, patchLowerTonePath: s.lowerTone.path }, readNorm));
  } else if (op === 'loadPatch' && ref(r.fileRef) && ref(r.upperTone) && ref(r.lowerTone)) {
    const u = ref(r.upperTone)!;
    const l = ref(r.lowerTone)!;
    setBank(withAllBaselines({ ...s, patch: ref(r.fileRef)!, upperTone: u, lowerTone: l, patchUpperTonePath: u.path, patchLowerTonePath: l.path }, readNorm));
  } else if (op === 'loadTone' && ref(r.fileRef) && (r.slot === 'upper' || r.slot === 'lower' || r.slot === 'upperTone' || r.slot === 'lowerTone')) {
    const upper = r.slot === 'upper' || r.slot === 'upperTone';
    const next = withAllBaselines(s, readNorm);
    setBank(upper
      ? { ...s, upperTone: ref(r.fileRef)!, loadedUpperToneParams: next.loadedUpperToneParams }
      : { ...s, lowerTone: ref(r.fileRef)!, loadedLowerToneParams: next.loadedLowerToneParams });
  }
}

function onMessage(tag: number, data: string): void {
  switch (tag) {
    case MsgTag.Schema:
      onSchema(JSON.parse(decodeText(data)));
      break;
    case MsgTag.ParamRealValue: {
      const bytes = base64ToBytes(data);
      if (!bytes) throw new Error('real values are not base64');
      for (const r of parseRealValueRecords(bytes)) setReal(r.index, r.value);
      break;
    }
    case MsgTag.BankStateRestore:
      cancelExpandAnimation();
      restoreBank(parseBankState(JSON.parse(decodeText(data)), screenHeight()));
      break;
    case MsgTag.PluginVariant: {
      const v = decodeText(data).trim();
      if (v === 'synth' || v === 'fx') variant.value = v;
      break;
    }
    case MsgTag.PresetLibrary: {
      const raw = JSON.parse(decodeText(data));
      const list: unknown[] = Array.isArray(raw?.patches) ? raw.patches : Array.isArray(raw) ? raw : [];
      presetRoot.value = typeof raw?.presetRoot === 'string' ? raw.presetRoot : '';
      const entries = list.filter((e): e is LibraryEntry => !!e && typeof e === 'object' && typeof (e as LibraryEntry).path === 'string' && (e as LibraryEntry).path !== 'builtin:init');
      library.value = [...entries, { ...kBuiltinInit }];
      break;
    }
    case MsgTag.PresetActionResult:
      onPresetResult(JSON.parse(decodeText(data)));
      break;
    case MsgTag.ClipboardReadResult: {
      let text = '';
      try {
        text = decodeText(data);
      } catch {
        text = '';
      }
      resolveClipboard(text);
      break;
    }
    case MsgTag.MidiPortList: {
      const lists = JSON.parse(decodeText(data));
      portLists.value = lists;
      const failed = lists?.openFailed;
      if (failed && typeof failed.name === 'string' && failed.name !== '') {
        const t = texts();
        dialog.value = { title: t.midiPortTitle, body: `${t.midiPortBusy}\n${failed.name}` };
      }
      break;
    }
    case MsgTag.UIPrefs:
      mergeHostPrefs(JSON.parse(decodeText(data)));
      break;
    case MsgTag.MidiLearnState: {
      const s = parseLearnState(JSON.parse(decodeText(data)));
      if (s) learn.value = s;
      break;
    }
    case MsgTag.MidiLearnActionResult: {
      const r = parseLearnResult(JSON.parse(decodeText(data)));
      if (r) learnResult.value = r;
      break;
    }
    default:
      break;
  }
}

export const hostHandlers: HostHandlers = {
  paramValue(index, normalized) {
    setNorm(index, normalized);
  },
  controlValue(tag, value) {
    if (tag >= CtrlTag.OutMeterL && tag <= CtrlTag.HostTempo && Number.isFinite(value)) controls[tag].value = value;
  },
  arbitraryMessage(tag, _size, data) {
    try {
      onMessage(tag, data);
    } catch (e) {
      console.warn(`host message ${tag} ignored:`, e);
    }
  },
};

export { schemaReady };
