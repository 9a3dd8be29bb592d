// The page's tagged messages: each branch's rules, and malformed or empty payloads that must never be fatal.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

#include "EditorTestSupport.h"
#include "processor/editor/BankStateText.h"
#include "processor/editor/EditorTags.h"

namespace {

using namespace editortest;
using nlohmann::json;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

class EditorMessages : public ::testing::Test {
protected:
  static void SetUpTestSuite() { rec = new RecordingProcessor; }
  static void TearDownTestSuite() {
    delete rec;
    rec = nullptr;
  }
  void SetUp() override {
    rec->Send(vlm::MsgTag::kBankState, "");
    rec->Clear();
  }
  static json OnlyJson(int tag) {
    const auto found = rec->Tagged(tag);
    EXPECT_EQ(1u, found.size());
    return found.empty() ? json() : json::parse(found[0].payload);
  }
  static inline RecordingProcessor* rec = nullptr;
};

TEST_F(EditorMessages, UnknownTagsAndShortResizePayloadsAreNotHandled) {
  const std::string before = LogText();
  EXPECT_FALSE(rec->Send(150, "x"));
  EXPECT_FALSE(rec->Send(vlm::MsgTag::kResizeEditor, std::string(7, '\0')));
  EXPECT_FALSE(rec->Send(vlm::MsgTag::kResizeEditor, ""));
  const std::string log = LogSince(before);
  EXPECT_NE(std::string::npos, log.find("] OnMessage[ResizeEditor]: bad payload (size=7)\n"));
  EXPECT_NE(std::string::npos, log.find("] OnMessage[ResizeEditor]: bad payload (size=0)\n"));
  EXPECT_TRUE(rec->scripts.empty());
}

TEST_F(EditorMessages, MalformedOrEmptyPayloadsAreHandledWithoutHarm) {
  const std::string junk[] = {"",
                              "{",
                              "not json",
                              "[]",
                              "null",
                              "\xff\xfe\x80",
                              std::string("{\"a\":\0}", 8),
                              R"({"type":7,"code":[],"keyCode":"x"})"};
  for (const int tag : {200, 205, 206, 212, 215, 218, 221}) {
    for (const std::string& payload : junk)
      EXPECT_TRUE(rec->Send(tag, payload)) << tag;
  }
  // Only a learn request that is JSON at all may be answered, and only by the learn messages.
  for (const std::string& script : rec->scripts) {
    Samfd m;
    ASSERT_TRUE(ParseSamfd(script, m)) << script;
    EXPECT_TRUE(m.tag == vlm::MsgTag::kMidiLearnState || m.tag == vlm::MsgTag::kMidiLearnActionResult)
        << m.tag;
  }
}

TEST_F(EditorMessages, BankStateIsKeptAsSentAndMovesOnlyTheHeightLimit) {
  const int width = rec->processor->GetEditorWidth();
  const int height = rec->processor->GetEditorHeight();
  const std::string expanded = R"({"expandedTones":true,"patch":{"name":"Strings"}})";
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kBankState, expanded));
  EXPECT_EQ(expanded, rec->processor->GetBankStateJson());
  EXPECT_TRUE(rec->processor->IsExpandedTones());
  EXPECT_EQ(1000, rec->processor->GetMinHeight());
  EXPECT_EQ(910, rec->processor->GetMinWidth());
  EXPECT_EQ(width, rec->processor->GetEditorWidth()); // no resize of its own
  EXPECT_EQ(height, rec->processor->GetEditorHeight());

  // Text that is not JSON is still the page's state; it just is not expanded.
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kBankState, "{broken"));
  EXPECT_EQ("{broken", rec->processor->GetBankStateJson());
  EXPECT_EQ(650, rec->processor->GetMinHeight());

  ASSERT_TRUE(rec->Send(vlm::MsgTag::kBankState, expanded));
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kBankState, ""));
  EXPECT_EQ("", rec->processor->GetBankStateJson());
  EXPECT_FALSE(rec->processor->IsExpandedTones());
  EXPECT_EQ(650, rec->processor->GetMinHeight());
  EXPECT_TRUE(rec->scripts.empty());
}

TEST_F(EditorMessages, ExpandedTonesIsReadOnlyFromATrueBoolean) {
  EXPECT_TRUE(vlm::ReadExpandedTonesFlag(R"({"expandedTones":true})"));
  for (const char* text : {R"({"expandedTones":false})", R"({"expandedTones":"true"})",
                           R"({"expandedTones":1})", R"([true])", "", "{", R"({"other":true})"})
    EXPECT_FALSE(vlm::ReadExpandedTonesFlag(text)) << text;
}

