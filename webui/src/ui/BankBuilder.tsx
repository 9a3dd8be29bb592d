// The bank builder: 32 slots (11 to 48), each Init or a library patch, turned into one MKS-80 bank file.
import { useLayoutEffect } from 'preact/hooks';
import { library } from '../state/app';
import { texts } from '../i18n/texts';
import { slotName } from '../mks/dumpBank';
import { bankBuilder, closeBankBuilder, createBank, kBankSlots, setBankSlot } from '../state/sysexFlows';
import { buildTree, toneList, type PresetEntry } from '../model/presetTree';
import { DropDown } from './DropDown';
import { menuIsOpen } from './menuKeys';

export function BankBuilder() {
  const b = bankBuilder.value;
  useLayoutEffect(() => {
    if (!b.open) return;
    // Enter creates the bank, Escape closes the dialog (the page's key capture leaves keys to dialogs).
    const onKey = (e: KeyboardEvent) => {
      if (menuIsOpen()) return; // an open slot list takes the key
      if (e.key === 'Escape') closeBankBuilder();
      else if (e.key === 'Enter' && !e.repeat) {
        e.preventDefault();
        if (!bankBuilder.peek().busy) createBank();
      }
    };
    window.addEventListener('keydown', onKey, { capture: true });
    return () => window.removeEventListener('keydown', onKey, { capture: true });
  }, [b.open]);
  if (!b.open) return null;
  const t = texts();
  // Library patches in the browser's order; the built-in Init is the empty choice.
  const patches = toneList(buildTree(library.value as unknown as PresetEntry[]))
    .filter((c) => c.source === 'upper' && !c.entry.isBuiltin)
    .map((c) => c.entry);
  return (
    <div class="modal-backdrop" data-modal="open">
      <div class="modal bank-builder block-host-shortcuts" role="dialog" data-testid="bank-builder">
        <h2>{t.bankBuilderTitle}</h2>
        <p>{t.bankBuilderBody}</p>
        <div class="bank-slots">
          {Array.from({ length: kBankSlots }, (_, i) => (
            <label key={i} class="bank-slot">
              <span>{slotName(i)}</span>
              <DropDown
                testid={`bank-slot-${i}`}
                value={b.slots[i]}
                disabled={b.busy}
                options={[{ value: '', label: t.bankBuilderEmpty }, ...patches.map((p) => ({ value: p.path, label: p.path.replace(/\.(80p|vlmp)$/i, '') }))]}
                onChange={(v) => setBankSlot(i, v)}
              />
            </label>
          ))}
        </div>
        <div class="modal-buttons">
          {b.busy && <span class="hint">{t.bankBuilderBusy}</span>}
          <button type="button" data-testid="bank-create" disabled={b.busy} onClick={createBank}>
            {t.bankBuilderCreate}
          </button>
          <button type="button" onClick={closeBankBuilder}>
            {t.dialogCancel}
          </button>
        </div>
      </div>
    </div>
  );
}
