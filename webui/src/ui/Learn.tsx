// MIDI learn: the entry button and panel (save, load, clear, close, set default, knob mode) and the overlay of target boxes.
import { useEffect, useLayoutEffect, useState } from 'preact/hooks';
import { learn, learnResult, prefs, sendLearn, updatePrefs } from '../state/app';
import { clampCc, isLearnable } from '../model/learn';
import { texts } from '../i18n/texts';
import type { KnobMode } from '../model/prefs';
import { paramInfo } from '../model/paramInfo';
import { DropDown } from './DropDown';

export function LearnPanel() {
  const t = texts();
  const s = learn.value;
  const [cc, setCc] = useState('');
  const result = learnResult.value;
  if (!s.active) {
    return (
      <div class="learn-panel">
        <button type="button" class="learn-entry" data-testid="learn-entry" title={t.midiLearnEntryTooltip} onClick={() => sendLearn({ op: 'setActive', active: true })}>
          {t.ccLearn}
        </button>
      </div>
    );
  }
  const modes: [KnobMode, string][] = [
    ['jump', t.knobModeJumpDesc],
    ['pickup', t.knobModePickupDesc],
    ['scaling', t.knobModeScalingDesc],
  ];
  const sel = s.selectedParamIdx;
  const assign = () => {
    const n = Number(cc);
    if (sel === null || cc.trim() === '' || !Number.isFinite(n)) return;
    sendLearn({ op: 'assign', paramIdx: sel, cc: clampCc(n) });
    learn.value = { ...learn.peek(), selectedParamIdx: null };
    setCc('');
  };
  return (
    <div class="learn-panel active block-host-shortcuts" data-testid="learn-panel">
      <div class="learn-buttons">
        <button type="button" onClick={() => sendLearn({ op: 'save' })}>{t.learnSave}</button>
        <button type="button" onClick={() => sendLearn({ op: 'load' })}>{t.learnLoad}</button>
        <button type="button" onClick={() => sendLearn({ op: 'clearAll' })}>{t.learnClear}</button>
        <button type="button" title={t.midiLearnSetDefaultTooltip} onClick={() => sendLearn({ op: 'setDefault' })}>{t.learnSetDefault}</button>
        <button type="button" data-testid="learn-close" onClick={() => sendLearn({ op: 'setActive', active: false })}>{t.learnClose}</button>
      </div>
      <div class="learn-row">
        <DropDown title={t.midiLearnKnobModeTooltip} testid="knob-mode" value={prefs.value.knobMode} options={modes.map(([m]) => ({ value: m, label: m }))} onChange={(v) => updatePrefs({ knobMode: v as KnobMode })} />
        <span class="hint knob-mode-desc">{modes.find(([m]) => m === prefs.value.knobMode)![1]}</span>
      </div>
      <div class="learn-row">
        {sel !== null ? (
          <>
            <span class="learn-target">{paramInfo(sel).name}</span>
            <input type="number" min={0} max={127} value={cc} data-testid="learn-cc" onInput={(e) => setCc((e.target as HTMLInputElement).value)} />
            <button type="button" data-testid="learn-assign" onClick={assign}>{t.learnAssign}</button>
          </>
        ) : (
          <span class="hint">{t.learnHint}</span>
        )}
      </div>
      {result && result.status !== 'cancel' && (
        <div class={'learn-result ' + result.status} data-testid="learn-result">
          {result.status === 'error' ? t.learnFailed : { save: t.learnSaved, load: t.learnLoaded, setDefault: t.learnDefaultSet }[result.op]}
          {result.message ? ` — ${result.message}` : ''}
        </div>
      )}
    </div>
  );
}

interface Box {
  index: number;
  left: number;
  top: number;
  width: number;
  height: number;
}

/** Boxes in the stage's own (unscaled) pixels: the stage may be drawn scaled down as a whole. */
function measure(root: HTMLElement, scale: number): Box[] {
  const base = root.getBoundingClientRect();
  const out: Box[] = [];
  root.querySelectorAll<HTMLElement>('[data-param]').forEach((el) => {
    const index = Number(el.dataset.param);
    if (!isLearnable(index)) return;
    const r = el.getBoundingClientRect();
    if (r.width === 0 || r.height === 0) return;
    out.push({
      index,
      left: (r.left - base.left) / scale + root.scrollLeft,
      top: (r.top - base.top) / scale + root.scrollTop,
      width: r.width / scale,
      height: r.height / scale,
    });
  });
  return out;
}

/** Boxes over every learnable control while learn is active; a click picks (or drops) the target. */
export function LearnOverlay({ root, scale }: { root: HTMLElement | null; scale: number }) {
  const s = learn.value;
  const [boxes, setBoxes] = useState<Box[]>([]);
  useLayoutEffect(() => {
    if (s.active && root) setBoxes(measure(root, scale));
  }, [s.active, root, s.selectedParamIdx, scale]);
  useEffect(() => {
    if (!s.active || !root) return;
    const update = () => setBoxes(measure(root, scale));
    const timer = window.setInterval(update, 400);
    window.addEventListener('resize', update);
    return () => {
      clearInterval(timer);
      window.removeEventListener('resize', update);
    };
  }, [s.active, root, scale]);
  if (!s.active) return null;
  return (
    <div class="learn-overlay" data-testid="learn-overlay">
      {boxes.map((b) => {
        const cc = s.assignments[b.index];
        const selected = s.selectedParamIdx === b.index;
        const cls = 'learn-box' + (selected ? ' selected' : cc !== undefined ? ' assigned' : '');
        return (
          <div
            key={b.index + ':' + b.left + ':' + b.top}
            class={cls}
            data-learn={b.index}
            style={{ left: `${b.left}px`, top: `${b.top}px`, width: `${b.width}px`, height: `${b.height}px` }}
            onClick={() => sendLearn({ op: 'selectTarget', paramIdx: selected ? null : b.index })}
          >
            {cc !== undefined && <span class="learn-cc">CC {cc}</span>}
          </div>
        );
      })}
    </div>
  );
}
