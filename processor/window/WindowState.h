// The editor size remembered across runs: window-state.json, read once at construction, and the save that
// follows a size change once the window has been still for a moment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "processor/window/EditorSizing.h"

namespace vlm {

// Milliseconds of the steady clock: the time base of the save and poll deadlines.
std::int64_t SteadyNowMs();

// Threads: UI thread only (window events, page messages, the UI tick).
class WindowState {
public:
  static constexpr std::int64_t kSaveDelayMs = 400;   // a drag is saved once, this long after it stops
  static constexpr std::int64_t kRetryDelayMs = 1000; // after a failed write
  static constexpr int kMaxFailureLines = 100;        // log lines per run of failed writes

  // <app-data folder>/window-state.json
  static std::string GetPath();

  // Reads the file: the stored size clamped into the limits becomes the saved size and is returned, for the
  // editor to start with. A missing file sets the saved size to the default 1180 x 760; a malformed one
  // leaves it alone. Both return nothing, and every outcome is logged.
  std::optional<EditorSize> Load();

  // A size the editor reached. Ignored when not positive or equal to the size last recorded (the pending one
  // while a save is pending, else the saved one); otherwise it becomes pending, due kSaveDelayMs from now.
  void Record(int width, int height, std::int64_t nowMs);

  // Writes the pending size when it is due, or at once when forced. A failed write is retried kRetryDelayMs
  // later; a forced attempt (the editor closing) is the last one: a failure then drops the pending size.
  void Save(bool force, std::int64_t nowMs);

  bool IsSavePending() const { return mSavePending; }
  EditorSize Pending() const { return mPending; }
  EditorSize Saved() const { return mSaved; }
  // What a new size is compared with.
  EditorSize LastRecorded() const { return mSavePending ? mPending : mSaved; }
  std::int64_t SaveDeadlineMs() const { return mSaveDeadlineMs; }

private:
  EditorSize mPending;
  EditorSize mSaved;
  bool mSavePending = false;
  std::int64_t mSaveDeadlineMs = 0;
  int mFailureLines = 0; // failure lines logged since the last successful write
};

} // namespace vlm
