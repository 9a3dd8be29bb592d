// Build of the editor page: one self-contained index.html for the processor's resource, its fonts inlined.
import { execFileSync } from 'node:child_process';
import { defineConfig, type Plugin } from 'vite';
import { viteSingleFile } from 'vite-plugin-singlefile';

/** The page's own fonts, cut down to its texts, as @font-face rules in the head (scripts/subset-fonts.py). */
function inlineFonts(): Plugin {
  return {
    name: 'velmora-inline-fonts',
    apply: 'build',
    transformIndexHtml() {
      execFileSync('bash', ['scripts/fetch-fonts.sh'], { stdio: ['ignore', 'ignore', 'inherit'] });
      const css = execFileSync('/usr/bin/python3', ['scripts/subset-fonts.py'], { encoding: 'utf8', maxBuffer: 16 << 20, stdio: ['ignore', 'pipe', 'inherit'] });
      return [{ tag: 'style', attrs: { id: 'page-fonts' }, children: css, injectTo: 'head-prepend' }];
    },
  };
}

export default defineConfig({
  plugins: [inlineFonts(), viteSingleFile()],
  esbuild: { jsx: 'automatic', jsxImportSource: 'preact' },
  // The page runs in WebKitGTK as well as Chromium: stay at Safari-class syntax.
  build: { target: 'es2020', cssTarget: 'safari14', assetsInlineLimit: 100000000, reportCompressedSize: false },
  test: {
    include: ['src/**/*.test.ts', 'tests/**/*.test.ts'],
    testTimeout: 30000,
    hookTimeout: 60000,
  },
});
