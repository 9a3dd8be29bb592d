// Build of the editor page: one self-contained index.html for the processor's resource.
import { defineConfig } from 'vite';
import { viteSingleFile } from 'vite-plugin-singlefile';

export default defineConfig({
  plugins: [viteSingleFile()],
  esbuild: { jsx: 'automatic', jsxImportSource: 'preact' },
  // The page runs in WebKitGTK as well as Chromium: stay at Safari-class syntax.
  build: { target: 'es2020', cssTarget: 'safari14', assetsInlineLimit: 100000000, reportCompressedSize: false },
  test: {
    include: ['src/**/*.test.ts', 'tests/**/*.test.ts'],
    testTimeout: 30000,
    hookTimeout: 60000,
  },
});
