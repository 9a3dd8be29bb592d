// velmora-hmxhost: loads an HMX module and drives it as a host would: start-up, description, an
// instance that renders a note, its state saved (also with a change between size and fill) and
// restored into a second instance, optionally the editor in a window, shut-down and a real unload.
// Exit code 0 when every step did what it should.
#include "tools/hmxhost/EditorWindow.h"
#include "tools/hmxhost/HMXModule.h"
#include "tools/hmxhost/HostInstance.h"
#include "tools/hmxhost/RecordingDescriptionHost.h"

#include <gtk/gtk.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

struct Options {
  std::string module;
  int blocks = 40;
  int frames = 512;
  float rate = 48000.0f;
  bool gui = false;
  int guiMs = 1500;
  std::string stateOut;
};

int Usage() {
  std::fprintf(stderr, "usage: velmora-hmxhost MODULE [--blocks N] [--frames N] [--rate HZ] [--state-out FILE (also FILE.restored)] "
                       "[--gui [--gui-ms MS]]\n");
  return 2;
}

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--blocks" && hasValue)
      o.blocks = std::atoi(argv[++i]);
    else if (arg == "--frames" && hasValue)
      o.frames = std::atoi(argv[++i]);
    else if (arg == "--rate" && hasValue)
      o.rate = float(std::atof(argv[++i]));
    else if (arg == "--state-out" && hasValue)
      o.stateOut = argv[++i];
    else if (arg == "--gui")
      o.gui = true;
    else if (arg == "--gui-ms" && hasValue)
      o.guiMs = std::atoi(argv[++i]);
    else if (o.module.empty() && arg[0] != '-')
      o.module = arg;
    else
      return false;
  }
  return !o.module.empty() && o.blocks >= 4 && o.frames > 0 && o.rate > 0.0f;
}

// The chunk's data part, as the processor's state format holds it.
void WriteData(const std::string& path, const std::vector<uint8_t>& chunk) {
  if (chunk.size() >= PlugInChunk::kDataOffset)
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(chunk.data() + PlugInChunk::kDataOffset),
               std::streamsize(chunk.size() - PlugInChunk::kDataOffset));
}

int Fail(const std::string& what) {
  std::fprintf(stderr, "FAIL: %s\n", what.c_str());
  return 1;
}

keel::HMX_MIDIPacket Note(uint8_t status, uint8_t key, uint8_t velocity) {
  keel::HMX_MIDIPacket p;
  p.length = 3;
  p.data[0] = status;
  p.data[1] = key;
  p.data[2] = velocity;
  return p;
}

// Every parameter's normalized value in both effects agrees; the first difference in mismatch.
bool SameParameters(HMX_IHCFEffectParameters& a, HMX_IHCFEffectParameters& b, std::string& mismatch) {
  int32_t count = 0, countB = 0;
  a.ParamCount(&count);
  b.ParamCount(&countB);
  if (count != countB)
    return mismatch = "parameter counts " + std::to_string(count) + " and " + std::to_string(countB), false;
  for (int32_t i = 0; i < count; ++i) {
    hmxhost::HostString id;
    a.ParamIDAt(i, &id);
    double va = -1.0, vb = -2.0;
    a.ParamNormalized(id.Text(), &va);
    b.ParamNormalized(id.Text(), &vb);
    if (std::fabs(va - vb) > 1e-9)
      return mismatch = "parameter \"" + std::string(id.Text()) + "\": " + std::to_string(va) + " and " +
                        std::to_string(vb),
             false;
  }
  return true;
}

