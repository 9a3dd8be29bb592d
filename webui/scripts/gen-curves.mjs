#!/usr/bin/env node
// Writes src/generated/curves.ts: the 21-point display curves of the sound parameters.
// Usage: node scripts/gen-curves.mjs [curve-dump.json] [--check] [--own-tables]
//
// The processor's curve dump is the source of truth, taken from (in this order) the first argument,
// VLM_DUMP_CURVES_PATH, or the recorded dump in tests/processor/golden. Without any dump (or with
// --own-tables) the script computes the same samples from its own copy of the breakpoint tables;
// the page's tests check that both agree.
import { existsSync, readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const outPath = join(here, '..', 'src', 'generated', 'curves.ts');
const kSamples = 21;
const kPercent = [...Array(21).keys()].map((i) => i * 5);

// Breakpoint tables: positions in percent unless noted; values in the parameter's real unit.
const tables = {
  dynamicsTime: [0, 0, 0.034, 0.0582, 0.0838, 0.0838, 0.1179, 0.1491, 0.1875, 0.2443, 0.2443, 0.2983, 0.3636, 0.4318, 0.5142, 0.5185, 0.6222, 0.7344, 0.8452, 1, 1],
  envAttackMs: [2.5312, 5.2917, 7.2292, 9.7396, 16.0729, 23.0208, 36.3333, 54.6354, 84.1146, 136.3021, 206.625, 338.3333, 506.3646, 787.9167, 1271.5208, 1930.0729, 2897.3125, 4811.4479, 7411.0625, 11648.1458, 20352.0833],
  env1DecayMs: [6.7813, 7.4792, 8.1771, 8.875, 10.7604, 15.0521, 25.0104, 43.8958, 72, 115.7604, 175.3542, 292.0833, 456.5625, 666.2604, 1061.0729, 1617.5417, 2329.0938, 3576.6458, 4952, 7337.2604, 9775.0104],
  env1ReleaseMs: [7.2188, 8.7188, 10.2188, 11.7188, 13.2188, 16.5625, 25.5729, 40.3958, 61.7604, 99.75, 151.0417, 246.7604, 369.2708, 575.1667, 935.5729, 1415.6771, 2096.1458, 3351.1146, 4745.0938, 6993.4688, 9445.7917],
  env2DecayMs: [7.5, 7.6042, 8.1875, 11.8854, 22.6042, 35.0729, 60.2917, 99.5312, 155.4688, 254.7396, 388.8438, 631.6875, 942.1979, 1446.25, 2314.2708, 3451.4896, 4974.4271, 7606.6458, 10442.0104, 14915.8229, 19744.8125],
  env2ReleaseMs: [9.8125, 10.2604, 11.9271, 16.8333, 26.125, 39.3229, 63.9583, 102.6146, 156.6146, 252.5208, 382.4167, 626.0312, 924.8646, 1427.625, 2266.0625, 3387.5417, 4839.0312, 7458.625, 10199.6667, 14410.7708, 19191.2292],
  envSustain: [0, 0.00236, 0.003851, 0.01448, 0.036966, 0.072806, 0.126002, 0.176539, 0.231638, 0.298115, 0.356732, 0.426194, 0.486129, 0.546498, 0.617368, 0.678085, 0.738496, 0.809543, 0.870302, 0.931318, 1],
  hpfCutoffHz: [20, 20, 20, 21.36, 30.39, 30.39, 63.4, 108.6, 158.3, 249.1, 250.6, 334.6, 527.2, 624.2, 845.7, 861.2, 1085, 1214, 1390, 1550, 1550],
  lfoDelayMs: [0, 85, 495, 745, 1010, 1010, 1200, 1455, 1715, 1940, 1945, 2205, 2450, 2695, 2985, 2985, 3205, 3410, 3695, 3955, 3955],
  pwmAmount: [0, 0.045886, 0.103088, 0.161056, 0.219943, 0.274495, 0.335086, 0.378351, 0.426351, 0.488286, 0.604, 0.64, 0.702, 0.726, 0.771, 0.785223, 0.812446, 0.855, 0.888, 0.91983, 0.945437],
  vcaLevel: [0.039865, 0.04622, 0.053867, 0.064282, 0.074862, 0.087344, 0.104054, 0.12128, 0.141106, 0.168578, 0.196273, 0.234615, 0.273448, 0.318464, 0.380579, 0.443032, 0.523016, 0.61727, 0.718845, 0.837279, 1],
  vcaLfoAmount: [0, 0, 0.056, 0.1566, 0.2422, 0.2431, 0.353, 0.4447, 0.5244, 0.611, 0.611, 0.6835, 0.7415, 0.8021, 0.8444, 0.8444, 0.8835, 0.9147, 0.9401, 0.9603, 0.9612],
  vcfEnvAmountOct: [0, 0.1327, 0.6052, 1.1161, 1.4792, 2.077, 2.6477, 2.9836, 3.5283, 4.1195, 4.5259, 5.133, 5.6712, 6.1801, 6.8328, 7.3465, 7.7244, 8.2371, 8.5147, 9.1168, 9.1168],
  vcfLfoAmountOct: [0, 0.37, 0.59, 0.94, 1.23, 1.57, 1.93, 2.15, 2.48, 2.81, 3.25, 3.58, 3.88, 4.08, 4.48, 4.83, 5.06, 5.31, 5.65, 5.7, 5.73],
  vco2FineCents: [-49.862823, -41.65164, -33.40094, -27.878933, -22.338869, -19.562175, -13.99539, -11.20527, -8.411038, -5.611897, 0, 5.611897, 8.411038, 11.20527, 16.78102, 19.562175, 22.338869, 27.878933, 33.40094, 41.65164, 49.862823],
  vcoModEnvSt: [0, 0, 0, 0.0328, 0.0328, 0.0328, 0.0655, 0.0655, 0.1307, 0.1956, 0.2926, 0.485, 0.7382, 1.1419, 1.7155, 2.7248, 4.0976, 6.5543, 9.8746, 14.8087, 24.0573],
  vcoModLfoSt: [0, 0, 0.009, 0.0249, 0.0393, 0.0647, 0.1128, 0.1749, 0.2638, 0.4515, 0.6816, 1.1277, 1.6979, 2.7455, 4.3609, 7.0074, 10.2156, 15.9918, 24.4271, 37.5491, 60.9951],
};
const lfoRateHz = {
  pos: [0, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100],
  val: [0.02, 0.0337, 0.0673, 0.102, 0.1361, 0.2128, 0.3191, 0.4255, 0.7447, 1.1702, 1.8085, 2.6596, 4.0426, 6.4894, 9.2553, 14.4681, 21.7021, 32.5532, 43.4043, 65.1064],
};
const balance = { pos: [...Array(21).keys()].map((i) => i * 0.05), val: [0, 0.016, 0.04, 0.101, 0.16, 0.209, 0.288, 0.359, 0.408, 0.462, 0.5, 0.514, 0.567, 0.62, 0.693, 0.757, 0.811, 0.891, 0.945, 0.984, 1] };
const portamentoMs = { pos: [0, 0.5, 0.6, 0.7, 0.8, 0.9, 1], val: [0, 28, 65, 163, 378, 965, 2645] };
const vcfCutoffHz = {
  pos: [0, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100],
  val: [5, 20, 55.6, 72.59, 112.22, 164.6, 239.85, 370.23, 548.75, 869.63, 1320.47, 2013.03, 3351.5, 5056.53, 8046.93, 12324.85, 17010.45, 23661.1, 30000],
};

// interp: how the page fills between samples; 'geometric' where the processor's curve is geometric.
// Tone-block curves, by offset from the block start.
const toneCurves = {
  9: ['vco2FineCents', 'linear', -50, 50],
  11: ['hpfCutoffHz', 'geometric', 20, 1550],
  12: ['vcfCutoffHz', 'geometric', 5, 30000],
  16: ['vcfEnvAmountOct', 'linear', 0, 9.1168],
  17: ['vcfLfoAmountOct', 'linear', 0, 5.73],
  19: ['vcaLevel', 'linear', 0, 1, [0, 1]],
  20: ['vcaLfoAmount', 'linear', 0, 1, [0, 1]],
  21: ['envAttackMs', 'linear', 2, 20352.1],
  22: ['env1DecayMs', 'linear', 0.1, 10000],
  23: ['envSustain', 'linear', 0, 1, [0, 1]],
  24: ['env1ReleaseMs', 'linear', 0.1, 10000],
  27: ['envAttackMs', 'linear', 2, 20352.1],
  28: ['env2DecayMs', 'linear', 0.1, 20000],
  29: ['envSustain', 'linear', 0, 1, [0, 1]],
  30: ['env2ReleaseMs', 'linear', 0.1, 20000],
  33: ['lfoRateHz', 'geometric', 0.02, 65.11],
  35: ['lfoDelayMs', 'linear', 0, 3955],
  36: ['vcoModLfoSt', 'linear', 0, 61],
  37: ['vcoModEnvSt', 'linear', 0, 24.06],
  38: ['pulseWidth', 'pulse-width', 0, 50],
  39: ['pwmAmount', 'linear', 0, 1, [0, 1]],
  46: ['dynamicsTime', 'linear', 0, 1, [0, 1]],
};
const curvesByIndex = {
  5: ['balance', 'linear', 0, 1, null],
  10: ['portamentoMs', 'linear', 0, 2645],
  174: ['portamentoMs', 'linear', 0, 2645],
  15: ['lfo2Rate', 'lfo2-rate', 0.016, 16],
  179: ['lfo2Rate', 'lfo2-rate', 0.016, 16],
};
for (const base of [17, 66]) for (const [off, def] of Object.entries(toneCurves)) curvesByIndex[base + Number(off)] = def;

function lookup(points, X, geometric, limits) {
  let k = 1;
  while (k < points.pos.length && !(points.pos[k] >= X)) k++;
  let v;
  if (k >= points.pos.length || Number.isNaN(X)) v = points.val[points.val.length - 1];
  else {
    const t = (X - points.pos[k - 1]) / (points.pos[k] - points.pos[k - 1]);
    const a = points.val[k - 1];
    const b = points.val[k];
    v = geometric && b > a && a > 0 ? a * Math.pow(b / a, t) : a + (b - a) * t;
  }
  return limits ? Math.min(limits[1], Math.max(limits[0], v)) : v;
}

function forward(def, x) {
  const [table, interp, min, max, limits] = def;
  const held = limits === undefined ? [min, max] : limits;
  x = Math.min(1, Math.max(0, x));
  if (table === 'lfo2Rate') return min > 0 && min < max ? min * Math.pow(max / min, Math.pow(x, 0.33)) : min;
  if (table === 'pulseWidth') return (1 - x) * 50;
  if (table === 'balance') return lookup(balance, x, false, held);
  if (table === 'portamentoMs') return lookup(portamentoMs, x, false, held);
  if (table === 'lfoRateHz') return lookup(lfoRateHz, 100 * x, true, held);
  if (table === 'vcfCutoffHz') {
    // Interpolated in log2, as the processor does.
    const X = 100 * x;
    let k = 1;
    while (k < vcfCutoffHz.pos.length - 1 && vcfCutoffHz.pos[k] < X) k++;
    const t = (X - vcfCutoffHz.pos[k - 1]) / (vcfCutoffHz.pos[k] - vcfCutoffHz.pos[k - 1]);
    const la = Math.log2(vcfCutoffHz.val[k - 1]);
    const lb = Math.log2(vcfCutoffHz.val[k]);
    return Math.min(max, Math.max(min, Math.pow(2, la + (lb - la) * t)));
  }
  return lookup({ pos: kPercent, val: tables[table] }, 100 * x, interp === 'geometric', held);
}

function samplesFromTables() {
  const out = {};
  for (const [idx, def] of Object.entries(curvesByIndex)) out[idx] = [...Array(kSamples).keys()].map((i) => forward(def, i / 20));
  return out;
}

function samplesFromDump(path) {
  const dump = JSON.parse(readFileSync(path, 'utf8'));
  if (dump.samples_per_param !== kSamples || !Array.isArray(dump.params) || dump.params.length !== 378) {
    throw new Error(`${path}: not a curve dump of 378 parameters with ${kSamples} samples`);
  }
  const out = {};
  for (const idx of Object.keys(curvesByIndex)) {
    const p = dump.params[Number(idx)];
    if (p.id !== Number(idx) || !Array.isArray(p.real) || p.real.length !== kSamples) throw new Error(`${path}: bad entry ${idx}`);
    out[idx] = p.real;
  }
  return out;
}

const args = process.argv.slice(2);
const check = args.includes('--check');
const ownTables = args.includes('--own-tables');
// The processor's recorded dump, kept up to date by its own tests.
const goldenDump = join(here, '..', '..', 'tests', 'processor', 'golden', 'param-curves.json');
const dumpPath = ownTables
  ? ''
  : args.find((a) => !a.startsWith('--')) || process.env.VLM_DUMP_CURVES_PATH || (existsSync(goldenDump) ? goldenDump : '');
const samples = dumpPath ? samplesFromDump(dumpPath) : samplesFromTables();
const fmt = (v) => String(Number(v.toPrecision(12)));
const lines = Object.keys(curvesByIndex)
  .map(Number)
  .sort((a, b) => a - b)
  .map((idx) => {
    const def = curvesByIndex[idx];
    return `  ${idx}: { interp: '${def[1]}', min: ${def[2]}, max: ${def[3]}, samples: [${samples[idx].map(fmt).join(', ')}] },`;
  });
// The text does not name its source: a dump and the script's own tables must give the same module.
const text = `// Generated by scripts/gen-curves.mjs from the processor's curve dump or the same breakpoint tables; do not edit.
// Real values of every curved sound parameter at the normalized positions i / 20, i = 0..20.

export type CurveInterp = 'linear' | 'geometric' | 'lfo2-rate' | 'pulse-width';

export interface DisplayCurve {
  interp: CurveInterp;
  min: number;
  max: number;
  samples: readonly number[];
}

export const kCurveSamples = ${kSamples};

export const kDisplayCurves: Readonly<Record<number, DisplayCurve>> = {
${lines.join('\n')}
};
`;
if (check) {
  // --check: the committed module must be what this script writes.
  const current = readFileSync(outPath, 'utf8');
  if (current !== text) {
    console.error(`gen-curves: ${outPath} is out of date; run npm run gen:curves`);
    process.exit(1);
  }
  console.log(`gen-curves: up to date (${dumpPath || 'own tables'})`);
} else {
  writeFileSync(outPath, text);
  console.log(`gen-curves: wrote ${Object.keys(curvesByIndex).length} curves to ${outPath} from ${dumpPath || 'own tables'}`);
}
