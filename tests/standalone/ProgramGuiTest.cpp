// The real program end to end, under a virtual display and a JACK server with the dummy driver:
// screenshot mode, the single-instance rule, MIDI in (merged) and thru, sound at the outputs, SIGTERM.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// One start of the program in a fresh per-user environment.
class ProgramProcess {
public:
  explicit ProgramProcess(const fs::path& root) : mRoot(root) {
    for (const char* d : {"data", "config", "run", "tmp", "home"}) fs::create_directories(root / d);
  }
  ~ProgramProcess() { Kill(); }

  fs::path Root() const { return mRoot; }
  fs::path LogPath() const { return mRoot / "tmp" / "velmora.log"; }
  void WriteSettings(const std::string& text) {
    fs::create_directories(mRoot / "data" / "Velmora");
    std::ofstream(mRoot / "data" / "Velmora" / "settings.ini") << text;
  }

  // Extra environment for the next start, as NAME=value.
  void SetEnv(std::string assignment) { mEnv.push_back(std::move(assignment)); }
  void Start(std::vector<std::string> args, const char* midiApi = "jack") {
    const char* binDir = std::getenv("VLM_BINARY_DIR");
    const std::string exe = std::string(binDir ? binDir : ".") + "/standalone/Velmora";
    mPid = fork();
    if (mPid == 0) {
      setenv("HOME", (mRoot / "home").c_str(), 1);
      setenv("XDG_DATA_HOME", (mRoot / "data").c_str(), 1);
      setenv("XDG_CONFIG_HOME", (mRoot / "config").c_str(), 1);
      setenv("XDG_RUNTIME_DIR", (mRoot / "run").c_str(), 1);
      setenv("TMPDIR", (mRoot / "tmp").c_str(), 1);
      unsetenv("TEMP");
      unsetenv("TMP");
      setenv("VELMORA_MIDI_API", midiApi, 1);
      for (std::string& assignment : mEnv)
        putenv(assignment.data());
      std::vector<char*> argv{const_cast<char*>(exe.c_str())};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(exe.c_str(), argv.data());
      _exit(127);
    }
  }
  // Exit code, or -1 when it did not end in time (then it is killed).
  int Wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (mPid > 0 && std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(mPid, &status, WNOHANG) == mPid) {
        mPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(20ms);
    }
    Kill();
    return -1;
  }
  void Signal(int sig) {
    if (mPid > 0) kill(mPid, sig);
  }
  bool WaitForLog(const std::string& text, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (Slurp(LogPath()).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

private:
  void Kill() {
    if (mPid > 0) {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
      mPid = -1;
    }
  }
  fs::path mRoot;
  pid_t mPid = -1;
  std::vector<std::string> mEnv;
};

// A command's standard output.
std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// The X window ids of windows with exactly this title, from the display's window tree; GTK's tiny
// hidden leader window (which carries the program's name too) is left out.
std::vector<std::string> WindowsTitled(const std::string& title) {
  std::vector<std::string> ids;
  std::istringstream tree(CommandOutput("xwininfo -root -tree 2>/dev/null"));
  const std::string quoted = " \"" + title + "\":";
  for (std::string line; std::getline(tree, line);) {
    const size_t at = line.find(quoted);
    if (at == std::string::npos)
      continue;
    const size_t start = line.find("0x");
    const size_t size = line.find(")  ", at);
    if (start == std::string::npos || start > at || size == std::string::npos)
      continue;
    if (std::atoi(line.c_str() + size + 3) <= 10)
      continue;
    ids.push_back(line.substr(start, at - start));
  }
  return ids;
}

template <typename F> bool WaitUntil(F&& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done())
      return true;
    std::this_thread::sleep_for(100ms);
  }
  return done();
}

class ProgramGuiTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    mRoot = fs::temp_directory_path() /
            ("vlm-program-" + std::to_string(getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(mRoot);
  }
  void TearDown() override { fs::remove_all(mRoot); }
  fs::path mRoot;
};

TEST_F(ProgramGuiTest, ScreenshotWritesTheEditorAreaAsPngAndExits) {
  ProgramProcess program(mRoot);
  const fs::path shot = mRoot / "shot.png";
  program.Start({"--screenshot", shot.string()});
  ASSERT_EQ(program.Wait(60s), 0);
  const std::string png = Slurp(shot);
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  auto be32 = [&](size_t at) {
    return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
           (uint32_t(uint8_t(png[at + 2])) << 8) | uint32_t(uint8_t(png[at + 3]));
  };
  EXPECT_EQ(be32(16), 1180u);
  EXPECT_EQ(be32(20), 760u);

  // The picture shows the editor's panels, not the page still waiting for its state: no single colour
  // fills most of it, and it has the many colours of drawn controls and text.
  int w = 0, h = 0, n = 0;
  unsigned char* pixels = stbi_load_from_memory(reinterpret_cast<const unsigned char*>(png.data()),
                                                int(png.size()), &w, &h, &n, 3);
  ASSERT_NE(pixels, nullptr);
  std::map<uint32_t, size_t> counts;
  for (size_t i = 0; i < size_t(w) * h; ++i)
    ++counts[(uint32_t(pixels[3 * i]) << 16) | (uint32_t(pixels[3 * i + 1]) << 8) | pixels[3 * i + 2]];
  stbi_image_free(pixels);
  size_t top = 0;
  for (const auto& [colour, count] : counts)
    top = std::max(top, count);
  EXPECT_LT(double(top) / (double(w) * h), 0.8) << "one colour fills the picture";
  EXPECT_GT(counts.size(), 300u) << "too few colours for a drawn editor";
}

