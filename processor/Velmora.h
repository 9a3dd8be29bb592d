// The instrument processor: one object per instance that owns everything that renders, the queues between
// the audio thread and the idle work, and the small state the editor and the controller maps work on.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "Keel/Core/RingQueue.h"
#include "Keel/Core/SysExRecord.h"
#include "Keel/Platform/AppWindow.h"
#include "common/EParams.h"
#include "engine/arp/NoteEvent.h"
#include "engine/fx/FxRack.h"
#include "engine/oscillator/Vco.h"
#include "engine/oversampling/ChannelDecimator.h"
#include "engine/oversampling/SmoothedValue.h"
#include "engine/voice/TonePart.h"
#include "library/MidiPortIo.h"
#include "processor/VelmoraBase.h"
#include "processor/editor/ControlValueCache.h"
#include "processor/librarian/Mks80Traffic.h"
#include "processor/midimaps/CcLookup.h"
#include "processor/midimaps/MidiLearn.h"
#include "processor/params/DirtyParamSet.h"
#include "processor/render/EngineCommands.h"
#include "processor/render/OutputMuteRamp.h"
#include "processor/window/WindowState.h"

namespace vlm::dsp {
class Arpeggiator;
}

// A parameter change on its way to the idle work (from the MKS-80 receiver or controller 31).
struct IdleParamChange {
  int index = 0;
  double normalized = 0.0;
};

// About 43 MB: made only by CreatePluginInstance, never copied and never on the stack.
// Threads: the audio thread owns members Upper to the mute ramp (engine, gains, smoothers, decimators) and
// the host system-exclusive queue's consumer side is the idle work on the UI thread; the texts belong to the
// UI thread (the bank state under its mutex); the peak meters are raised by the audio thread and read by the
// idle work.
class Velmora final : public keel::IKeelAPP {
public:
  static constexpr int kMaxJSStringLength = 0x40000;
  static constexpr int kHeldNoteCapacity = 64;

  explicit Velmora(const keel::InstanceInfo& info);
  ~Velmora() override;
  Velmora(const Velmora&) = delete;
  Velmora& operator=(const Velmora&) = delete;

  // The page forwards the keys it wants itself; the web-view delegate's own key forwarding never runs.
  bool OnKeyDown(const keel::KeyPressRecord&) override { return false; }
  bool OnKeyUp(const keel::KeyPressRecord&) override { return false; }

  // The framework configuration every instance is built with.
  static keel::PluginConfig MakeConfig();

  int GetKeyMode() const { return mKeyMode; }
  int GetSplitPoint() const { return mSplitPoint; }
  double GetBalance() const { return mBalance; }
  int GetOversamplingRequested() const { return mOversamplingRequested; }
  int GetOversampling() const { return mOversampling; }
  int GetHeldNoteCount() const { return mHeldNoteCount; }
  const TonePart& GetUpper() const { return Upper; }
  const TonePart& GetLower() const { return Lower; }