TEST_F(EditorMessages, OnlyExactHttpAndHttpsAddressesMayOpen) {
  for (const char* refused :
       {"ftp://example.org/", "HTTPS://example.org/", "Http://example.org/", "file:///etc/passwd",
        "mailto:someone@example.org", "javascript:alert(1)", " https://example.org/"}) {
    const std::string before = LogText();
    EXPECT_TRUE(rec->Send(vlm::MsgTag::kOpenUrl, refused));
    EXPECT_NE(std::string::npos, LogSince(before).find("] OnMessage[OpenUrl]: rejected non-http(s) url\n"))
        << refused;
  }
  // A NUL would cut the address another program receives: refused as well.
  const std::string before = LogText();
  EXPECT_TRUE(rec->Send(vlm::MsgTag::kOpenUrl, std::string("https://a\0file:///x", 19)));
  EXPECT_NE(std::string::npos, LogSince(before).find("rejected non-http(s) url"));
}

TEST_F(EditorMessages, TheManualIsLookedUpByLanguage) {
  for (const auto& [payload, name] : {std::pair<std::string, std::string>{"ja", "Velmora-Manual-ja.pdf"},
                                      {"jp", "Velmora-Manual-en.pdf"},
                                      {"", "Velmora-Manual-en.pdf"},
                                      {"en", "Velmora-Manual-en.pdf"},
                                      {"j", "Velmora-Manual-en.pdf"}}) {
    const std::string before = LogText();
    EXPECT_TRUE(rec->Send(vlm::MsgTag::kOpenManualPdf, payload));
    EXPECT_NE(std::string::npos,
              LogSince(before).find("] OnMessage[OpenManualPdf]: manual PDF not found (" + name + ")\n"))
        << payload;
  }
}

TEST_F(EditorMessages, PresetActionsWithoutAPayloadOrAFileAnswerWithAnError) {
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kPresetAction, ""));
  EXPECT_EQ(
      json::parse(R"({"operation":"unknown","status":"error","message":"Preset action payload is empty"})"),
      OnlyJson(vlm::MsgTag::kPresetActionResult));
  rec->Clear();

  ASSERT_TRUE(rec->Send(vlm::MsgTag::kPresetAction, R"({"operation":"loadPatch","path":"a.80p"})"));
  json answer = OnlyJson(vlm::MsgTag::kPresetActionResult);
  EXPECT_EQ("loadPatch", answer["operation"]);
  EXPECT_EQ("error", answer["status"]);
  rec->Clear();
}

TEST_F(EditorMessages, StatusRepliesCarryAMessageOnlyWhenThereIsOne) {
  EXPECT_EQ(json::parse(R"({"op":"load","status":"cancel"})"),
            Velmora::SendStatusReplyJson("load", "cancel", ""));
  EXPECT_EQ(json::parse(R"({"op":"save","status":"error","message":"disk full"})"),
            Velmora::SendStatusReplyJson("save", "error", "disk full"));
}

TEST_F(EditorMessages, JsonForThePageIsCompactUtf8AndNeverThrowsOnBadFileNames) {
  json value = {{"name", "Größe"}, {"path", std::string("bad\xff\xfe.80p")}, {"n", 1.5}};
  ASSERT_NO_THROW(rec->processor->SendJsonToUI(204, value));
  const auto sent = rec->Tagged(204);
  ASSERT_EQ(1u, sent.size());
  EXPECT_EQ("{\"n\":1.5,\"name\":\"Größe\",\"path\":\"bad\xEF\xBF\xBD\xEF\xBF\xBD.80p\"}", sent[0].payload);
}

TEST_F(EditorMessages, PreferencesKeepTheLastValidObject) {
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kUIPrefs, R"({ "lang" : "en", "knobMode":"pickup" })"));
  EXPECT_EQ(R"({"knobMode":"pickup","lang":"en"})", rec->processor->GetUIPrefsText());
  const std::string before = LogText();
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kUIPrefs, "[]"));
  EXPECT_NE(std::string::npos, LogSince(before).find("] UIPrefs: ignoring malformed payload (2 bytes)\n"));
  EXPECT_EQ(R"({"knobMode":"pickup","lang":"en"})", rec->processor->GetUIPrefsText());
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kUIPrefs, ""));
  EXPECT_EQ("", rec->processor->GetUIPrefsText());
}

TEST_F(EditorMessages, AClipboardReadIsAlwaysAnsweredEvenWithoutAClipboard) {
  // No display in this test: the clipboard holds nothing, and the page still hears back at once.
  ASSERT_TRUE(rec->Send(vlm::MsgTag::kClipboardReadRequest, ""));
  ASSERT_EQ(1u, rec->scripts.size());
  EXPECT_EQ("SAMFD(217, 0, '')", rec->scripts[0]);
}

} // namespace
