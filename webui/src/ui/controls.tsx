// The parameter controls: vertical sliders with a 0..10 scale, switches, a selector and the round knob.
import type { ComponentChildren } from 'preact';
import { params } from '../state/params';
import { paramInfo } from '../model/paramInfo';
import { enumIndex, formatReal } from '../model/displayValue';
import { dragHandlers, type DragTarget } from './drag';
import { paramTarget } from './paramTarget';
import { userGestureSet } from '../state/actions';
import { defaultNorm } from '../state/params';
import { kModuleKinds, moduleParams } from '../model/clipboard';
import { ModuleClipButtons } from './ModuleClip';
import type { Part } from '../model/paramLayout';
import { DropDown } from './DropDown';

const kCentredEps = 1e-4;
const kThumbHeightPx = 10;

export function Slider({ index, label, centred }: { index: number; label: string; centred?: boolean }) {
  const slot = params[index];
  const v = slot.norm.value;
  const isCentred = centred ?? paramInfo(index).centred ?? false;
  const lo = isCentred ? Math.min(v, 0.5) : 0;
  const hi = isCentred ? Math.max(v, 0.5) : v;
  const h = dragHandlers(paramTarget(index));
  const atCentre = isCentred && Math.abs(v - 0.5) < kCentredEps;
  return (
    <div class="ctl slider" data-param={index} title={paramInfo(index).name}>
      <div class="ctl-label">{label}</div>
      <div class="slider-body" onPointerDown={h.onPointerDown} onWheel={h.onWheel}>
        <div class="slider-scale">
          {[10, 8, 6, 4, 2, 0].map((n) => (
            <span key={n}>{n}</span>
          ))}
        </div>
        <div class="slider-track">
          <div class={'slider-fill' + (atCentre ? ' centred' : '')} style={{ bottom: `${lo * 100}%`, height: `${(hi - lo) * 100}%` }} />
          {/* The thumb travels inside the track, so it never reaches the label above or the readout below. */}
          <div class="slider-thumb" style={{ bottom: `calc(${v} * (100% - ${kThumbHeightPx}px))` }} />
        </div>
      </div>
      <div class="ctl-value">{formatReal(index, slot.real.value)}</div>
    </div>
  );
}

/** An enumerated parameter as a column of option buttons (or a row when `row`). */
export function Switch({ index, label, options, row }: { index: number; label: string; options?: readonly string[]; row?: boolean }) {
  const info = paramInfo(index);
  const texts = options ?? info.enumTexts ?? [];
  const n = texts.length;
  const k = enumIndex(params[index].norm.value, n);
  const pick = (e: MouseEvent, i: number) => {
    if (e.ctrlKey || e.metaKey) userGestureSet(index, defaultNorm(index));
    else userGestureSet(index, n > 1 ? i / (n - 1) : 0);
  };
  return (
    <div class={'ctl switch' + (row ? ' row' : '')} data-param={index} title={info.name}>
      <div class="ctl-label">{label}</div>
      <div class="switch-options">
        {texts.map((t, i) => (
          <button key={i} type="button" class={'opt' + (i === k ? ' on' : '')} onClick={(e) => pick(e as MouseEvent, i)}>
            <span class="led" />
            {t}
          </button>
        ))}
      </div>
    </div>
  );
}

/** A two-value parameter as one latching button. */
export function Toggle({ index, label }: { index: number; label: string }) {
  const on = params[index].norm.value >= 0.5;
  return (
    <div class="ctl toggle" data-param={index} title={paramInfo(index).name}>
      <button
        type="button"
        class={'tog' + (on ? ' on' : '')}
        onClick={(e) => userGestureSet(index, (e as MouseEvent).ctrlKey || (e as MouseEvent).metaKey ? defaultNorm(index) : on ? 0 : 1)}
      >
        <span class="led" />
        {label}
      </button>
    </div>
  );
}

/** Many-valued enumerations (tempo divisions) as a drop-down. */
export function Select({ index, label, disabled }: { index: number; label: string; disabled?: boolean }) {
  const info = paramInfo(index);
  const texts = info.enumTexts ?? [];
  const n = texts.length;
  const k = enumIndex(params[index].norm.value, n);
  const h = dragHandlers(paramTarget(index));
  return (
    <div class={'ctl select' + (disabled ? ' dim' : '')} data-param={index} title={info.name} onWheel={h.onWheel}>
      <div class="ctl-label">{label}</div>
      <DropDown value={String(k)} options={texts.map((t, i) => ({ value: String(i), label: t }))} onChange={(v) => userGestureSet(index, Number(v) / (n - 1))} />
    </div>
  );
}

export function KnobFace({ value, centred, size = 44 }: { value: number; centred?: boolean; size?: number }) {
  const a0 = -135;
  const a = a0 + 270 * value;
  const r = size / 2 - 4;
  const c = size / 2;
  const pt = (deg: number) => {
    const rad = ((deg - 90) * Math.PI) / 180;
    return [c + r * Math.cos(rad), c + r * Math.sin(rad)];
  };
  const arc = (from: number, to: number) => {
    const [x1, y1] = pt(from);
    const [x2, y2] = pt(to);
    const large = Math.abs(to - from) > 180 ? 1 : 0;
    return `M ${x1} ${y1} A ${r} ${r} 0 ${large} ${to > from ? 1 : 0} ${x2} ${y2}`;
  };
  const start = centred ? 0 : a0;
  const [px, py] = pt(a);
  return (
    <svg class="knob-face" width={size} height={size} viewBox={`0 0 ${size} ${size}`}>
      <path d={arc(a0, 135)} class="knob-track" />
      {Math.abs(a - start) > 0.5 && <path d={arc(Math.min(start, a), Math.max(start, a))} class="knob-arc" />}
      <circle cx={c} cy={c} r={r - 5} class="knob-cap" />
      <line x1={c} y1={c} x2={c + (px - c) * 0.7} y2={c + (py - c) * 0.7} class="knob-pointer" />
    </svg>
  );
}

/** A round knob over any drag target (the patch volume, the effect knobs). */
export function Knob(props: { target: DragTarget; value: number; label: string; text: string; centred?: boolean; param?: number; size?: number; children?: ComponentChildren }) {
  const h = dragHandlers(props.target);
  return (
    <div class="ctl knob" data-param={props.param} onPointerDown={h.onPointerDown} onWheel={h.onWheel}>
      <div class="ctl-label">{props.label}</div>
      <KnobFace value={props.value} centred={props.centred} size={props.size} />
      <div class="ctl-value">{props.text}</div>
    </div>
  );
}

export function ParamKnob({ index, label }: { index: number; label: string }) {
  const slot = params[index];
  return (
    <Knob
      target={paramTarget(index)}
      value={slot.norm.value}
      label={label}
      text={formatReal(index, slot.real.value)}
      centred={paramInfo(index).centred}
      param={index}
    />
  );
}

export function Module({ title, children, kind, class: cls, part, envelope }: { title: string; children: ComponentChildren; kind?: string; class?: string; part?: Part; envelope?: number }) {
  const clip = kind && kModuleKinds[kind] ? moduleParams(kind, part ?? 'upper', envelope) : null;
  return (
    <section class={'module' + (cls ? ' ' + cls : '')} data-module={kind}>
      <header class="module-title">
        {title}
        {clip && <ModuleClipButtons kind={kind!} indices={clip} />}
      </header>
      <div class="module-body">{children}</div>
    </section>
  );
}