  // --- Sound: parameters to the engine, block rendering, MIDI and system-exclusive entry ---
  // Threads: a parameter change on any thread only marks its index (the value is already stored, atomic);
  // the audio thread applies marked indices and pending commands at the start of its next block. OnReset
  // runs while no block does and applies everything.
  using keel::IEditorDelegate::OnParamChange;
  void OnParamChange(int paramIdx) override;
  // Marks every index, then raises the state-restored flag for the idle work's page refresh.
  void OnParamReset(keel::ParamSource source) override;
  void OnReset() override;
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void ProcessMidiMsg(const keel::MidiMsg& msg) override;
  void ProcessSysEx(const keel::SysExMsg& msg) override;
  // Any thread: mutes the output for `seconds` (a running mute is lengthened, never shortened).
  void ArmOutputMute(double seconds) noexcept;
  // Any thread: carried out at the next block start; the effect reset waits for the mute's silence.
  void RequestAllNotesOff(bool upper, bool lower) noexcept;
  void RequestActiveEffectsReset() noexcept;
  // Idle work (UI thread): bend-range changes from controller 31, host system-exclusive messages, and the
  // flag a bulk parameter change raises.
  bool PopControllerParamChange(IdleParamChange& change) noexcept { return mControllerParamChanges.Pop(change); }
  bool PopHostSysEx(keel::SysExRecord& record) noexcept { return mHostSysEx.Pop(record); }
  bool TakeStateRestored() noexcept { return mStateRestored.exchange(false); }
  // UI thread (idle step 1): after a restore or reset, every value to the page without MKS-80 echo, and
  // after a restore the bank text (tag 201) when there is one.
  void RefreshPageAfterRestore();
  // Any thread: what the page shows.
  float GetPeakLeft() const { return mPeakLeft.load(std::memory_order_relaxed); }
  float GetPeakRight() const { return mPeakRight.load(std::memory_order_relaxed); }
  double GetPitchBend() const { return mPitchBend.load(std::memory_order_relaxed); }
  double GetModWheel() const { return mModWheel.load(std::memory_order_relaxed); }
  double GetChannelPressure() const { return mChannelPressure.load(std::memory_order_relaxed); }
  double GetPerformanceVolume() const { return mPerformanceVolume.load(std::memory_order_relaxed); }
  const OutputMuteRamp& GetMuteRamp() const { return mMuteRamp; }
  // Audio-thread state, for tests while no block runs.
  double GetPerformanceVolumeGain() const { return mPerformanceVolumeGain; }
  double GetOutputGainTarget() const { return mOutputGainSmoother.Target(); }
  int GetStereoMode() const { return mStereoMode; }
  double GetDcCoefficient() const { return mDcCoefficient; }
  const vlm::dsp::FxRack& GetFxRack() const { return mFxRack; }
  // Upper then Lower gain for a balance: the louder side at 1, balance 0.5 gives 1 and 1.
  static void BalanceGains(double balance, double& upperGain, double& lowerGain) noexcept;

  // --- Editor page conversation: messages, initial state, page loading, keys, clipboard (UI thread) ---
  bool OnMessage(int msgTag, int ctrlTag, int dataSize, const void* data) override;
  void OnWebContentLoaded() override;
  // Everything the page needs, in a fixed order; the page may ask again, so it is safe to repeat.
  void SendInitialStateToUI();
  // The value as compact JSON (invalid UTF-8 replaced, never thrown) in a tagged message.
  void SendJsonToUI(int msgTag, const nlohmann::json& value);
  // {"op", "status"} plus "message" when it is not empty.
  static nlohmann::json SendStatusReplyJson(const std::string& operation, const std::string& status,
                                            const std::string& message);
  // The editor-ready callback: puts the embedded page in front of the browser control.
  void LoadIndexHtml();
  std::string GetBankStateJson();
  bool IsExpandedTones() const { return mExpandedTones; }
  const std::string& GetUIPrefsText() const { return mUIPrefsJson; }
  // Tests watch the scripts meant for the page here; while an observer is set nothing reaches the browser.
  using ScriptObserver = std::function<void(const char* script, std::function<void(const char* json)> done)>;
  void SetScriptObserver(ScriptObserver observer) { mScriptObserver = std::move(observer); }
  void EvaluateJavaScript(const char* script, std::function<void(const char* json)> done = nullptr) override;

