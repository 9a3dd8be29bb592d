// MIDI messages of the performance wheels.

export interface MidiBytes {
  statusByte: number;
  dataByte1: number;
  dataByte2: number;
}

const clamp = (x: number, lo: number, hi: number) => Math.min(hi, Math.max(lo, x));

/** Control change (volume 7, modulation 1) on channel 1 with round(v x 127). */
export function controlChange(cc: number, v: number): MidiBytes {
  return { statusByte: 176, dataByte1: cc, dataByte2: clamp(Math.round(v * 127), 0, 127) };
}

/** Pitch bend with the 14-bit value round(v x 16383), low 7 bits first. */
export function pitchBend(v: number): MidiBytes {
  const b = clamp(Math.round(v * 16383), 0, 16383);
  return { statusByte: 224, dataByte1: b & 0x7f, dataByte2: (b >> 7) & 0x7f };
}
