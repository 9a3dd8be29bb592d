// The processor's idle work on every UI tick, after the framework has passed its queues to the page.
#include "processor/Velmora.h"

void Velmora::OnIdle() {
  RunControllerMapIdle();
  RunEditorWindowIdle();
}