  // --- Editor window and preferences: sizing, window-state.json, preferences.json (UI thread) ---
  // (VelmoraWindow.cpp, VelmoraPrefs.cpp, VelmoraIdle.cpp)
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  // Client size of the parent in physical pixels.
  void OnParentWindowResize(int width, int height) override;
  // Width 910..100000, height (650, or 1000 while the tones are expanded)..100000; true when unchanged.
  bool ConstrainEditorResize(int& width, int& height) const override;
  // The page's resize request (tag 100) in logical pixels: clamped, then the window follows.
  void ResizeEditor(int width, int height);
  // A size the editor reached, saved 400 ms after the last change.
  void RecordEditorSize(int width, int height);
  // Watches the parent's size for one second after a resize request, so that the final size is recorded.
  void StartEditorSizePoll();
  void PollEditorWindowSize();
  // Writes window-state.json when the save is due (or at once when forced).
  void SaveWindowState(bool force);
  void LoadWindowState();
  // The UI tick's window work: the parent's size limits, the size poll and the deferred save.
  void RunEditorWindowIdle();
  void OnIdle() override;
  const vlm::WindowState& GetWindowState() const { return mWindowState; }
  bool IsEditorSizePollRunning() const { return mPollDeadlineMs != 0; }
  bool IsDpiCorrectionPending() const { return mDpiCorrectionPending; }
  // Preferences: loaded at construction; the page's tag 205 goes to OnUIPrefsPayload (an empty payload clears
  // the text, a non-empty one is saved; either way the knob mode is read again).
  void LoadUIPrefs();
  void SaveUIPrefs(const std::string& payload);
  void OnUIPrefsPayload(const std::string& payload);
  void ApplyKnobModePref();
  // 0 jump, 1 pickup, 2 scaling: how mapped controllers take over a parameter.
  int GetTakeoverMode() const { return mTakeoverMode.load(std::memory_order_relaxed); }

  // --- Controller maps, MIDI learn and takeover (VelmoraMidiMaps.cpp) ---
  // Threads: HandleMidiCc on the audio thread (lock-free: the lookup, atomic parameter stores, two rings to
  // the idle work); RebuildCcLookup from any thread; everything else on the UI thread.
  void HandleMidiCc(int controller, int value) noexcept;
  // -1 for none, else 0..127.
  int GetCcAssignment(int soundParam) const noexcept { return mCcLookup.Controller(soundParam); }
  // Through parameter 189 + soundParam, so that the host and the page hear of it; never to the MKS-80.
  void SetCcAssignment(int soundParam, int controller);
  void ClearCcAssignments();
  // Every lookup entry from its assignment parameter, each starting with unknown takeover state.
  void RebuildCcLookup() noexcept;
  void SendMidiLearnState();
  // Tag 218 from the page.
  void OnMidiLearnRequest(const std::string& payload);
  void SaveMidiMapWithDialog();
  void LoadMidiMapWithDialog();
  void SaveDefaultMidiMap();
  // At construction: default-midi-map.vmm, stored straight into the assignment parameters.
  void LoadDefaultMidiMap();
  bool WriteMidiMapDocument(const std::string& path, std::string& error) const;
  // The UI tick's share: controller echoes to the page, then learn notices become assignments.
  void RunControllerMapIdle();
  bool IsMidiLearnActive() const { return mMidiLearnActive.load(std::memory_order_relaxed); }
  int GetMidiLearnTarget() const { return mMidiLearnTarget.load(std::memory_order_relaxed); }
  // The map file dialogs; tests put a chooser of their own here (save: true for the save dialog).
  using MidiMapFileChooser = std::function<bool(bool save, std::string& path)>;
  void SetMidiMapFileChooser(MidiMapFileChooser chooser) { mMidiMapFileChooser = std::move(chooser); }
  // Raised while changes that must not go back to the MKS-80 are applied (assignments, controller echoes).
  bool IsMks80EchoSuppressed() const { return mSuppressMks80Echo.load(std::memory_order_relaxed); }

  // --- Plug-in state (VelmoraState.cpp) ---
  // Threads: the host's thread that saves or restores; the page and the ports catch up in the idle work.
  bool SerializeState(keel::ByteChunk& chunk) const override;
  int UnserializeState(const keel::ByteChunk& chunk, int startPos) override;
  // {"ccMap", "params", "v": 2} for parameters 181..188 and their assignments.
  std::string BuildStateExtensionJson() const;
  // Null, unparsable or not an object: the eight parameters return to their defaults, unassigned.
  void ApplyStateExtensionJson(const std::string* text);
  // The dedicated MKS-80 port names a restore asked for, and whether the idle work should reopen them.
  std::string GetRequestedMidiInName() const;
  std::string GetRequestedMidiOutName() const;
  bool IsPortRestorePending() const { return mPortRestorePending.load(); }
  bool TakePortRestorePending() noexcept { return mPortRestorePending.exchange(false); }
  // The port code publishes the open ports' names (empty when closed), which a state save on the host's
  // thread writes; UI thread.
  void PublishOpenMidiPortNames(const std::string& inName, const std::string& outName);

