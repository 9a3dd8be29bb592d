// BEND, MOD and VOL wheels (MIDI to the processor, following its control values), the meters and the VOLUME fader.
import { signal, type Signal } from '@preact/signals';
import { useEffect, useRef, useState } from 'preact/hooks';
import { controls } from '../state/app';
import { CtrlTag } from '../bridge/protocol';
import { sendMidi } from '../bridge/host';
import { controlChange, pitchBend, type MidiBytes } from '../model/wheels';
import { dragHandlers } from './drag';
import { texts } from '../i18n/texts';
import { Slider } from './controls';
import { P } from '../model/paramLayout';

function Wheel({ label, tag, toMidi, springBack, testId }: { label: string; tag: number; toMidi: (v: number) => MidiBytes; springBack?: boolean; testId: string }) {
  const local = useRef<Signal<number | null>>(signal(null)).current;
  const v = local.value ?? controls[tag].value;
  const send = (x: number) => {
    local.value = x;
    const m = toMidi(x);
    sendMidi(m.statusByte, m.dataByte1, m.dataByte2);
  };
  const h = dragHandlers({
    get: () => local.peek() ?? controls[tag].peek(),
    set: send,
    begin: () => undefined,
    end: () => {
      if (springBack) send(0.5);
      local.value = null;
    },
    reset: () => {
      send(springBack ? 0.5 : 0);
      local.value = null;
    },
  });
  return (
    <div class="wheel" data-testid={testId}>
      <div class="wheel-body" onPointerDown={h.onPointerDown} onWheel={h.onWheel}>
        <div class="wheel-ribs" style={{ backgroundPositionY: `${-v * 120}px` }} />
        <div class="wheel-mark" style={{ bottom: `calc(${v * 100}% - 2px)` }} />
      </div>
      <div class="ctl-label">{label}</div>
    </div>
  );
}

export function Wheels() {
  const t = texts();
  const tempo = controls[CtrlTag.HostTempo].value * 1000;
  return (
    <section class="module wheels">
      <header class="module-title">
        {t.tempo} {(tempo > 0 ? tempo : 120).toFixed(1)}
      </header>
      <div class="module-body">
        <Wheel label={t.bend} tag={CtrlTag.PitchBend} toMidi={pitchBend} springBack testId="wheel-bend" />
        <Wheel label={t.mod} tag={CtrlTag.ModWheel} toMidi={(v) => controlChange(1, v)} testId="wheel-mod" />
        <Wheel label={t.vol} tag={CtrlTag.PerfVolume} toMidi={(v) => controlChange(7, v)} testId="wheel-vol" />
      </div>
    </section>
  );
}

const kMeterFloorDb = -30;
const kPeakHoldMs = 2000;

/** Position 0..1 of a level on the -30..0 dB scale (lower levels pin at the bottom). */
export function meterPosition(db: number): number {
  return Math.min(1, Math.max(0, (db - kMeterFloorDb) / -kMeterFloorDb));
}

function Meter({ tag }: { tag: number }) {
  const db = controls[tag].value;
  const [peak, setPeak] = useState({ db: -60, at: 0 });
  const now = performance.now();
  const held = now - peak.at < kPeakHoldMs ? peak.db : -Infinity;
  useEffect(() => {
    if (db >= held) setPeak({ db, at: performance.now() });
  }, [db]);
  // Levels arrive only when they change, so the end of the hold must redraw by itself (once, not a loop).
  const [, setHoldEnded] = useState(0);
  useEffect(() => {
    const left = peak.at + kPeakHoldMs - performance.now();
    if (peak.at === 0 || left <= 0) return;
    const timer = setTimeout(() => setHoldEnded((n) => n + 1), left + 1);
    return () => clearTimeout(timer);
  }, [peak]);
  const shown = Math.max(db, held);
  return (
    <div class="meter">
      <div class="meter-fill" style={{ height: `${meterPosition(db) * 100}%` }} />
      <div class="meter-peak" style={{ bottom: `${meterPosition(shown) * 100}%` }} />
    </div>
  );
}

export function VolumeSection() {
  const t = texts();
  return (
    <section class="module volume">
      <header class="module-title">{t.volume}</header>
      <div class="module-body">
        <Slider index={P.Master} label="" />
        <div class="meters" data-testid="meters">
          <Meter tag={CtrlTag.OutMeterL} />
          <Meter tag={CtrlTag.OutMeterR} />
        </div>
      </div>
    </section>
  );
}
