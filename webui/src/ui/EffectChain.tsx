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

function SlotTab({ slot, selected, onSelect }: { slot: number; selected: boolean; onSelect: () => void }) {
  const t = texts();
  const type = fxTypeById(fxTypeIndex(params[fxTypeParam(slot)].norm.value));
  const bypassIdx = fxBypassParam(slot);
  const bypassed = params[bypassIdx].norm.value >= 0.5;
  return (
    <div class={'fx-slot' + (selected ? ' selected' : '')} style={{ opacity: bypassed ? 0.45 : 1 }} data-testid={`fx-slot-${slot}`} onClick={onSelect}>
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
  return (
    <section class="module effect-chain" data-testid="effect-chain">
      <header class="module-title">
        {t.effectChain}
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
          <SlotTab key={s} slot={s} selected={s === sel} onSelect={() => setSel(s)} />
        ))}
      </div>
      <div class="fx-editor">
        <select
          class="fx-type"
          data-testid="fx-type"
          value={String(typeIdx)}
          onChange={(e) => userGestureSet(fxTypeParam(sel), Number((e.target as HTMLSelectElement).value) / 15)}
        >
          {kFxTypes.map((ft) => (
            <option key={ft.id} value={String(ft.id)}>
              {ft.name}
            </option>
          ))}
          {kFxTypes.every((ft) => ft.id !== typeIdx) && <option value={String(typeIdx)}>Off</option>}
        </select>
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
