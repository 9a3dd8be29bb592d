// The effect types the page offers and the knobs each shows, with the display mapping of a knob's normalized value.

export type KnobScale = 'linear' | 'log' | 'square' | 'cube';

export interface FxKnob {
  /** Parameter offset P0..P7 within the slot. */
  p: number;
  label: string;
  min?: number;
  max?: number;
  unit?: string;
  scale?: KnobScale;
  centre?: number;
  decimals?: number;
  /** Enumerated knob: normalized v selects round(v x (n - 1)). */
  options?: readonly string[];
  /** Shown only while the enumerated knob at offset `p` shows value index `is`. */
  showIf?: { p: number; is: number };
}

export interface FxType {
  id: number;
  name: string;
  knobs: readonly FxKnob[];
}

const pct = (p: number, label: string, max = 100): FxKnob => ({ p, label, min: 0, max, unit: '%', decimals: 0 });
const kArpRates = ['1/64', '1/32', '1/16T', '1/16', '1/8T', '1/16.', '1/8', '1/4T', '1/8.', '1/4', '1/4.', '1/2'];

/** In menu order. */
export const kFxTypes: readonly FxType[] = [
  { id: 0, name: 'Off', knobs: [] },
  {
    id: 1, name: 'Synth Chorus', knobs: [
      { p: 0, label: 'Model', options: ['60', '106'] },
      { p: 1, label: 'Mode', options: ['I', 'II', 'I+II'] },
      { ...pct(2, 'Width', 200), centre: 100 },
      pct(3, 'Amount'),
    ],
  },
  { id: 2, name: 'Studio Chorus', knobs: [{ p: 0, label: 'Mode', options: ['1', '2', '3', '4'] }, { ...pct(1, 'Width', 200), centre: 100 }] },
  {
    id: 11, name: 'Pitch Chorus', knobs: [
      { p: 0, label: 'Pitch A', min: -50, max: 50, unit: 'cent', decimals: 1, centre: 0 },
      { p: 1, label: 'Pitch B', min: -50, max: 50, unit: 'cent', decimals: 1, centre: 0 },
      { p: 2, label: 'Delay A', min: 0, max: 500, unit: 'ms', decimals: 1 },
      { p: 3, label: 'Delay B', min: 0, max: 500, unit: 'ms', decimals: 1 },
      pct(4, 'Mod Depth'),
      { p: 5, label: 'Mod Rate', min: 0.05, max: 6, unit: 'Hz', scale: 'log', decimals: 2 },
      pct(6, 'Feedback'),
      pct(7, 'Mix'),
    ],
  },
  {
    id: 3, name: 'Digital Chorus', knobs: [
      { p: 0, label: 'Rate', min: 0.05, max: 6, unit: 'Hz', scale: 'log', decimals: 2 },
      pct(1, 'Depth'),
      { p: 5, label: 'Voices', options: ['1', '2', '3', '4'] },
      pct(6, 'Detune'),
      pct(2, 'Width', 200),
      pct(3, 'Feedback'),
      pct(4, 'Mix'),
    ],
  },
  {
    id: 4, name: 'Delay', knobs: [
      { p: 0, label: 'Mode', options: ['Sync', 'Free'] },
      { p: 1, label: 'Time', options: kArpRates, showIf: { p: 0, is: 0 } },
      { p: 2, label: 'Time', min: 1, max: 2000, unit: 'ms', scale: 'log', decimals: 0, showIf: { p: 0, is: 1 } },
      { p: 3, label: 'Stereo', options: ['Mono', 'Ping-Pong'] },
      pct(4, 'Feedback', 95),
      { p: 5, label: 'Tone', min: 500, max: 18000, unit: 'Hz', scale: 'log', decimals: 0 },
      { ...pct(6, 'Width', 200), centre: 100 },
      pct(7, 'Mix'),
    ],
  },
  {
    id: 5, name: 'Phaser', knobs: [
      { p: 0, label: 'Rate', min: 0.05, max: 10, unit: 'Hz', scale: 'log', decimals: 2 },
      pct(1, 'Depth'),
      pct(2, 'Feedback', 97),
      { p: 3, label: 'Stages', options: ['4', '6', '8', '12'] },
      { p: 4, label: 'Center', min: 200, max: 4000, unit: 'Hz', scale: 'log', decimals: 0 },
      { p: 5, label: 'Stereo', options: ['Mono', 'Stereo'] },
      pct(6, 'Mix'),
      { p: 7, label: 'Sharp', min: 0.5, max: 4, scale: 'log', decimals: 2 },
    ],
  },
  {
    id: 6, name: 'Flanger', knobs: [
      { p: 0, label: 'Rate', min: 0.05, max: 8, unit: 'Hz', scale: 'log', decimals: 2 },
      pct(1, 'Depth'),
      pct(2, 'Feedback', 97),
      { p: 3, label: 'Manual', min: 0.5, max: 12, unit: 'ms', scale: 'log', decimals: 2 },
      { p: 4, label: 'Stereo', options: ['Mono', 'Stereo'] },
      pct(5, 'Mix'),
      { p: 6, label: 'Color', options: ['Normal', 'Inv'] },
      { p: 7, label: 'TZF', options: ['Off', 'On'] },
    ],
  },
  {
    id: 7, name: 'EQ', knobs: [
      { p: 0, label: 'Low Gain', min: -36, max: 12, unit: 'dB', centre: 0, decimals: 1 },
      { p: 1, label: 'Low Freq', min: 50, max: 500, unit: 'Hz', scale: 'log', decimals: 0 },
      { p: 2, label: 'Mid Gain', min: -36, max: 12, unit: 'dB', centre: 0, decimals: 1 },
      { p: 3, label: 'Mid Freq', min: 200, max: 5000, unit: 'Hz', scale: 'log', decimals: 0 },
      { p: 4, label: 'High Gain', min: -36, max: 12, unit: 'dB', centre: 0, decimals: 1 },
      { p: 5, label: 'High Freq', min: 2000, max: 12000, unit: 'Hz', scale: 'log', decimals: 0 },
    ],
  },
  {
    id: 8, name: 'Compressor', knobs: [
      { p: 5, label: 'Mode', options: ['Clean', 'Opto', 'FET', 'Vari-Mu'] },
      { p: 0, label: 'Thresh', min: -60, max: 0, unit: 'dB', decimals: 1 },
      { p: 1, label: 'Ratio', min: 1, max: 20, scale: 'square', decimals: 1 },
      { p: 6, label: 'Knee', min: 0, max: 24, unit: 'dB', decimals: 1 },
      { p: 2, label: 'Attack', min: 0.1, max: 200, unit: 'ms', scale: 'log', decimals: 1 },
      { p: 3, label: 'Release', min: 5, max: 1000, unit: 'ms', scale: 'log', decimals: 0 },
      pct(4, 'Mix'),
    ],
  },
  {
    id: 9, name: 'Distortion', knobs: [
      { p: 0, label: 'Algo', options: ['Clip', 'Overdrive', 'Waveshaper', 'Tube', 'Tape'] },
      { p: 1, label: 'Drive', min: 0, max: 36, unit: 'dB', decimals: 1 },
      { p: 2, label: 'Output', min: -24, max: 12, unit: 'dB', decimals: 1 },
      pct(3, 'Mix'),
    ],
  },
  {
    id: 10, name: 'Reverb', knobs: [
      { p: 0, label: 'Mode', options: ['Hall', 'Plate', 'Room'] },
      { p: 1, label: 'Pre-Delay', min: 0, max: 200, unit: 'ms', decimals: 0 },
      { p: 2, label: 'Decay', min: 0.3, max: 10, unit: 's', scale: 'log', decimals: 2 },
      pct(3, 'Damping'),
      pct(4, 'Diffusion'),
      pct(5, 'Tone'),
      pct(6, 'Width', 200),
      pct(7, 'Mix'),
    ],
  },
  {
    id: 12, name: 'Arpeggiator', knobs: [
      { p: 0, label: 'Mode', options: ['Up', 'Down', 'Up-Down', 'Random', 'Played', 'Chord'] },
      { p: 1, label: 'Range', options: ['1 Oct', '2 Oct', '3 Oct', '4 Oct'] },
      { p: 2, label: 'Rate', options: kArpRates },
      { p: 3, label: 'Gate', min: 5, max: 100, unit: '%', decimals: 0 },
      { p: 4, label: 'Swing', min: 50, max: 75, unit: '%', decimals: 0 },
      { p: 5, label: 'Hold', options: ['Off', 'On'] },
    ],
  },
];

