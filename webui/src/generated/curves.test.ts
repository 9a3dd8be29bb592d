// The generated display curves stay in step with the generator and cover every curved parameter.
import { describe, expect, it } from 'vitest';
import { execFileSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { kDisplayCurves } from './curves';

describe('generated display curves', () => {
  it("match the script's own breakpoint tables (the processor's dump is checked beside the parameter table)", () => {
    const script = fileURLToPath(new URL('../../scripts/gen-curves.mjs', import.meta.url));
    expect(() => execFileSync(process.execPath, [script, '--check', '--own-tables'], { stdio: 'pipe' })).not.toThrow();
  });

  it('cover the 49 curved parameters, the same in both tone blocks', () => {
    const ids = Object.keys(kDisplayCurves).map(Number);
    expect(ids.length).toBe(49);
    for (const i of ids.filter((i) => i >= 17 && i <= 65)) expect(kDisplayCurves[i + 49]).toEqual(kDisplayCurves[i]);
    expect(kDisplayCurves[174]).toEqual(kDisplayCurves[10]);
    expect(Object.values(kDisplayCurves).every((c) => c.samples.length === 21)).toBe(true);
  });
});
