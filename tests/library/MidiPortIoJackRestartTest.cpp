// The MKS-80 port pair across a JACK server restart, on a private server of this test: the clients of
// the dead server are let go, the chosen ports open again on the new one, and nothing crashes at the
// end. The pair runs in a child process, so that a crash fails this test and nothing else.
#include "library/MidiPortIo.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;

pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    return -1;
  return pid;
}

pid_t StartServer(const std::string& name) {
  return Spawn({"jackd", "--no-realtime", "-n", name, "-d", "dummy", "-r", "48000", "-p", "256"});
}

bool WaitForServer(const std::string& name) {
  for (int i = 0; i < 100; ++i) {
    const pid_t lsp = Spawn({"sh", "-c", "jack_lsp -s '" + name + "' >/dev/null 2>&1"});
    int status = 0;
    if (lsp > 0 && waitpid(lsp, &status, 0) == lsp && WIFEXITED(status) && WEXITSTATUS(status) == 0)
      return true;
    std::this_thread::sleep_for(100ms);
  }
  return false;
}

void StopServer(pid_t server) {
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
}

// A stand-in for the MKS-80's interface: one port each way under a fixed client name.
jack_client_t* OpenMksClient() {
  jack_client_t* client = jack_client_open("vlmmks", JackNoStartServer, nullptr);
  if (!client)
    return nullptr;
  jack_port_register(client, "from-mks", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  jack_port_register(client, "to-mks", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  jack_activate(client);
  return client;
}

// Exit codes of the child: 0 all well, others name the step that failed.
int RunAcrossRestart(const std::string& serverName, int reportFd) {
  pid_t server = StartServer(serverName);
  (void)!write(reportFd, &server, sizeof server);
  if (server < 0 || !WaitForServer(serverName))
    return 2;
  jack_client_t* mks = OpenMksClient();
  if (!mks)
    return 3;
  {
    vlm::MidiPortIo io;
    if (!io.OpenIn("vlmmks:from-mks") || !io.OpenOut("vlmmks:to-mks"))
      return 4;
    StopServer(server);
    server = StartServer(serverName);
    (void)!write(reportFd, &server, sizeof server);
    if (server < 0 || !WaitForServer(serverName))
      return 5;
    // The old stand-in died with its server and is let go the same way; the new one is a client of the
    // new server, the state in which closing an old client crashes.
    mks = OpenMksClient();
    if (!mks)
      return 6;
    vlm::AbandonMidiPortClients();
    vlm::ReopenMidiPorts();
    if (!io.IsInOpen() || !io.IsOutOpen() || io.InName() != "vlmmks:from-mks" ||
        io.OutName() != "vlmmks:to-mks")
      return 7;
  }
  jack_deactivate(mks);
  jack_client_close(mks);
  StopServer(server);
  return 0;
}

TEST(MidiPortIoJackRestart, ClientsOfADeadServerAreLetGoAndThePortsOpenAgain) {
  const std::string serverName = "vlm-mp-restart-" + std::to_string(getpid());
  int report[2];
  ASSERT_EQ(pipe2(report, O_CLOEXEC), 0); // the servers must not hold it open
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(report[0]);
    setenv("JACK_DEFAULT_SERVER", serverName.c_str(), 1);
    setenv("VELMORA_MIDI_API", "jack", 1);
    const int code = RunAcrossRestart(serverName, report[1]);
    std::fflush(nullptr);
    _exit(code);
  }
  close(report[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  // A server the child left behind (it crashed or failed midway) is stopped here.
  pid_t server = -1;
  for (pid_t p; read(report[0], &p, sizeof p) == sizeof p;)
    server = p;
  close(report[0]);
  if (server > 0 && kill(server, 0) == 0)
    StopServer(server);
  ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal "
                                 << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "failed at step " << WEXITSTATUS(status);
}

} // namespace
