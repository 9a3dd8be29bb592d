// The real program end to end, under a virtual display and a JACK server with the dummy driver:
// screenshot mode, the single-instance rule, MIDI in (merged) and thru, sound at the outputs, SIGTERM.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
};

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
}

TEST_F(ProgramGuiTest, SecondStartWakesTheFirstAndLeavesItsLogAlone) {
  ProgramProcess first(mRoot);
  first.Start({"--no-io"});
  ASSERT_TRUE(first.WaitForLog("ctor:", 30s));
  const std::string logBefore = Slurp(first.LogPath());
  ProgramProcess second(mRoot); // same per-user folders, so the same instance lock
  second.Start({"--no-io"});
  EXPECT_EQ(second.Wait(20s), 0);
  EXPECT_FALSE(fs::exists(mRoot / "tmp" / "velmora-prev.log"));
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

} // namespace
