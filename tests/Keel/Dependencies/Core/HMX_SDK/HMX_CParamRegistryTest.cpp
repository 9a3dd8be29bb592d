// Parameter manager registration by ID and index, and the packet dispatcher's marks and posts.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CParamRegistry.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryTaperDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CPacketPoster.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CParameter.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VController.h"
#include "RecordingAutomation.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

HMX_IParameter* MakeSwitch(const char* id) {
  return new HMX_CParameter<bool>(id, HMX_CString("Switch"), false, HMX_CBinaryTaperDelegate<bool>(),
                                  HMX_CBinaryDisplayDelegate<bool>("off", "on"), true);
}

TEST(HMX_CParamRegistry, RegistersByIDAndIndexAndRefusesDuplicates) {
  RecordingAutomation automation;
  HMX_CParamRegistry registry;
  registry.SetAutomationDelegate(&automation);
  EXPECT_TRUE(registry.AddParameter(MakeSwitch("")));
  EXPECT_TRUE(registry.AddParameter(MakeSwitch("1")));
  EXPECT_TRUE(registry.AddParameter(MakeSwitch("10")));
  std::unique_ptr<HMX_IParameter> duplicate(MakeSwitch("1"));
  EXPECT_FALSE(registry.AddParameter(duplicate.get())); // the caller keeps it
  EXPECT_FALSE(registry.AddParameter(nullptr));
  EXPECT_EQ(registry.Count(), 3);
  EXPECT_EQ(automation.calls, (std::vector<std::string>{"register ", "register 1", "register 10"}));

  EXPECT_STREQ(registry.ParamAt(2)->ParameterID(), "10");
  EXPECT_EQ(registry.ParamAt(-1), nullptr);
  EXPECT_EQ(registry.ParamAt(3), nullptr);
  EXPECT_EQ(registry.ParamByID("1"), registry.ParamAt(1));
  EXPECT_EQ(registry.ParamByID(""), registry.ParamAt(0));
  EXPECT_EQ(registry.ParamByID("2"), nullptr);
  EXPECT_EQ(registry.ParamByID(nullptr), nullptr);
  EXPECT_EQ(registry.IndexOfID("10"), 2);
  EXPECT_EQ(registry.IndexOfID("x"), -1);
  EXPECT_EQ(registry.IndexOfID(nullptr), -1);

  automation.calls.clear();
  registry.RemoveAll();
  EXPECT_EQ(registry.Count(), 0);
  EXPECT_EQ(registry.ParamByID("1"), nullptr);
  EXPECT_EQ(automation.calls.size(), 3u); // each parameter unregisters as it goes
  automation.calls.clear();
  EXPECT_TRUE(registry.AddParameter(MakeSwitch("1")));
  EXPECT_EQ(automation.calls, (std::vector<std::string>{"register 1"})); // the same delegate as before
}

class RecordingController : public HMX_IHCFController {
public:
  HMX_Result QueryInterface(const HMX_GUID& iid, void** out) override {
    *out = iid == HMX_IID_Controller_V1 ? static_cast<HMX_IHCFController*>(this) : nullptr;
    return *out ? 0 : HMX_HCF_E_NOINTERFACE;
  }
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }
  HMX_Result PostFieldPacket(int32_t field, const void* data, uint32_t size) override {
    posts.push_back({field, std::vector<uint8_t>(static_cast<const uint8_t*>(data),
                                                 static_cast<const uint8_t*>(data) + size)});
    return 7;
  }
  std::vector<std::pair<int32_t, std::vector<uint8_t>>> posts;
};

class FillHandler : public HMX_IPacketHandler {
public:
  explicit FillHandler(uint8_t byte, HMX_Result answer = 0) : mByte(byte), mAnswer(answer) {}
  HMX_Result operator()(const char*, DispatchPacket& packet) override {
    for (auto& b : *packet.data)
      b = mByte;
    return mAnswer;
  }

private:
  uint8_t mByte;
  HMX_Result mAnswer;
};

TEST(HMX_CPacketPoster, EmptyTablesAnswerZeroAndPostNothing) {
  RecordingController host;
  HMX_VController controller(&host);
  HMX_CPacketPoster poster;
  poster.Attach(&controller, nullptr);
  EXPECT_EQ(poster.MarkDirty("1"), 0);
  EXPECT_EQ(poster.Dispatch(), 0);
  EXPECT_TRUE(host.posts.empty());
}

TEST(HMX_CPacketPoster, PostsOnlyDirtyPacketsWhoseHandlerFilledThem) {
  RecordingController host;
  HMX_VController controller(&host);
  HMX_CPacketPoster poster;
  poster.Attach(&controller, nullptr);
  poster.RegisterPacket(25, 2);
  poster.RegisterPacket(26, 1);
  poster.RegisterPacket(27, 0); // no data bytes: never posted
  ASSERT_TRUE(poster.RegisterHandler("a", 25, std::make_unique<FillHandler>(0xAB)));
  ASSERT_TRUE(poster.RegisterHandler("b", 26, std::make_unique<FillHandler>(0xCD, 1))); // declines
  ASSERT_TRUE(poster.RegisterHandler("c", 27, std::make_unique<FillHandler>(0)));
  EXPECT_FALSE(poster.RegisterHandler("d", 99, std::make_unique<FillHandler>(0)));
  poster.MarkDirty("a");
  poster.MarkDirty("b");
  poster.MarkDirty("c");
  EXPECT_EQ(poster.Dispatch(), 7);
  ASSERT_EQ(host.posts.size(), 1u);
  EXPECT_EQ(host.posts[0].first, 25);
  EXPECT_EQ(host.posts[0].second, (std::vector<uint8_t>{0xAB, 0xAB}));
  EXPECT_EQ(poster.Dispatch(), 0); // the marks were cleared
  EXPECT_EQ(host.posts.size(), 1u);
}

} // namespace
