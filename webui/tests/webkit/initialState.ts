// Prints the fake processor's initial-state script calls as JSON, for the WebKitGTK smoke test.
import { initialStateScripts } from '../browser/fakeHost';

process.stdout.write(JSON.stringify(initialStateScripts({ real: { 168: 3.5 }, bankState: { patch: { name: 'WebKit Pad', path: null }, linkEnabled: false } })));
