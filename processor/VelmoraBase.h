// The processor's framework base: the program's binding, or in the plug-in module (VLM_PLUGIN) the HMX
// binding. The processor's sources name their base keel::IKeelAPP and its creation record
// keel::InstanceInfo in both builds, so the plug-in build maps those names onto the HMX binding.
#pragma once

#ifdef VLM_PLUGIN
#include "Keel/Core/HMX/IKeelHMX.h"
namespace keel {
using IKeelAPP = IKeelHMX;
using InstanceInfo = HMXInstanceInfo;
} // namespace keel
#else
#include "Keel/Core/IKeelAPP.h"
#endif

using VelmoraBase = keel::IKeelAPP;
