// Keys that the editor page hands back to the window around it: they go to that window's keyboard
// accelerators (its menu shortcuts) and nowhere else, so a key can never come back into the page.
#pragma once

namespace keel {

struct AcceleratorKey {
  int virtualKey = 0; // Windows virtual-key code, as the editor protocol speaks it
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool meta = false;
};

// The desktop key (a GDK keyval) of a virtual-key code; 0 for codes without one.
unsigned VirtualKeyToKeyval(int virtualKey);

// Threads: UI thread only.
// Schedules the accelerator of key in the top-level window that holds widget (a GtkWidget). It runs from
// the main loop, as a posted key would, never inside the caller. False when there is no such window or the
// key has no desktop counterpart.
bool PostKeyToWindowAccelerators(void* widget, const AcceleratorKey& key);

} // namespace keel
