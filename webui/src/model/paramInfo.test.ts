// The page's parameter table and curves against the processor's recorded schema and curve dumps.
import { describe, expect, it } from 'vitest';
import { existsSync, readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { execFileSync } from 'node:child_process';
import { kParamInfo } from './paramInfo';
import { kDisplayCurves } from '../generated/curves';
import { normalizedToReal } from './displayValue';

const golden = (name: string) => fileURLToPath(new URL(`../../../tests/processor/golden/${name}`, import.meta.url));
const haveGolden = existsSync(golden('param-schema.json')) && existsSync(golden('param-curves.json'));

// The processor's recorded dumps are the reference for the page's own copy of names, ranges and curves.
describe.skipIf(!haveGolden)("agreement with the processor's dumps", () => {
  it('names, ranges, defaults and kinds of the 189 sound parameters', () => {
    const rows = JSON.parse(readFileSync(golden('param-schema.json'), 'utf8')) as { id: number; name: string; type: string; min: number; max: number; default: number; display_type: number }[];
    expect(rows.length).toBe(378);
    for (let i = 0; i < 189; i++) {
      const p = kParamInfo[i];
      const r = rows[i];
      expect({ i, name: p.name, min: p.min, max: p.max, def: p.def, isEnum: !!p.enumTexts }).toEqual({ i, name: r.name, min: r.min, max: r.max, def: r.default, isEnum: r.type === 'enum' });
      // Every logarithmic or cube-root shape has a page curve (linear-display shapes may have one too).
      if (r.display_type !== 0) expect(kDisplayCurves[i], `parameter ${i}`).toBeDefined();
    }
  });

  it('real values at the 21 sample points', () => {
    const dump = JSON.parse(readFileSync(golden('param-curves.json'), 'utf8')) as { params: { id: number; real: number[] }[] };
    for (let i = 0; i < 189; i++) {
      // Enumerations show their rounded value; the dump has the shape's unrounded one.
      if (kParamInfo[i].enumTexts) continue;
      dump.params[i].real.forEach((v, k) => {
        const x = normalizedToReal(i, k / 20);
        expect(Math.abs(x - v), `parameter ${i} at ${k}/20`).toBeLessThanOrEqual(1e-9 * Math.max(1, Math.abs(v)));
      });
    }
  });

  it('the generated module is what the curve dump gives', () => {
    const script = fileURLToPath(new URL('../../scripts/gen-curves.mjs', import.meta.url));
    expect(() => execFileSync(process.execPath, [script, golden('param-curves.json'), '--check'], { stdio: 'pipe' })).not.toThrow();
  });
});
