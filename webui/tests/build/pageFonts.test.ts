// The built page carries its fonts: every face is inline data, and every family the page names is one of
// its own (or a generic fallback), so nothing depends on the fonts of the machine it runs on.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { describe, expect, it } from 'vitest';

const html = readFileSync(join(__dirname, '../../dist/index.html'), 'utf8');
const kOwn = ['Velmora Sans', 'Velmora Mono', 'Velmora JP'];
const kGeneric = ['sans-serif', 'monospace', 'serif', 'inherit'];

describe('built page fonts', () => {
  it('inlines every face as data', () => {
    const faces = [...html.matchAll(/@font-face\s*\{([^}]*)\}/g)].map((m) => m[1]);
    expect(faces.map((f) => /font-family:\s*'([^']+)'/.exec(f)?.[1]).sort()).toEqual(['Velmora JP', 'Velmora Mono', 'Velmora Sans', 'Velmora Sans']);
    for (const f of faces) {
      const urls = [...f.matchAll(/url\(([^)]*)\)/g)].map((m) => m[1]);
      expect(urls.length).toBe(1);
      expect(urls[0].startsWith('data:font/woff;base64,')).toBe(true);
    }
  });

  it('names no family of the system', () => {
    const families = [...html.matchAll(/font-family:\s*([^;}]+)/g)].flatMap((m) => m[1].split(',').map((f) => f.trim().replace(/^['"]|['"]$/g, '')));
    expect(families.length).toBeGreaterThan(3);
    for (const f of families) if (!f.startsWith('var(')) expect([...kOwn, ...kGeneric]).toContain(f);
  });
});