int Run(const Options& o) {
  hmxhost::HMXModule module;
  std::string error;
  if (!module.Load(o.module, error))
    return Fail("load " + o.module + ": " + error);
  uint64_t version = 0;
  module.getSDKVersion(&version);
  std::printf("module: %s, interface version 0x%016llx\n", o.module.c_str(), (unsigned long long)version);

  hmxhost::RecordingDescriptionHost host;
  if (module.startup(host.Unknown()) != HMX_SUCCESS)
    return Fail("HCFStartup");
  IHCFUnknown* collection = nullptr;
  if (const HMX_Result r = module.registerPlugin(host.Unknown(), &collection); r != HMX_SUCCESS || !collection)
    return Fail("HCFRegisterPlugin answered " + std::to_string(r));
  collection->Release();
  const hmxhost::DescriptionRecord& record = host.record;
  std::printf("describe: %zu calls\n", record.lines.size());
  for (const std::string& line : record.lines)
    if (line.rfind("effect name", 0) == 0 || line.rfind("register", 0) == 0 || line.rfind("maker", 0) == 0)
      std::printf("  %s\n", line.c_str());
  if (!record.createProcs.count(0) || !record.createProcs.count(1) || !record.processProc)
    return Fail("the description registered no create procedures or no process procedure");

  int result = 0;
  {
    hmxhost::HostInstance first(record.createProcs.at(0), record.processProc, o.rate, o.frames);
    if (!first.Create(error))
      return Fail(error);
    int32_t paramCount = 0;
    first.Effect()->ParamCount(&paramCount);
    std::printf("instance: %d parameters\n", paramCount);

    // A non-default value, so the restored state shows it travelled.
    first.Effect()->UpdateParamFromHost("10", 0.3, 0);
    first.Effect()->FlushParamUpdates();

    float peak = 0.0f;
    for (int b = 0; b < o.blocks; ++b) {
      std::vector<keel::HMX_MIDIPacket> midi;
      if (b == 0)
        midi.push_back(Note(0x90, 60, 100));
      if (b == o.blocks / 2)
        midi.push_back(Note(0x80, 60, 0));
      peak = std::max(peak, first.Render(midi));
    }
    std::printf("render: %d blocks of %d frames, peak %.4f, %zu MIDI packets out, state number %lld\n", o.blocks,
                o.frames, double(peak), first.MidiOut().size(), (long long)first.PostedStateNumber());
    if (!(peak > 0.0f) || !std::isfinite(peak))
      result = Fail("the note rendered no sound");

    // A controller assignment made between the size query and the fill, as host automation may: the
    // fill hands over the bytes that were sized, or refuses.
    const std::vector<uint8_t> raced =
        first.SaveState(error, [&] { first.Effect()->UpdateParamFromHost("371", 1.0, 0); });
    std::printf("state: changed between size and fill, %s\n",
                raced.empty() ? error.c_str() : "sized bytes filled");
    if (raced.empty() && error.find("-20008") == std::string::npos)
      result = Fail("state changed between size and fill: " + error);

    const std::vector<uint8_t> saved = first.SaveState(error);
    if (saved.empty())
      return Fail("save: " + error);
    std::printf("state: chunk of %zu data bytes\n", saved.size() - PlugInChunk::kDataOffset);

    hmxhost::HostInstance second(record.createProcs.at(0), record.processProc, o.rate, o.frames);
    if (!second.Create(error))
      return Fail(error);
    if (!second.RestoreState(saved, error))
      return Fail("restore: " + error);
    std::string mismatch;
    if (!SameParameters(*first.Effect(), *second.Effect(), mismatch))
      result = Fail("restored parameters differ: " + mismatch);
    const std::vector<uint8_t> again = second.SaveState(error);
    if (!o.stateOut.empty()) {
      WriteData(o.stateOut, saved);
      WriteData(o.stateOut + ".restored", again);
    }
    const bool sameBytes = again.size() == saved.size() &&
                           std::memcmp(again.data() + PlugInChunk::kDataOffset,
                                       saved.data() + PlugInChunk::kDataOffset,
                                       saved.size() - PlugInChunk::kDataOffset) == 0;
    std::printf("restore: parameters %s, state bytes %s\n", mismatch.empty() ? "equal" : "differ",
                sameBytes ? "equal" : "differ");
    if (!sameBytes)
      result = Fail("the restored instance saves a different state");

    if (o.gui) {
      gtk_disable_setlocale();
      if (!gtk_init_check(nullptr, nullptr))
        return Fail("no display for the editor");
      if (!hmxhost::ShowEditor(record.createProcs.at(1), first.Controller(), o.guiMs, error))
        result = Fail("editor: " + error);
    }
  }

  const HMX_Result live = module.canUnloadNow();
  std::printf("unload: %d objects alive\n", int(live));
  if (live != 0)
    result = Fail("objects still alive after every instance was released");
  module.shutdown(nullptr);
  module.Unload();
  if (!host.record.assertions.empty()) {
    for (const std::string& a : host.record.assertions)
      std::fprintf(stderr, "assertion: %s\n", a.c_str());
    result = Fail("the module reported assertions");
  }
  if (result == 0)
    std::printf("OK\n");
  return result;
}

} // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options))
    return Usage();
  return Run(options);
}
