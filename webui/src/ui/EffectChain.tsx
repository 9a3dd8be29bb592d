// The effect chain: five slots with type, bypass and the selected slot's knobs, the chain lock and the CC Learn entry.
import { useState } from 'preact/hooks';
import { params } from '../state/params';
import { fxBypassParam, fxParam, fxTypeParam, kNumFxSlots, P } from '../model/paramLayout';
import { fxTypeById, fxTypeIndex, formatKnob, kFxTypes, visibleKnobs, type FxKnob } from '../model/effects';
import { beginGesture, endGesture, userGestureSet, userSetParam } from '../state/actions';
import { defaultNorm } from '../state/params';
import { Knob } from './controls';
import { texts } from '../i18n/texts';
import { LearnPanel } from './Learn';
import { chainFromClipboard, chainToClipboard, chainWrites, readChain, reorderChain } from '../model/clipboard';
import { readNorm } from '../state/params';
import { readClipboard, writeClipboard } from '../state/clipboardOps';
import { DropDown } from './DropDown';

const kFlashMs = 1100;
const kDragStartPx = 5;

/** Writes parameter values as separate gestures, one per parameter. */
function writeAll(writes: { index: number; value: number }[]): void {
  for (const w of writes) userGestureSet(w.index, w.value);
}

/** Moves slot `from` to `to`: the slots whose content changes are rewritten. */
function moveSlot(from: number, to: number): void {
  for (const c of reorderChain(readChain(readNorm), from, to)) writeAll(chainWrites([c.content], c.slot));
}

/** The slot position under a pointer's x, among the chain's slot elements. */
function slotAt(container: HTMLElement, x: number): number {
  const els = Array.from(container.querySelectorAll<HTMLElement>('.fx-slot'));
  let best = 0;
  let bestDist = Infinity;
  els.forEach((el, k) => {
    const r = el.getBoundingClientRect();
    const d = x < r.left ? r.left - x : x > r.right ? x - r.right : 0;
    if (d < bestDist) {
      bestDist = d;
      best = k;
    }
  });
  return best;
}

function FxKnobView({ slot, k }: { slot: number; k: FxKnob }) {
  const index = fxParam(slot, k.p);
  const v = params[index].norm.value;
  const target = {
    get: () => params[index].norm.peek(),
    set: (x: number) => userSetParam(index, k.options ? Math.round(x * (k.options.length - 1)) / (k.options.length - 1) : x),
    begin: () => beginGesture(index),
    end: () => endGesture(index),
    reset: () => userGestureSet(index, defaultNorm(index)),
    wheelStep: k.options ? () => 1 / (k.options!.length - 1) : undefined,
  };
  return <Knob target={target} value={v} label={k.label} text={formatKnob(k, v)} centred={k.centre !== undefined} param={index} size={36} />;
}

function SlotTab({ slot, selected, onSelect, onMove, dropTarget, onHover }: { slot: number; selected: boolean; onSelect: () => void; onMove: (to: number) => void; dropTarget: boolean; onHover: (to: number | null) => void }) {
  const t = texts();
  const onPointerDown = (e: PointerEvent) => {
    if (e.button !== 0 || (e.target as HTMLElement).closest('button')) return;
    const el = e.currentTarget as HTMLElement;
    const container = el.parentElement!;
    const x0 = e.clientX;
    const y0 = e.clientY;
    let dragging = false;
    try {
      el.setPointerCapture(e.pointerId);
    } catch {
      // Synthetic pointers cannot be captured; moves inside the slot still arrive.
    }
    const move = (m: PointerEvent) => {
      if (!dragging && Math.hypot(m.clientX - x0, m.clientY - y0) <= kDragStartPx) return;
      dragging = true;
      onHover(slotAt(container, m.clientX));
    };
    const up = (u: PointerEvent) => {
      el.removeEventListener('pointermove', move);
      el.removeEventListener('pointerup', up);
      el.removeEventListener('pointercancel', up);
      onHover(null);
      if (!dragging) return onSelect();
      const to = slotAt(container, u.clientX);
      if (u.type === 'pointerup' && to !== slot) onMove(to);
    };
    el.addEventListener('pointermove', move);
    el.addEventListener('pointerup', up);
    el.addEventListener('pointercancel', up);
  };
  const type = fxTypeById(fxTypeIndex(params[fxTypeParam(slot)].norm.value));
  const bypassIdx = fxBypassParam(slot);
  const bypassed = params[bypassIdx].norm.value >= 0.5;
  return (
    <div class={'fx-slot' + (selected ? ' selected' : '') + (dropTarget ? ' drop' : '')} style={{ opacity: bypassed ? 0.45 : 1 }} data-testid={`fx-slot-${slot}`} onPointerDown={onPointerDown}>
      <span class="fx-slot-num">{slot + 1}</span>
      <span class="fx-slot-name" data-param={fxTypeParam(slot)}>
        {type.name}
      </span>
      <button
        type="button"
        class={'fx-bypass' + (bypassed ? ' on' : '')}
        data-param={bypassIdx}
        title={t.bypass}
        onClick={(e) => {
          e.stopPropagation();
          userGestureSet(bypassIdx, bypassed ? 0 : 1);
        }}
      >
        {t.bypass}
      </button>
    </div>
  );
}

