// The host program's editor window: a GTK window as the view container the module's GUI draws into.
#pragma once

#include "tools/hmxhost/HostObject.h"

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFViewContainer.h"

#include <string>

namespace hmxhost {

// Opens the module's GUI for the effect behind controller in a window, runs the main loop for
// showMs milliseconds, closes it again. False with the reason in error.
bool ShowEditor(HMX_CreateProc createGUI, IHCFUnknown* controller, int showMs, std::string& error);

} // namespace hmxhost