TEST_F(ProgramGuiTest, SecondStartWakesTheFirstAndLeavesItsLogAlone) {
  ProgramProcess first(mRoot);
  first.Start({"--no-io"});
  ASSERT_TRUE(first.WaitForLog("ctor:", 30s));
  const std::string logBefore = Slurp(first.LogPath());
  // Same per-user folders, so the same instance lock. Each later start knocks and leaves at once,
  // however quickly the first one closes its end.
  for (int i = 0; i < 12; ++i) {
    ProgramProcess second(mRoot);
    second.Start({"--no-io"});
    ASSERT_EQ(second.Wait(20s), 0) << "start " << i;
  }
  EXPECT_FALSE(fs::exists(mRoot / "tmp" / "velmora-prev.log"));
  // The main window carries the program's icon.
  std::string icon;
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::vector<std::string> windows = WindowsTitled("Velmora");
        icon = windows.size() == 1
                   ? CommandOutput("xprop -id " + windows.front() + " _NET_WM_ICON 2>&1 | head -c 200")
                   : std::to_string(windows.size()) + " main windows";
        return icon.find("_NET_WM_ICON(CARDINAL) =") != std::string::npos;
      },
      20s))
      << icon;
  EXPECT_EQ(Slurp(first.LogPath()).substr(0, logBefore.size()), logBefore);
  first.Signal(SIGTERM);
  EXPECT_EQ(first.Wait(20s), 0);
}

