// Module paste between different parameters keeps the real value, not the normalized one.
import { describe, expect, it } from 'vitest';
import { convertValue } from './valueConvert';
import { normalizedToReal } from '../model/displayValue';

describe('value conversion', () => {
  it('keeps the real time of ENV-1 decay pasted into ENV-2 decay, whose range is longer', () => {
    const x = convertValue(39, 45, 0.5);
    expect(x).not.toBeCloseTo(0.5, 3);
    expect(normalizedToReal(45, x)).toBeCloseTo(normalizedToReal(39, 0.5), 0);
  });

  it('passes a value through for the same parameter, the same curve on the other part, and enumerations', () => {
    expect(convertValue(29, 29, 0.37)).toBe(0.37);
    expect(convertValue(29, 78, 0.37)).toBeCloseTo(0.37, 6);
    expect(convertValue(22, 71, 2 / 3)).toBeCloseTo(2 / 3, 9);
    expect(convertValue(400, 29, 0.2)).toBe(0.2);
  });
});