/** Type record of an effect type index; the reserved values act as "Off". */
export function fxTypeById(id: number): FxType {
  return kFxTypes.find((t) => t.id === id) ?? kFxTypes[0];
}

/** Effect type index from the type parameter's normalized value (t / 15). */
export function fxTypeIndex(normalized: number): number {
  return Math.max(0, Math.min(15, Math.round(normalized * 15)));
}

export function knobOptionIndex(k: FxKnob, v: number): number {
  const n = k.options!.length;
  return Math.max(0, Math.min(n - 1, Math.round(Math.min(1, Math.max(0, v)) * (n - 1))));
}

/** Real value a continuous knob shows for normalized v. */
export function knobValue(k: FxKnob, v: number): number {
  const min = k.min ?? 0;
  const max = k.max ?? 1;
  v = Math.min(1, Math.max(0, v));
  if (k.centre !== undefined) return v <= 0.5 ? min + (k.centre - min) * (v / 0.5) : k.centre + (max - k.centre) * ((v - 0.5) / 0.5);
  switch (k.scale) {
    case 'log':
      return min * Math.pow(max / min, v);
    case 'square':
      return min + (max - min) * v * v;
    case 'cube':
      return min + (max - min) * v * v * v;
    default:
      return min + (max - min) * v;
  }
}

export function formatKnob(k: FxKnob, v: number): string {
  if (k.options) return k.options[knobOptionIndex(k, v)];
  const x = knobValue(k, v);
  const text = x.toFixed(k.decimals ?? 2);
  return k.unit ? `${text} ${k.unit}` : text;
}

/** Knobs visible for the slot's current values (Delay shows one of its two Time knobs). */
export function visibleKnobs(t: FxType, valueOf: (p: number) => number): FxKnob[] {
  return t.knobs.filter((k) => {
    if (!k.showIf) return true;
    const ctl = t.knobs.find((c) => c.p === k.showIf!.p && c.options);
    return ctl ? knobOptionIndex(ctl, valueOf(k.showIf.p)) === k.showIf.is : true;
  });
}