export function EffectChain() {
  const t = texts();
  const [sel, setSel] = useState(0);
  const typeIdx = fxTypeIndex(params[fxTypeParam(sel)].norm.value);
  const type = fxTypeById(typeIdx);
  const knobs = visibleKnobs(type, (p) => params[fxParam(sel, p)].norm.value);
  const locked = params[P.FxChainLock].norm.value >= 0.5;
  const [hover, setHover] = useState<number | null>(null);
  const [copied, setCopied] = useState(false);
  const [pasted, setPasted] = useState<'' | 'ok' | 'bad'>('');
  const copy = async () => {
    if (!(await writeClipboard(chainToClipboard(readChain(readNorm))))) return;
    setCopied(true);
    setTimeout(() => setCopied(false), kFlashMs);
  };
  const paste = async () => {
    const text = await readClipboard();
    if (text === null) return;
    const slots = chainFromClipboard(text);
    if (slots) writeAll(chainWrites(slots));
    setPasted(slots ? 'ok' : 'bad');
    setTimeout(() => setPasted(''), kFlashMs);
  };
  return (
    <section class="module effect-chain" data-testid="effect-chain">
      <header class="module-title">
        {t.effectChain}
        <button type="button" class={'fx-clip' + (copied ? ' ok' : '')} data-testid="chain-copy" onClick={copy}>
          {copied ? t.effectChainCopied : t.effectChainCopy}
        </button>
        <button type="button" class={'fx-clip' + (pasted === 'ok' ? ' ok' : pasted === 'bad' ? ' bad' : '')} data-testid="chain-paste" onClick={paste}>
          {pasted === 'ok' ? t.effectChainPasted : t.effectChainPaste}
        </button>
        <button
          type="button"
          class={'fx-lock' + (locked ? ' on' : '')}
          data-param={P.FxChainLock}
          title={locked ? t.effectChainLockLocked : t.effectChainLockUnlocked}
          onClick={() => userGestureSet(P.FxChainLock, locked ? 0 : 1)}
        >
          <span class="led" />
          {t.effectLock}
        </button>
      </header>
      <div class="fx-slots">
        {Array.from({ length: kNumFxSlots }, (_, s) => (
          <SlotTab
            key={s}
            slot={s}
            selected={s === sel}
            onSelect={() => setSel(s)}
            dropTarget={hover === s}
            onHover={setHover}
            onMove={(to) => {
              moveSlot(s, to);
              setSel(to);
            }}
          />
        ))}
      </div>
      <div class="fx-editor">
        <DropDown
          class="fx-type"
          testid="fx-type"
          value={String(typeIdx)}
          options={[
            ...kFxTypes.map((ft) => ({ value: String(ft.id), label: ft.name })),
            ...(kFxTypes.every((ft) => ft.id !== typeIdx) ? [{ value: String(typeIdx), label: 'Off' }] : []),
          ]}
          onChange={(v) => userGestureSet(fxTypeParam(sel), Number(v) / 15)}
        />
        <div class="fx-knobs">
          {knobs.map((k) => (
            <FxKnobView key={`${type.id}-${k.p}-${k.label}`} slot={sel} k={k} />
          ))}
        </div>
      </div>
      <LearnPanel />
    </section>
  );
}