  // --- Dedicated MKS-80 port (VelmoraPorts.cpp, UI thread) ---
  // The port pair that MKS-80 traffic goes through when it is open (send, poll).
  vlm::MidiPortIo& GetMidiPortIo() { return mMidiPortIo; }
  // Tag 209 with a non-empty payload {"direction": "in"|"out", "name": port name or "" for none}.
  void MidiPortSelect(const std::string& payload);
  // Tag 208: both port lists, the open names, and "openFailed" when both texts are non-empty.
  void SendMidiPortList(const std::string& failedDirection, const std::string& failedName);
#ifndef VLM_PLUGIN
  // The program's chosen port names in standalone-midi.json; the load arms the deferred restore.
  void LoadStandaloneMidi();
  void SaveStandaloneMidi();
#endif
  // The open dedicated port names as the last select or restore left them; any thread (the state's save).
  std::string GetOpenMidiInName() const;
  std::string GetOpenMidiOutName() const;
  // The idle tick's port restore: when a restore is pending, reopens (or closes) both sides by the names
  // to restore, adopts a base-name match as the chosen name, and sends the port list.
  void RestoreMidiPorts();

  // --- MKS-80 traffic and the librarian's idle work (VelmoraLibrarian.cpp, UI thread) ---
  // Shows the real value to the page and, unless the MKS-80 itself caused the change, sends the
  // parameter's MKS-80 message.
  void OnParamChangeUI(int paramIdx, keel::ParamSource source) override;
  // One whole message to the MKS-80: the dedicated output when it is open, else the host's MIDI output.
  // True when the route took the message.
  bool SendMks80Sysex(const std::uint8_t* data, int size);
  // Program select, both patch halves and both tones; returns how many of the five a route took.
  int SendCurrentPatchToDevice();
  // The MKS-80 receiver and its two feeders.
  void DirectSysEx(const keel::SysExMsg& msg);
  void DrainDirectMidiInput();
  void HostSysExFallback();
  // The bulk transfers that the page's preset actions start, run and take the results of.
  vlm::Mks80Traffic& GetMks80Traffic() { return mMks80; }
  // The idle tick's MKS-80 share and the page's control values.
  void ApplyParamChangesFromMks80();
  void SendControlValues();
  // Tests put a clock of their own here; null returns to the steady clock.
  void SetMks80Clock(std::function<std::int64_t()> clock) { mMks80Clock = std::move(clock); }

private:
  // 1. The two tone parts; Lower is the second part (voices seeded 32 to 63).
  TonePart Upper;
  TonePart Lower;
  // 2. The shared noise source, rendered once per sub-sample for both parts.
  Vco mNoise;
  // 3. Five slots, each with one instance of every effect type, and their bypass flags.
  vlm::dsp::FxRack mFxRack;
  // 4. The arpeggiator seen in the previous block and its reset count as last read.
  vlm::dsp::Arpeggiator* mLastArpeggiator = nullptr;
  int mLastArpeggiatorResetCount = 0;
  // 5. Timed notes from the arpeggiator, filled once per block.
  std::array<vlm::dsp::NoteEvent, vlm::dsp::kNoteEventCapacity> mNoteEvents{};
  // 6. Notes the event dispatch has turned on and not yet off.
  std::array<std::uint8_t, kHeldNoteCapacity> mHeldNotes{};
  int mHeldNoteCount = 0;
  // 7. Linear gains of "Master" and "Patch Volume".
  double mMasterGain = 0.0;
  double mPatchVolumeGain = 1.0;
  // 8. Controller 7 position / 127 and its curve gain.
  std::atomic<double> mPerformanceVolume{1.0}; // read for the page by the idle work
  double mPerformanceVolumeGain = 1.0;
  // 9. Output gain (master x patch volume), performance-volume gain and balance.
  SmoothedValue mOutputGainSmoother;
  SmoothedValue mPerformanceVolumeSmoother;
  SmoothedValue mBalanceSmoother;
  // 10. Peak meters.
  std::atomic<float> mPeakLeft{0.0f};
  std::atomic<float> mPeakRight{0.0f};
  // 11.-14. Patch-level state.
  double mBalance = 0.5;
  int mStereoMode = 0; // 0 "Mix", 1 "Separate"
  // Written by MIDI entry on the audio thread, read for the page by the idle work: atomics.
  std::atomic<double> mModWheel{0.0};
  std::atomic<double> mChannelPressure{0.0};
  std::atomic<double> mPitchBend{0.0}; // -1..+1
  int mKeyMode = 0;        // 0 "Whole", 1 "Split-2", 2 "Split-1", 3 "Dual"
  int mSplitPoint = 60;
  // 15. Oversampling factor requested and in effect: 1, 2 or 4.
  int mOversamplingRequested = 1;
  int mOversampling = 1;
  // 16. Left then right; the designed coefficients are loaded as they are built.
  ChannelDecimator mDecimatorLeft;
  ChannelDecimator mDecimatorRight;
  // 17. DC blocker.
  double mDcCoefficient = 0.0;
  std::array<double, 2> mDcPreviousInput{};
  std::array<double, 2> mDcPreviousOutput{};
  // 18. Mute ramp in samples: armed from any thread, run by the output stage.
  OutputMuteRamp mMuteRamp;
  // 19. The page's bank state (under its mutex) and preferences (UI thread only).
  mutable std::mutex mBankStateMutex;
  std::string mBankStateJson;
  std::string mUIPrefsJson;
  // 20. Editor sizing: the remembered size and its deferred save, the DPI correction of the program's
  // window, the size poll's deadline (steady-clock ms, 0 = none) and the limits last handed to the parent.
  vlm::WindowState mWindowState;
  bool mDpiCorrectionPending = false;
  std::int64_t mPollDeadlineMs = 0;
  keel::EditorSizeLimits mParentLimits;
  // Hands the editor's current limits to the parent window when they changed.
  void SyncParentSizeLimits();
  // 27 (part). The takeover mode that "knobMode" selects; the controller maps read it.
  std::atomic<int> mTakeoverMode{2}; // written on the UI thread, read by the audio thread
  // 21. Parameter changes for the idle work: 256 entries.
  keel::RingQueue<IdleParamChange> mIdleParamChanges{257};
  // 25. System-exclusive messages from the host, drained by the idle work: 64 entries.
  keel::RingQueue<keel::SysExRecord> mHostSysEx{65};

