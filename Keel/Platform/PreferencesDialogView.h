// The Preferences dialog's GTK window: drop-down lists, a check-box list of MIDI inputs and the
// Apply, OK and Cancel buttons, all fed by an IPreferencesDialogModel.
#pragma once

#include "Keel/Platform/IPreferencesDialogModel.h"

namespace keel {

// How the dialog ended (the classic OK and Cancel button ids).
enum : int { kPreferencesOk = 1, kPreferencesCancel = 2 };

// Threads: UI thread only.
class PreferencesDialogView {
public:
  explicit PreferencesDialogView(IPreferencesDialogModel& model);
  ~PreferencesDialogView();
  PreferencesDialogView(const PreferencesDialogView&) = delete;
  PreferencesDialogView& operator=(const PreferencesDialogView&) = delete;

  // Builds the window over owner (a GtkWindow* or null), showing the model's state; false without a display.
  bool Create(void* owner);
  // Runs modally until OK or Cancel and hands that to the model (OK before the window closes, Cancel after).
  int Run();
  // Presses a button of a running dialog: kPreferencesOk, kPreferencesCancel, or kPreferencesApply.
  void Respond(int response);
  // Shows the model's state again (the window's own changes do not reach the model).
  void Refresh();

  void* NativeWindow() const { return mDialog; }
  void* ComboWidget(PrefsCombo which) const;
  void* MidiInputList() const;

  static constexpr int kPreferencesApply = 40024;

private:
  struct Impl;
  void AfterUserChange();

  IPreferencesDialogModel& mModel;
  Impl* mImpl;
  void* mDialog = nullptr;
};

// Builds and runs the dialog over owner; kPreferencesCancel when no window can be shown.
int RunPreferencesDialog(void* owner, IPreferencesDialogModel& model);

} // namespace keel
