// Prints the fake processor's script calls as JSON for the WebKitGTK smoke test: the initial state, then the
// answer to an import whose dump the page must decode into patch documents (three memory places).
import { initialStateScripts, libraryScript, presetResult, samfd } from '../browser/fakeHost';
import { buildDatMessage, writeSysExSmf } from '../../src/mks/smfWriter';

const place = (tag: number) => [...new Array(33).fill(tag), 0, 0, 0, 0, 0, 0, 1, 60, 50, 0, 3, 0, 0, 4, 10, 20, 30, 40, 50, 1, 3, 0, 0, 4, 10, 20, 30, 40, 50];
const dump = writeSysExSmf([buildDatMessage(0, [...place(10), ...place(20), ...place(30)])]);
const importAnswer = presetResult({ operation: 'importMksDump', status: 'ok', data: Buffer.from(dump).toString('base64'), patchFolderPath: '/tmp/x', sourceName: 'webkit' });

const bankState = { patch: { name: 'WebKit Pad', path: null }, linkEnabled: false };
// The same bank with a patch name far longer than the patch bar.
const longName = samfd(201, JSON.stringify({ ...bankState, patch: { name: 'Resonant Pluck with a very long name that no bar holds', path: null } }));
// A preset deep in the library, for the path the patch menu shows.
export const kDeepPreset = 'Factory/Pads and Strings/Evening Ensembles/Slow Attack/Wide Analogue Strings Ensemble.80p';
const library = libraryScript([{ name: 'Wide Analogue Strings Ensemble', path: kDeepPreset }]);
process.stdout.write(JSON.stringify({ init: [...initialStateScripts({ real: { 168: 3.5 }, bankState }), importAnswer, library], longName }));