  // --- Sound: parameters to the engine, block rendering, MIDI entry (audio thread unless marked) ---
  // Parameters (VelmoraParams.cpp).
  void ApplyPendingChanges() noexcept;
  void ApplyParamChange(int index) noexcept;
  void ApplyParamToEngine(int index) noexcept;
  void ApplyPatchParam(TonePart& part, int index, int slot, double x) noexcept;
  void ApplyToneParam(TonePart& part, int index, int slot, double x) noexcept;
  void ApplyFxParam(int index) noexcept;
  void SwitchEffect(int slot) noexcept;
  void CarryOutPendingEffectWork() noexcept;
  double ParamValue(int index) const noexcept;
  int OversamplingFromParam() const noexcept;
  int VoiceLimitFromParam() const noexcept;
  // Rendering (VelmoraRender.cpp).
  void PrepareEngines() noexcept;
  void DispatchNoteEvents(int sampleIndex, int eventCount) noexcept;
  // Plays a note-on by key mode; false when no part takes it ("Split-2" on a third channel).
  bool RouteNoteOn(int note, double velocity, int channel) noexcept;
  void FlushQueuedNoteOffs() noexcept;
  void OutputStage(double a, double b, double& left, double& right) noexcept;
  void PublishPeak(std::atomic<float>& meter, float blockPeak) noexcept;
  // MIDI (VelmoraMidi.cpp).
  void UpdateAftertouch() noexcept;

