// The SYSEX panel: the dedicated MKS-80 MIDI ports, import, export and dumps to the MKS-80.
import { useState } from 'preact/hooks';
import { portLists } from '../state/app';
import { texts } from '../i18n/texts';
import { sendJson, sendTagged } from '../bridge/host';
import { MsgTag } from '../bridge/protocol';
import { dumpCurrentPatch, dumpMidFile, exportCurrentPatch, importFromFile, importFromMks, openBankBuilder } from '../state/sysexFlows';
import { MenuCatcher } from './MenuCatcher';
import { DropDown } from './DropDown';

interface PortLists {
  inputs: string[];
  outputs: string[];
  selectedIn: string;
  selectedOut: string;
}

function readPorts(raw: unknown): PortLists {
  const o = (raw && typeof raw === 'object' ? raw : {}) as Record<string, unknown>;
  const names = (v: unknown) => (Array.isArray(v) ? v.filter((x): x is string => typeof x === 'string') : []);
  const sel = (v: unknown) => (typeof v === 'string' ? v : '');
  return { inputs: names(o.inputs), outputs: names(o.outputs), selectedIn: sel(o.selectedIn), selectedOut: sel(o.selectedOut) };
}

function PortSelect({ direction, names, selected }: { direction: 'in' | 'out'; names: string[]; selected: string }) {
  const t = texts();
  const all = selected && !names.includes(selected) ? [...names, selected] : names;
  return (
    <label class="port">
      <span>{direction === 'in' ? t.midiPortIn : t.midiPortOut}</span>
      <DropDown
        testid={`port-${direction}`}
        value={selected}
        options={[{ value: '', label: t.midiPortNone }, ...all.map((n) => ({ value: n, label: n }))]}
        onChange={(v) => sendJson(MsgTag.MidiPortSelect, { direction, name: v })}
      />
    </label>
  );
}

function Panel({ onClose }: { onClose: () => void }) {
  const t = texts();
  const ports = readPorts(portLists.value);
  const act = (run: () => void) => () => {
    onClose();
    run();
  };
  return (
    <>
      <MenuCatcher onClose={onClose} />
      <div class="drop-menu sysex-panel" data-testid="sysex-panel">
        <div class="sysex-group">
          <div class="sysex-head">
            {t.midiPortTitle}
            <button type="button" title={t.midiPortRefresh} onClick={() => sendTagged(MsgTag.MidiPortRefresh)}>
              ⟳
            </button>
          </div>
          <PortSelect direction="in" names={ports.inputs} selected={ports.selectedIn} />
          <PortSelect direction="out" names={ports.outputs} selected={ports.selectedOut} />
        </div>
        <div class="sysex-group">
          <div class="sysex-head">{t.sysexImportTitle}</div>
          <button type="button" data-testid="sysex-import-file" onClick={act(importFromFile)}>{t.sysexImportFile}</button>
          <button type="button" data-testid="sysex-import-mks" onClick={act(importFromMks)}>{t.sysexImportMks}</button>
        </div>
        <div class="sysex-group">
          <div class="sysex-head">{t.sysexExportTitle}</div>
          <button type="button" data-testid="sysex-export-patch" onClick={act(exportCurrentPatch)}>{t.sysexExportCurrent}</button>
          <button type="button" data-testid="sysex-export-bank" onClick={act(openBankBuilder)}>{t.sysexExportBank}</button>
        </div>
        <div class="sysex-group">
          <div class="sysex-head">{t.sysexDumpTitle}</div>
          <button type="button" data-testid="sysex-dump-patch" title={t.sysexDumpCurrentTip} onClick={act(dumpCurrentPatch)}>{t.sysexDumpCurrent}</button>
          <button type="button" data-testid="sysex-dump-mid" onClick={act(dumpMidFile)}>{t.dumpMidFileButton}</button>
        </div>
      </div>
    </>
  );
}

export function SysexButton() {
  const t = texts();
  const [open, setOpen] = useState(false);
  return (
    <span class="menu-anchor">
      <button type="button" class="sysex-btn" data-testid="sysex-btn" onClick={() => setOpen(!open)}>
        {t.sysexPanel}
      </button>
      {open && <Panel onClose={() => setOpen(false)} />}
    </span>
  );
}
