// The initial state the page receives after loading and on every RequestInit: the scripts, their order and
// their exact texts, recorded from the processor's script path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "processor/editor/EditorTags.h"

namespace {

using namespace editortest;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

constexpr const char* kViewportProbe =
    "JSON.stringify({iw: window.innerWidth,ih: window.innerHeight,dpr: window.devicePixelRatio,docW: "
    "document.documentElement.scrollWidth,docH: document.documentElement.scrollHeight,bodyW: document.body ? "
    "document.body.scrollWidth : -1,bodyH: document.body ? document.body.scrollHeight : -1,ua: "
    "navigator.userAgent})";

// The tags of the SAMFD calls after the real values, in order: the steps that other code adds (library,
// port list, learn state) may be present, but only in their fixed places.
std::vector<int> TagsAfterRealValues(const std::vector<std::string>& scripts) {
  std::vector<int> tags;
  for (size_t i = 381; i + 1 < scripts.size(); ++i) {
    Samfd m;
    EXPECT_TRUE(ParseSamfd(scripts[i], m)) << scripts[i];
    tags.push_back(m.tag);
  }
  return tags;
}

bool InFixedOrder(const std::vector<int>& tags) {
  const std::vector<int> order = {201, 204, 205, 208, 219};
  size_t at = 0;
  for (int tag : tags) {
    while (at < order.size() && order[at] != tag)
      ++at;
    if (at == order.size())
      return false;
    ++at;
  }
  return true;
}

class EditorInitialState : public ::testing::Test {
protected:
  static void SetUpTestSuite() { rec = new RecordingProcessor; }
  static void TearDownTestSuite() {
    delete rec;
    rec = nullptr;
  }
  void SetUp() override {
    rec->Send(vlm::MsgTag::kBankState, "");
    rec->Send(vlm::MsgTag::kUIPrefs, "");
    rec->Clear();
  }
  static inline RecordingProcessor* rec = nullptr;
};

TEST_F(EditorInitialState, ComesInItsFixedOrderWithExactTexts) {
  const std::string before = LogText();
  rec->processor->OnWebContentLoaded();
  const auto& s = rec->scripts;
  // Schema, 378 normalized values, variant, real values, ..., and the viewport probe last.
  ASSERT_GE(s.size(), 1u + 378u + 1u + 1u + 1u);
  Samfd schema;
  ASSERT_TRUE(ParseSamfd(s[0], schema));
  EXPECT_EQ(-1, schema.tag);
  EXPECT_EQ(0u, schema.payload.rfind("{\"id\":\"params\",\"params\":[", 0));
  for (int i = 0; i < 378; ++i)
    ASSERT_EQ(0u, s[1 + i].rfind("SPVFD(" + std::to_string(i) + ", ", 0)) << s[1 + i];
  EXPECT_EQ("SAMFD(211, 9, 'c3ludGg=')", s[379]);

  Samfd real;
  ASSERT_TRUE(ParseSamfd(s[380], real));
  EXPECT_EQ(207, real.tag);
  EXPECT_EQ(6049, real.length); // 4536 bytes as base64, plus one
  ASSERT_EQ(4536u, real.payload.size());
  for (int i = 0; i < 378; ++i) {
    std::int32_t index = 0;
    double value = 0.0;
    std::memcpy(&index, real.payload.data() + 12 * i, 4);
    std::memcpy(&value, real.payload.data() + 12 * i + 4, 8);
    ASSERT_EQ(i, index);
    ASSERT_EQ(rec->processor->GetParam(i)->Value(), value) << i;
  }
  EXPECT_EQ(kViewportProbe, s.back());
  // Nothing stored yet: no bank state and no preferences go out.
  const std::vector<int> tags = TagsAfterRealValues(s);
  EXPECT_TRUE(InFixedOrder(tags));
  EXPECT_EQ(std::count(tags.begin(), tags.end(), 201), 0);
  EXPECT_EQ(std::count(tags.begin(), tags.end(), 205), 0);

  const std::string log = LogSince(before);
  const size_t loaded = log.find("] OnWebContentLoaded\n");
  const size_t bank = log.find("] BankStateRestore skipped (empty)\n");
  const size_t prefs = log.find("] UIPrefs: no preferences file yet\n");
  ASSERT_NE(std::string::npos, loaded);
  ASSERT_NE(std::string::npos, bank);
  ASSERT_NE(std::string::npos, prefs);
  EXPECT_LT(loaded, bank);
  EXPECT_LT(bank, prefs);
}

TEST_F(EditorInitialState, CarriesTheStoredBankStateAndPreferencesAndRepeatsIdentically) {
  const std::string bank = R"({"expandedTones":false,"patch":{"name":"Brass","path":null}})";
  const std::string prefs = R"({"knobMode":"jump","lang":"ja"})";
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kBankState, bank));
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kUIPrefs, prefs));
  ASSERT_TRUE(rec->scripts.empty()); // storing answers nothing

  const std::string before = LogText();
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kRequestInit, ""));
  const auto first = rec->scripts;
  rec->Clear();
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kRequestInit, ""));
  EXPECT_EQ(first, rec->scripts);

  EXPECT_TRUE(InFixedOrder(TagsAfterRealValues(first)));
  const auto restore = rec->Tagged(201);
  const auto sentPrefs = rec->Tagged(205);
  ASSERT_EQ(1u, restore.size());
  ASSERT_EQ(1u, sentPrefs.size());
  EXPECT_EQ(bank, restore[0].payload);
  EXPECT_EQ(prefs, sentPrefs[0].payload);
  EXPECT_EQ(kViewportProbe, first.back());

  const std::string log = LogSince(before);
  EXPECT_NE(std::string::npos, log.find("] OnMessage[RequestInit]: re-sending initial state to UI\n"));
  EXPECT_NE(std::string::npos,
            log.find("] BankStateRestore sent: " + std::to_string(bank.size()) + " bytes\n"));
  EXPECT_NE(std::string::npos, log.find("] UIPrefs sent: " + std::to_string(prefs.size()) + " bytes\n"));
}

TEST_F(EditorInitialState, TheViewportProbeOnlyFeedsTheLog) {
  rec->processor->SendInitialStateToUI();
  ASSERT_FALSE(rec->answers.empty());
  auto& probe = rec->answers.back();
  ASSERT_TRUE(probe);
  const std::string before = LogText();
  const size_t sent = rec->scripts.size();
  probe(R"("{\"iw\":1180,\"ih\":760}")");
  probe(nullptr);
  const std::string log = LogSince(before);
  EXPECT_NE(std::string::npos, log.find(R"(] Viewport: "{\"iw\":1180,\"ih\":760}")"));
  EXPECT_NE(std::string::npos, log.find("] Viewport: (null)\n"));
  EXPECT_EQ(sent, rec->scripts.size()); // nothing goes back to the page
}

} // namespace
