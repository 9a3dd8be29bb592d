// Layout scale and the editor size limits of the resize grip and the expand toggle.
import { describe, expect, it } from 'vitest';
import { clampEditorSize, expandTargetHeight, layoutScale } from './layout';

describe('layout scale', () => {
  it.each([
    // width, height, lower mounted, scale
    [1180, 760, false, 0.8],
    [1240, 760, false, 1],
    [1480, 900, false, 1.8],
    [2000, 730, false, 26 / 56],
    [1240, 1080, true, 1],
    [1180, 892, true, 0.5],
    [1180, 704, false, 0],
    [1180, 650, false, -54 / 280],
    [910, 760, false, -0.1],
    [100, 100, false, -1],
  ])('%i x %i (lower %s) scales %f', (w, h, lower, s) => {
    expect(layoutScale(w, h, lower)).toBeCloseTo(s, 10);
  });
});

describe('editor size limits', () => {
  it('clamps to 910 x 650, or 910 x 1000 when expanded', () => {
    expect(clampEditorSize(800, 600, false)).toEqual({ width: 910, height: 650 });
    expect(clampEditorSize(800, 600, true)).toEqual({ width: 910, height: 1000 });
    expect(clampEditorSize(2e6, 2e6, false)).toEqual({ width: 100000, height: 100000 });
  });

  it('asks for 240 pixels more when expanding and for 760 when collapsing', () => {
    expect(expandTargetHeight(true, 760)).toBe(1000);
    expect(expandTargetHeight(true, 900)).toBe(1140);
    expect(expandTargetHeight(false, 1140)).toBe(760);
  });
});
