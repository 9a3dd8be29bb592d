// Which parameters follow a user's change: Whole-mode copies of the part block and LFO2 sync, and tone linking.
import { counterpart, isLfo2Sync, isLfoSync, isLowerPart, isLowerTone, isUpperPart, isUpperTone, isWholeMode, P } from './paramLayout';

export interface Copy {
  index: number;
  value: number;
}

/**
 * The copies that follow a user change of `index` to `value` (already stored).
 * `value(i)` reads the current normalized values; `linked` is the link state in effect.
 */
export function mirrorCopies(index: number, value: number, read: (i: number) => number, linked: boolean): Copy[] {
  const out: Copy[] = [];
  const push = (i: number, v: number) => {
    if (Math.abs(read(i) - v) > 0) out.push({ index: i, value: v });
  };
  if (index === P.KeyMode) {
    if (isWholeMode(value)) {
      for (let i = 6; i <= 16; i++) push(i + 164, read(i));
      push(187, read(185));
      push(188, read(186));
    }
    return out;
  }
  const whole = isWholeMode(read(P.KeyMode));
  const partOrLfo2 = isUpperPart(index) || isLowerPart(index) || isLfo2Sync(index);
  if (whole && partOrLfo2) {
    push(counterpart(index)!, value);
    return out;
  }
  if (linked && (isUpperTone(index) || isLowerTone(index) || partOrLfo2 || isLfoSync(index))) {
    push(counterpart(index)!, value);
  }
  return out;
}

/** The tone-menu "copy from the other tone": every tone, part-block and LFO2 sync value of `from` written to the other part. */
export function copyToneFrom(from: 'upper' | 'lower', read: (i: number) => number): Copy[] {
  const out: Copy[] = [];
  const add = (src: number) => {
    const dst = counterpart(src)!;
    if (read(dst) !== read(src)) out.push({ index: dst, value: read(src) });
  };
  const toneBase = from === 'upper' ? 17 : 66;
  for (let k = 0; k < 49; k++) add(toneBase + k);
  const partBase = from === 'upper' ? 6 : 170;
  for (let k = 0; k < 11; k++) add(partBase + k);
  const lfo = from === 'upper' ? 181 : 183;
  add(lfo);
  add(lfo + 1);
  const lfo2 = from === 'upper' ? 185 : 187;
  add(lfo2);
  add(lfo2 + 1);
  return out;
}
