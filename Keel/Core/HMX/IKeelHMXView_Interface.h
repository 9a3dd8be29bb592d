// The view link of the processor in the plug-in: the host's view container the editor sits in.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VViewContainer.h"

#include <cstdint>

namespace keel {

// Threads: the host's user-interface thread.
class IKeelHMXView_Interface {
public:
  virtual ~IKeelHMXView_Interface() = default;
  // Highlights a control for the host; this product draws no highlights.
  virtual void HighlightControl(int controlIndex, bool highlighted, int32_t colour) {
    (void)controlIndex, (void)highlighted, (void)colour;
  }

  HMX_VViewContainer* GetViewContainer() const { return mViewContainer; }
  void SetViewContainer(HMX_VViewContainer* container) { mViewContainer = container; }

private:
  HMX_VViewContainer* mViewContainer = nullptr; // not owned: the GUI object holds it
};

} // namespace keel