  // Indices changed since the audio thread last applied them; any thread marks.
  DirtyParamSet<vlm::kNumParams> mDirtyParams;
  // All notes off and effect resets posted from other threads.
  EngineCommands mEngineCommands;
  // Effect work that waits for the output mute's silence: a bit per slot whose type changed, and a flag
  // for the reset of every active effect.
  std::uint32_t mPendingEffectSwitches = 0;
  bool mPendingEffectsReset = false;
  int mNextNoteEvent = 0;
  // Bend-range changes from controller 31: the audio thread's own ring to the idle work (the MKS-80
  // receiver on the UI thread fills mIdleParamChanges), 256 entries.
  keel::RingQueue<IdleParamChange> mControllerParamChanges{257};
  // Raised by OnParamReset (any thread), taken by the idle work.
  std::atomic<bool> mStateRestored{false};    // raised last, after every value a restore writes
  std::atomic<bool> mBankTextRestored{false}; // the restore brought a bank text for the page

  // 27. Controller maps: the lookup the audio thread reads, learn, and the two rings from the audio thread
  // to the idle work (learn notices 64, controller echoes 256).
  vlm::CcLookup mCcLookup;
  std::atomic<bool> mMidiLearnActive{false};
  std::atomic<int> mMidiLearnTarget{-1};
  keel::RingQueue<vlm::LearnNotice> mLearnNotices{65};
  keel::RingQueue<vlm::ControllerEcho> mControllerEchoes{257};
  std::atomic<bool> mSuppressMks80Echo{false};
  MidiMapFileChooser mMidiMapFileChooser;
  void AnswerMidiMapOperation(const std::string& op, const std::string& status, const std::string& message,
                              const std::string& filePath = std::string());
  // 28. The dedicated port names a restore asked for (host thread writes, UI thread reads).
  mutable std::mutex mPortNamesMutex;
  std::string mRequestedMidiInName;
  std::string mRequestedMidiOutName;
  std::string mOpenMidiInName;
  std::string mOpenMidiOutName;
  std::atomic<bool> mPortRestorePending{false};
  // 23. The dedicated MKS-80 port pair, and the names the user last chose for it (program; UI thread).
  vlm::MidiPortIo mMidiPortIo;
  // 29. The MKS-80 conversation (transfer and reply rings, bulk receive and send); its clock for tests.
  std::function<std::int64_t()> mMks80Clock;
  vlm::Mks80Traffic mMks80{MakeMks80Hooks()};
  vlm::Mks80Traffic::Hooks MakeMks80Hooks();
  std::string mChosenMidiInName;
  std::string mChosenMidiOutName;
  // Hands the port pair's open names to PublishOpenMidiPortNames.
  void PublishOpenPorts();

  // --- Editor page conversation (UI thread) ---
  // The control values the page last received.
  vlm::ControlValueCache mSentControlValues;
  void OnBankStateMessage(int dataSize, const void* data);
  void OnOpenUrlMessage(int dataSize, const void* data);
  void OnOpenManualPdfMessage(int dataSize, const void* data);
  void OnForwardKeyEventMessage(int dataSize, const void* data);
  void OnClipboardReadRequest();
  void SendParamRealValues();
  std::atomic<bool> mExpandedTones{false}; // the last bank state had "expandedTones" true; a restore sets it
  ScriptObserver mScriptObserver;
  // Answers that arrive later (the clipboard's text) look here first: gone means the instance is gone.
  std::shared_ptr<bool> mAliveToken = std::make_shared<bool>(true);
};

// The only way an instance is made: construction runs under one process-wide lock, so two instances are
// never built at once and the once-per-process steps stay once per process.
Velmora* CreatePluginInstance(const keel::InstanceInfo& info);
