// The module with a host's threads at once: one renders in real time while another sets parameters and
// saves and compares the state, as automation and a project save do. Meant for ThreadSanitizer.
#include "LoadedModule.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace {

TEST(HMXModuleThreadTest, HostThreadSetsParametersAndSavesWhileTheRealTimeCallRenders) {
  if (const char* home = std::getenv("VLM_TEST_HOME"))
    std::filesystem::create_directories(std::filesystem::path(home) / "tmp");
  plugintest::LoadedModule loaded;
  auto instance = loaded.NewInstance(256);
  ASSERT_NE(instance, nullptr);

  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::thread realTime([&] {
    std::vector<keel::HMX_MIDIPacket> midi(1);
    midi[0].length = 3;
    for (int b = 0; !stop.load(); ++b) {
      midi[0].data[0] = b % 2 ? 0x80 : 0x90;
      midi[0].data[1] = uint8_t(48 + b % 24);
      midi[0].data[2] = 100;
      instance->Render(midi);
      blocks.fetch_add(1);
    }
  });

  std::string error;
  int saves = 0;
  for (int round = 0; round < 40; ++round) {
    // A sound parameter, the master bypass (empty ID) and a controller assignment.
    instance->Effect()->UpdateParamFromHost("10", (round % 10) / 10.0, 0);
    instance->Effect()->UpdateParamFromHost("", round % 3 == 0 ? 1.0 : 0.0, 0);
    instance->Effect()->UpdateParamFromHost("371", (round % 2) ? 1.0 : 0.0, 0);
    instance->Effect()->FlushParamUpdates();
    const std::vector<uint8_t> saved = instance->SaveState(error);
    if (!saved.empty()) {
      ++saves;
      bool equal = false;
      instance->Effect()->CompareActiveChunk(reinterpret_cast<const PlugInChunk*>(saved.data()), &equal);
    }
  }
  while (blocks.load() < 20)
    std::this_thread::yield();
  stop.store(true);
  realTime.join();
  EXPECT_EQ(saves, 40) << error;
  EXPECT_GT(blocks.load(), 0);
}

} // namespace
