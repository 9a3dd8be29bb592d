// Learn-state validation and the MIDI bytes of the performance wheels.
import { describe, expect, it } from 'vitest';
import { clampCc, isLearnable, parseLearnResult, parseLearnState } from './learn';
import { controlChange, pitchBend } from './wheels';

describe('learn state', () => {
  it('accepts a well-formed state and drops assignments outside 0..127 or with non-integer keys', () => {
    expect(parseLearnState({ active: true, selectedParamIdx: 29, assignments: { '29': 74, '30': 128, x: 5, '31': 2.5 } })).toEqual({
      active: true,
      selectedParamIdx: 29,
      assignments: { 29: 74 },
    });
  });

  it.each([
    [{ active: 'yes', selectedParamIdx: null, assignments: {} }],
    [{ active: true, selectedParamIdx: '29', assignments: {} }],
    [{ active: true, selectedParamIdx: null, assignments: { '29': '74' } }],
    [null],
  ])('refuses %j', (raw) => {
    expect(parseLearnState(raw)).toBeNull();
  });

  it('accepts results only with a known op and status and string extras', () => {
    expect(parseLearnResult({ op: 'save', status: 'ok', filePath: '/x.vmm' })).toEqual({ op: 'save', status: 'ok', filePath: '/x.vmm' });
    expect(parseLearnResult({ op: 'load', status: 'done' })).toBeNull();
    expect(parseLearnResult({ op: 'setDefault', status: 'error', message: 5 })).toBeNull();
  });

  it('rounds and holds manual controller numbers, and never learns the reserved slots', () => {
    expect([-3, 12.4, 12.5, 300].map(clampCc)).toEqual([0, 12, 13, 127]);
    expect([17, 66, 189, 0, 188].map(isLearnable)).toEqual([false, false, false, true, true]);
  });
});

describe('wheels', () => {
  it('sends pitch bend as 14 bits, low 7 first', () => {
    expect(pitchBend(0.5)).toEqual({ statusByte: 224, dataByte1: 0, dataByte2: 64 });
    expect(pitchBend(1)).toEqual({ statusByte: 224, dataByte1: 127, dataByte2: 127 });
    expect(pitchBend(-1)).toEqual({ statusByte: 224, dataByte1: 0, dataByte2: 0 });
  });

  it('sends controllers 1 and 7 with round(v x 127)', () => {
    expect(controlChange(7, 0.5)).toEqual({ statusByte: 176, dataByte1: 7, dataByte2: 64 });
    expect(controlChange(1, 2)).toEqual({ statusByte: 176, dataByte1: 1, dataByte2: 127 });
  });
});
