// The processor as the plug-in module builds it: what its sends to the MKS-80 leave through the host's
// real-time call.
#include "processor/Velmora.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

struct Posted {
  std::vector<keel::HMX_MIDIPacket> packets;
  static HMX_Result Post(void* self, const keel::HMX_MIDIPacket& packet) {
    static_cast<Posted*>(self)->packets.push_back(packet);
    return HMX_SUCCESS;
  }
  // Complete system-exclusive messages among the packets.
  int SysExMessages() const {
    int count = 0;
    for (const keel::HMX_MIDIPacket& p : packets)
      for (uint32_t i = 0; i < p.length; ++i)
        count += p.data[i] == 0xF7;
    return count;
  }
};

class VelmoraPluginTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    const auto home = std::filesystem::temp_directory_path() / "vlm-plugin-processor-test";
    std::filesystem::create_directories(home / "tmp");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("TMPDIR", (home / "tmp").c_str(), 1);
    processor.reset(CreatePluginInstance(keel::InstanceInfo{}));
  }
  static void TearDownTestSuite() { processor.reset(); }

  // One real-time block with a MIDI output node; answers what was posted.
  Posted RenderWithOutput(int frames = 64) {
    Posted posted;
    keel::HMX_MIDINode out;
    out.hostData = &posted;
    out.post = &Posted::Post;
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    float* outputs[2] = {left.data(), right.data()};
    int32_t length = frames;
    keel::HMX_InstanceContext context;
    context.fields[keel::kFieldAudioOutput] = outputs;
    context.fields[keel::kFieldBufferLength] = &length;
    context.fields[keel::kFieldOutputMIDI] = &out;
    processor->RenderBlock(context, nullptr, 0);
    return posted;
  }

  static inline std::unique_ptr<Velmora> processor;
};

TEST_F(VelmoraPluginTest, PatchSendLeavesWholeThroughTheHost) {
  RenderWithOutput(); // nothing left from before
  EXPECT_EQ(processor->SendCurrentPatchToDevice(), 5);
  EXPECT_EQ(processor->SendCurrentPatchToDevice(), 5);
  EXPECT_EQ(RenderWithOutput().SysExMessages(), 10);
}

TEST_F(VelmoraPluginTest, PatchSendCountsOnlyTheMessagesTheQueueTook) {
  RenderWithOutput();
  int accepted = 0;
  for (int i = 0; i < 100; ++i)
    accepted += processor->SendCurrentPatchToDevice();
  EXPECT_LT(accepted, 500); // the queue is bounded
  EXPECT_EQ(RenderWithOutput().SysExMessages(), accepted);
}

} // namespace
