// Document keys of patch files: which key names which parameter, as the processor's key table has them.

/** Patch-level keys with their parameter indices, in the processor's row order (78 rows). */
export const kPatchKeyRows: readonly (readonly [string, number])[] = (() => {
  const rows: [string, number][] = [];
  const block = ['octaveShift', 'assignMode', 'unisonDetune', 'holdMode', 'portamentoTime', 'bendRange', 'vco1BendMode', 'vco2BendMode', 'aftertouchSensitivity', 'lfo2Rate', 'lfo2Mode'];
  rows.push(['patch.keyMode', 3], ['patch.splitPoint', 4], ['patch.balance', 5]);
  block.forEach((k, n) => rows.push([`patch.${k}`, 6 + n]));
  block.forEach((k, n) => rows.push([`patch.lower.${k}`, 170 + n]));
  rows.push(['patch.lfo2Sync', 185], ['patch.lfo2SyncDiv', 186], ['patch.lower.lfo2Sync', 187], ['patch.lower.lfo2SyncDiv', 188]);
  rows.push(['patch.tune', 1], ['patch.dynamicsSens', 2], ['patch.volume', 168], ['patch.stereoMode', 169]);
  for (let s = 0; s < 5; s++) {
    rows.push([`patch.fx${s + 1}.type`, 117 + 9 * s]);
    for (let p = 0; p < 8; p++) rows.push([`patch.fx${s + 1}.p${p}`, 118 + 9 * s + p]);
  }
  return rows;
})();

/** Tone keys in tone-block order: offset k is Upper index 17 + k (Lower 66 + k). */
export const kToneKeys: readonly string[] = [
  'rev.select', 'keyFollow.vco', 'keyFollow.vcoTarget', 'vco1.modMode', 'vco1.range', 'vco1.wave', 'vco2.modMode', 'vco2.range', 'vco2.wave',
  'vco2.fineTune', 'vco.mix', 'hpf.cutoff', 'vcf.cutoff', 'vcf.resonance', 'vcf.envSelect', 'vcf.envPolarity', 'vcf.envAmount', 'vcf.lfoAmount',
  'vcf.keyFollow', 'vca.level', 'vca.lfoAmount', 'env1.attack', 'env1.decay', 'env1.sustain', 'env1.release', 'env1.keyFollow', 'env1.dynamics',
  'env2.attack', 'env2.decay', 'env2.sustain', 'env2.release', 'env2.keyFollow', 'env2.dynamics', 'lfo1.rate', 'lfo1.wave', 'lfo1.delay',
  'vcoMod.lfoAmount', 'vcoMod.env1Amount', 'pwm.pulseWidth', 'pwm.amount', 'pwm.source', 'pwm.polarity', 'xmod.manual', 'xmod.env1Amount',
  'xmod.polarity', 'sync.mode', 'dynamics.time', 'dynamics.level', 'eg.reset',
];

/** Tone keys with their Upper indices (17..65). */
export const kToneKeyRows: readonly (readonly [string, number])[] = kToneKeys.map((k, n) => [k, 17 + n] as const);

const byKey = new Map<string, number>([...kPatchKeyRows, ...kToneKeyRows].map(([k, i]) => [k, i]));

/** Upper-side parameter index of a document key, or undefined. */
export function indexOfKey(key: string): number | undefined {
  return byKey.get(key);
}

/** Values by index read from a document's params object; keys that are absent or not numbers count as 0. */
export function valuesFromParams(params: unknown, rows: readonly (readonly [string, number])[]): Record<number, number> {
  const o = params && typeof params === 'object' && !Array.isArray(params) ? (params as Record<string, unknown>) : {};
  const out: Record<number, number> = {};
  for (const [k, i] of rows) {
    const v = o[k];
    out[i] = typeof v === 'number' && Number.isFinite(v) ? Math.min(1, Math.max(0, v)) : 0;
  }
  return out;
}
