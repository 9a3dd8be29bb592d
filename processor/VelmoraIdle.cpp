// The processor's idle work on every UI tick, after the framework has passed its queues to the page.
#include "processor/Velmora.h"

void Velmora::OnIdle() {
  // 1. After a state restore the page sees every value again; none of it goes to the MKS-80.
  RefreshPageAfterRestore();
  // 2. Ports a restore or the settings file asked for.
  RestoreMidiPorts();
  // 3. What the MKS-80 sent: the dedicated input, else the host's input.
  DrainDirectMidiInput();
  HostSysExFallback();
  // 4. Its parameter changes, applied without echo.
  ApplyParamChangesFromMks80();
  // 5.-6. Controller echoes to the page, then learn notices become assignments.
  RunControllerMapIdle();
  // 7.-11. Replies, the bulk receive and send state machines, then their time-outs.
  mMks80.SendReplies();
  mMks80.RunTransfers();
  mMks80.RunTimers();
  // 12. The page's meters and controls.
  SendControlValues();
  // 13. The parent's size limits, the size poll and the deferred window-state save.
  RunEditorWindowIdle();
}
