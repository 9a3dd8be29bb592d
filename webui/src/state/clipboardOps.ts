// Clipboard for chain and module copy and paste: through the processor (tags 215-217) or the browser's clipboard.
import { hasHostBridge, sendTagged } from '../bridge/host';
import { MsgTag } from '../bridge/protocol';
import { texts } from '../i18n/texts';
import { requestClipboardText, showDialog } from './app';

/** Writes text; false when the browser refused (the host path cannot tell). */
export async function writeClipboard(text: string): Promise<boolean> {
  if (hasHostBridge()) {
    sendTagged(MsgTag.ClipboardWrite, text);
    return true;
  }
  try {
    await navigator.clipboard.writeText(text);
    return true;
  } catch {
    const t = texts();
    showDialog({ title: t.clipboardCopyFailedTitle, body: t.clipboardCopyFailedBody });
    return false;
  }
}

/** Reads text; null (after telling the user) when the read failed or timed out. */
export async function readClipboard(): Promise<string | null> {
  let text: string | null = null;
  if (hasHostBridge()) text = await requestClipboardText(1500);
  else {
    try {
      text = await navigator.clipboard.readText();
    } catch {
      text = null;
    }
  }
  if (text === null) {
    const t = texts();
    showDialog({ title: t.clipboardPasteFailedTitle, body: t.clipboardReadFailedBody });
  }
  return text;
}