// A JACK client that plays MIDI into the program and listens to its audio and its MIDI thru.
class JackProbe {
public:
  bool Open() {
    mClient = jack_client_open("vlmtest", JackNoStartServer, nullptr);
    if (!mClient) return false;
    mKeysA = jack_port_register(mClient, "a", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    mKeysB = jack_port_register(mClient, "b", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    mKeysC = jack_port_register(mClient, "c", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    mThru = jack_port_register(mClient, "thru", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    mLeft = jack_port_register(mClient, "left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(mClient, &JackProbe::Process, this);
    return jack_activate(mClient) == 0;
  }
  ~JackProbe() {
    if (mClient) {
      jack_deactivate(mClient);
      jack_client_close(mClient);
    }
  }
  // True once the ports are connected (also when they already were).
  bool Connect(const char* from, const char* to) {
    const int r = jack_connect(mClient, from, to);
    return r == 0 || r == EEXIST;
  }
  // Audio output ports of programs named Velmora ("Velmora", or "Velmora-01" when the name is taken).
  std::vector<std::string> ProgramOutputPorts() {
    std::vector<std::string> names;
    if (const char** ports = jack_get_ports(mClient, "^Velmora[^:]*:outport 0$", JACK_DEFAULT_AUDIO_TYPE, 0)) {
      for (const char** p = ports; *p; ++p) names.emplace_back(*p);
      jack_free(ports);
    }
    return names;
  }
  void Send(int port, std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> l(mLock);
    mOutgoing.push_back({port, std::move(bytes)});
  }
  double SumOfSquares() const { return mEnergy.load(); }
  jack_nframes_t BufferSize() const { return jack_get_buffer_size(mClient); }
  std::vector<std::vector<uint8_t>> Thru() {
    std::lock_guard<std::mutex> l(mLock);
    return mThruMessages;
  }

private:
  static int Process(jack_nframes_t n, void* self) { return static_cast<JackProbe*>(self)->Run(n); }
  int Run(jack_nframes_t n) {
    jack_port_t* outs[3] = {mKeysA, mKeysB, mKeysC};
    void* buffers[3];
    for (int i = 0; i < 3; ++i) {
      buffers[i] = jack_port_get_buffer(outs[i], n);
      jack_midi_clear_buffer(buffers[i]);
    }
    // The test thread only holds the lock briefly; a real-time client would use a ring.
    std::unique_lock<std::mutex> l(mLock, std::try_to_lock);
    if (l.owns_lock()) {
      for (auto& m : mOutgoing) jack_midi_event_write(buffers[m.port], 0, m.bytes.data(), m.bytes.size());
      mOutgoing.clear();
      void* thru = jack_port_get_buffer(mThru, n);
      for (uint32_t i = 0, c = jack_midi_get_event_count(thru); i < c; ++i) {
        jack_midi_event_t e;
        if (jack_midi_event_get(&e, thru, i) == 0) mThruMessages.emplace_back(e.buffer, e.buffer + e.size);
      }
    }
    const float* in = static_cast<const float*>(jack_port_get_buffer(mLeft, n));
    double sum = 0;
    for (jack_nframes_t i = 0; i < n; ++i) sum += double(in[i]) * in[i];
    mEnergy.store(mEnergy.load() + sum);
    return 0;
  }

  struct Outgoing {
    int port;
    std::vector<uint8_t> bytes;
  };
  jack_client_t* mClient = nullptr;
  jack_port_t *mKeysA = nullptr, *mKeysB = nullptr, *mKeysC = nullptr, *mThru = nullptr, *mLeft = nullptr;
  std::mutex mLock;
  std::vector<Outgoing> mOutgoing;
  std::vector<std::vector<uint8_t>> mThruMessages;
  std::atomic<double> mEnergy{0.0};
};

TEST_F(ProgramGuiTest, PlaysFromMergedJackInputsPassesThruAndQuitsOnSigterm) {
  JackProbe probe;
  if (!probe.Open()) GTEST_SKIP() << "no JACK server";
  ProgramProcess program(mRoot);
  program.WriteSettings("[audio]\ndriver=1\nindev=system\noutdev=system\nsr=48000\nbuffer=256\n"
                        "[midi]\nindev=vlmtest:a\tvlmtest:b\tvlmtest:missing\noutdev=vlmtest:thru\n");
  const std::vector<std::string> portsBefore = probe.ProgramOutputPorts();
  program.Start({});
  ASSERT_TRUE(program.WaitForLog("SelectMIDIInputs: 2/3 ports open", 60s)) << Slurp(program.LogPath());
  EXPECT_TRUE(program.WaitForLog("SelectMIDIInputs: 'vlmtest:missing' not found (skipped)", 1s));
  EXPECT_TRUE(program.WaitForLog("SelectMIDIDevice[out]: opened 'vlmtest:thru'", 1s));
  // Another test may run a program of the same name on the server: take the port that is new. A port
  // can go again while the program settles its streams, so finding and connecting are retried together.
  bool connected = false;
  for (int i = 0; i < 600 && !connected; ++i) {
    for (const std::string& port : probe.ProgramOutputPorts())
      if (std::find(portsBefore.begin(), portsBefore.end(), port) == portsBefore.end() &&
          probe.Connect(port.c_str(), "vlmtest:left")) {
        connected = true;
        break;
      }
    if (!connected)
      std::this_thread::sleep_for(50ms);
  }
  ASSERT_TRUE(connected) << Slurp(program.LogPath());

  // Sends a message until it comes back through thru: a busy machine may take a while before the
  // freshly connected ports carry data.
  auto sendUntilEchoed = [&](int port, std::vector<uint8_t> bytes) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      probe.Send(port, bytes);
      for (int i = 0; i < 10; ++i) {
        std::this_thread::sleep_for(50ms);
        for (const auto& m : probe.Thru())
          if (m == bytes) return true;
      }
    }
    return false;
  };
  std::this_thread::sleep_for(300ms);
  const double silence = probe.SumOfSquares();
  // A note from the first merged input; three bytes come back through thru.
  ASSERT_TRUE(sendUntilEchoed(0, {0x90, 60, 110}));
  std::this_thread::sleep_for(500ms);
  const double playing = probe.SumOfSquares() - silence;
  EXPECT_GT(playing, 1e-3) << "the note reached the outputs";
  // A program change from the second merged input comes back with its own two bytes.
  EXPECT_TRUE(sendUntilEchoed(1, {0xC0, 5}));
  probe.Send(0, {0x80, 60, 0});

  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(20s), 0);
}

// Connects an audio output of the program that was not there before it started to the probe's input;
// retried, since a port can go again while the program settles its stream.
bool ConnectProgramOutput(JackProbe& probe, const std::vector<std::string>& portsBefore) {
  for (int i = 0; i < 600; ++i) {
    for (const std::string& port : probe.ProgramOutputPorts())
      if (std::find(portsBefore.begin(), portsBefore.end(), port) == portsBefore.end() &&
          probe.Connect(port.c_str(), "vlmtest:left"))
        return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

// The energy that reaches the probe over a while after a note-on from its first MIDI port.
double EnergyOfANote(JackProbe& probe, uint8_t key) {
  const double before = probe.SumOfSquares();
  probe.Send(0, {0x90, key, 110});
  std::this_thread::sleep_for(700ms);
  const double energy = probe.SumOfSquares() - before;
  probe.Send(0, {0x80, key, 0});
  return energy;
}

// A JACK server has one rate: settings that stored another (44100 on this 48 kHz server) still give
// sound, and the server's rate is what settings.ini keeps.
TEST_F(ProgramGuiTest, JackPlaysAtTheServersRateWhateverRateWasStored) {
  JackProbe probe;
  if (!probe.Open())
    GTEST_SKIP() << "no JACK server";
  ProgramProcess program(mRoot);
  program.WriteSettings("[audio]\ndriver=1\nindev=system\noutdev=system\nsr=44100\nbuffer=512\n"
                        "[midi]\nindev=vlmtest:a\noutdev=off\n");
  const std::vector<std::string> portsBefore = probe.ProgramOutputPorts();
  program.Start({});
  ASSERT_TRUE(program.WaitForLog("SelectMIDIInputs: 1/1 ports open", 60s)) << Slurp(program.LogPath());
  ASSERT_TRUE(ConnectProgramOutput(probe, portsBefore)) << "no stream: " << Slurp(program.LogPath());
  std::this_thread::sleep_for(300ms);
  EXPECT_GT(EnergyOfANote(probe, 60), 1e-3) << Slurp(program.LogPath());
  const std::string settings = Slurp(mRoot / "data" / "Velmora" / "settings.ini");
  EXPECT_NE(settings.find("sr=48000\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find("buffer=256\n"), std::string::npos) << "the server's buffer size: " << settings;
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(20s), 0);
}

// The server changes its buffer size while the program plays: the program opens its stream again on its
// own and sound comes back without a visit to Preferences.
TEST_F(ProgramGuiTest, SoundComesBackAfterTheJackServerChangesItsBufferSize) {
  JackProbe probe;
  if (!probe.Open())
    GTEST_SKIP() << "no JACK server";
  const jack_nframes_t serverFrames = probe.BufferSize();
  struct RestoreBufferSize {
    jack_nframes_t frames;
    ~RestoreBufferSize() {
      std::system(("jack_bufsize " + std::to_string(frames) + " >/dev/null 2>&1").c_str());
    }
  } restore{serverFrames};
  ProgramProcess program(mRoot);
  program.WriteSettings("[audio]\ndriver=1\nindev=system\noutdev=system\nsr=48000\nbuffer=256\n"
                        "[midi]\nindev=vlmtest:a\noutdev=off\n");
  const std::vector<std::string> portsBefore = probe.ProgramOutputPorts();
  program.Start({});
  ASSERT_TRUE(program.WaitForLog("SelectMIDIInputs: 1/1 ports open", 60s)) << Slurp(program.LogPath());
  ASSERT_TRUE(ConnectProgramOutput(probe, portsBefore)) << Slurp(program.LogPath());
  std::this_thread::sleep_for(300ms);
  ASSERT_GT(EnergyOfANote(probe, 60), 1e-3) << Slurp(program.LogPath());

  const jack_nframes_t other = serverFrames == 512 ? 256 : 512;
  ASSERT_EQ(std::system(("jack_bufsize " + std::to_string(other) + " >/dev/null 2>&1").c_str()), 0);
  ASSERT_TRUE(program.WaitForLog("Audio stream reopened", 30s)) << Slurp(program.LogPath());
  // The new stream is a new client: connect its output again (a patchbay user would find it on the
  // system outputs, where the stream connects itself).
  ASSERT_TRUE(ConnectProgramOutput(probe, portsBefore));
  std::this_thread::sleep_for(300ms);
  EXPECT_GT(EnergyOfANote(probe, 64), 1e-3) << Slurp(program.LogPath());
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(20s), 0);
}

// A first start that finds no audio device tells the user over the main window, where File >
// Preferences is at hand.
TEST_F(ProgramGuiTest, NoAudioDeviceAtStartIsReportedOverTheMainWindow) {
  ProgramProcess program(mRoot);
  program.WriteSettings("[audio]\ndriver=1\noutdev=system\n[midi]\nindev=off\noutdev=off\n");
  program.SetEnv("JACK_DEFAULT_SERVER=vlm-no-such-server-" + std::to_string(getpid()));
  program.SetEnv("JACK_NO_START_SERVER=1");
  program.Start({});
  std::vector<std::string> boxes;
  ASSERT_TRUE(WaitUntil([&] { return !(boxes = WindowsTitled("Error")).empty(); }, 60s));
  const std::vector<std::string> mains = WindowsTitled("Velmora");
  ASSERT_EQ(mains.size(), 1u) << "the main window is there when the box shows";
  const std::string owner = CommandOutput("xprop -id " + boxes.front() + " WM_TRANSIENT_FOR");
  EXPECT_NE(owner.find("window id # " + mains.front()), std::string::npos) << owner;
}

} // namespace
