// Wire protocol of the web-view editor delegate: script texts, parameter descriptions, page-message parsing.
#include "Keel/Core/WebViewEditorDelegate.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "Keel/Core/Base64.h"
#include "Keel/Core/CommaDecimalLocale.h"

namespace {

using keel::KeyPressRecord;
using keel::MidiMsg;
using keel::ParamSource;

// Records every script and every hook the page messages reach.
class RecordingDelegate : public keel::WebViewEditorDelegate {
public:
  explicit RecordingDelegate(int nParams) : WebViewEditorDelegate(nParams) {}

  void EvaluateJavaScript(const char* script, std::function<void(const char*)>) override {
    scripts.push_back(script);
  }
  void BeginParamChangeFromUI(int paramIdx) override {
    events.push_back("begin " + std::to_string(paramIdx));
  }
  void EndParamChangeFromUI(int paramIdx) override { events.push_back("end " + std::to_string(paramIdx)); }
  void OnParamChangeUI(int paramIdx, ParamSource source) override {
    events.push_back("ui " + std::to_string(paramIdx) + " " + keel::ParamSourceText(source));
  }
  void OnParamChange(int paramIdx, ParamSource source, int offset) override {
    events.push_back("change " + std::to_string(paramIdx) + " " + keel::ParamSourceText(source) + " " +
                     std::to_string(offset));
  }
  void SendArbitraryMsgFromUI(int msgTag, int ctrlTag, int dataSize, const void* data) override {
    events.push_back("arbitrary " + std::to_string(msgTag) + " " + std::to_string(ctrlTag) + " " +
                     std::to_string(dataSize));
    lastData.assign(static_cast<const unsigned char*>(data),
                    static_cast<const unsigned char*>(data) + dataSize);
    lastDataWasNull = data == nullptr;
  }
  void SendMidiMsgFromUI(const MidiMsg& m) override {
    events.push_back("midi " + std::to_string(m.offset) + " " + std::to_string(m.status) + " " +
                     std::to_string(m.data1) + " " + std::to_string(m.data2));
  }
  bool OnKeyDown(const KeyPressRecord& k) override {
    keys.push_back(k);
    events.push_back("keydown " + std::to_string(k.VK));
    return WebViewEditorDelegate::OnKeyDown(k);
  }
  bool OnKeyUp(const KeyPressRecord& k) override {
    keys.push_back(k);
    events.push_back("keyup " + std::to_string(k.VK));
    return WebViewEditorDelegate::OnKeyUp(k);
  }

  std::vector<std::string> scripts;
  std::vector<std::string> events;
  std::vector<KeyPressRecord> keys;
  std::vector<unsigned char> lastData;
  bool lastDataWasNull = false;
};

std::string Base64Of(const std::string& bytes) {
  std::string out(static_cast<size_t>(keel::Base64EncodedBufferSize(static_cast<int>(bytes.size()))), '\0');
  keel::Base64EncodeToBuffer(bytes.data(), out.data(), static_cast<int>(bytes.size()));
  out.resize(out.find('\0'));
  return out;
}

TEST(WebViewEditorDelegate, ScriptCallsHaveTheirExactTexts) {
  RecordingDelegate d(4);
  d.GetParam(1)->InitDouble("Cutoff", 0.0, 0.0, 10.0, 0.01);
  const unsigned char bytes[3] = {1, 2, 3};

  d.SendParameterValueFromDelegate(3, 0.25, true);
  d.SendParameterValueFromDelegate(1, 2.5, false); // real value, normalized first
  d.SendControlValueFromDelegate(5, -0.5);
  d.SendControlMsgFromDelegate(2, 7, 3, bytes);
  d.SendArbitraryMsgFromDelegate(204, 3, bytes);
  d.SendArbitraryMsgFromDelegate(9, 0, nullptr);
  d.SendMidiMsgFromDelegate(MidiMsg(12, 0x90, 60, 100));

  const std::vector<std::string> expected = {
      "SPVFD(3, 0.250000)",    "SPVFD(1, 0.250000)", "SCVFD(5, -0.500000)", "SCMFD(2, 7, 3, 'AQID')",
      "SAMFD(204, 5, 'AQID')", "SAMFD(9, 0, '')",    "SMMFD(144, 60, 100)",
  };
  EXPECT_EQ(d.scripts, expected);
}

TEST(WebViewEditorDelegate, NumbersInScriptsIgnoreTheUsersLocale) {
  keeltest::CommaDecimalLocale locale;
  if (!locale.Enter())
    GTEST_SKIP() << "no locale with a decimal comma";
  RecordingDelegate d(1);
  d.SendParameterValueFromDelegate(0, 0.125, true);
  ASSERT_EQ(d.scripts.size(), 1u);
  EXPECT_EQ(d.scripts[0], "SPVFD(0, 0.125000)");
}

TEST(WebViewEditorDelegate, ScriptsLongerThanTheInitialRoomAreSentWhole) {
  RecordingDelegate d(1);
  ASSERT_EQ(d.GetMaxJSStringLength(), 8192);
  const std::string payload(9000, 'x'); // 12000 base64 characters
  d.SendArbitraryMsgFromDelegate(204, static_cast<int>(payload.size()), payload.data());
  ASSERT_EQ(d.scripts.size(), 1u);
  const std::string expected = "SAMFD(204, 12001, '" + Base64Of(payload) + "')";
  EXPECT_EQ(d.scripts[0], expected);
}

TEST(WebViewEditorDelegate, ContentLoadedSendsDescriptionsThenEveryValue) {
  RecordingDelegate d(2);
  d.GetParam(0)->InitDouble("Gain", 0.5, 0.0, 1.0, 0.01);
  d.GetParam(1)->InitEnum("Mode", 1, {"A", "B", "C"});
  d.OnWebContentLoaded();

  const std::string json =
      "{\"id\":\"params\",\"params\":["
      "{\"default\":0.5,\"display_type\":0,\"id\":0,\"max\":1.0,\"min\":0.0,\"name\":\"Gain\","
      "\"rate\":\"control\",\"type\":\"float\"},"
      "{\"default\":1.0,\"display_type\":0,\"id\":1,\"max\":2.0,\"min\":0.0,\"name\":\"Mode\","
      "\"rate\":\"control\",\"type\":\"enum\"}]}";
  EXPECT_EQ(d.MakeParamDescriptionsMessage(), json);
  ASSERT_EQ(d.scripts.size(), 3u);
  EXPECT_EQ(d.scripts[0], "SAMFD(-1, " +
                              std::to_string(keel::Base64EncodedBufferSize(static_cast<int>(json.size()))) +
                              ", '" + Base64Of(json) + "')");
  EXPECT_EQ(d.scripts[1], "SPVFD(0, 0.500000)");
  EXPECT_EQ(d.scripts[2], "SPVFD(1, 0.500000)");
}

TEST(WebViewEditorDelegate, PageMessagesReachTheirHooks) {
  RecordingDelegate d(4);
  d.GetParam(2)->InitDouble("Level", 0.0, 0.0, 10.0, 0.1);
  const struct {
    const char* message;
    const char* event;
  } cases[] = {
      {R"({"msg":"SPVFUI","paramIdx":2,"value":0.5})", "ui 2 UI"},
      {R"({"msg":"BPCFUI","paramIdx":3})", "begin 3"},
      {R"({"msg":"EPCFUI","paramIdx":0})", "end 0"},
      {R"({"msg":"SAMFUI","msgTag":204,"ctrlTag":-1,"data":"AQID"})", "arbitrary 204 -1 3"},
      {R"({"msg":"SAMFUI","msgTag":7,"ctrlTag":3})", "arbitrary 7 3 0"},
      {R"({"msg":"SMMFUI","statusByte":176,"dataByte1":7,"dataByte2":127})", "midi 0 176 7 127"},
      {R"({"msg":"SKPFUI","keyCode":97,"utf8":"1","S":false,"C":false,"A":false,"isUp":false})",
       "keydown 49"},
      {R"({"msg":"SKPFUI","keyCode":186,"utf8":";","S":true,"C":false,"A":false,"isUp":true})", "keyup 0"},
      {R"({"msg":"SKPFUI","keyCode":65.0,"utf8":"a","S":false,"C":true,"A":false,"isUp":false})",
       "keydown 65"},
      {R"({"msg":"SKPFUI","keyCode":true,"utf8":"","S":false,"C":false,"A":true,"isUp":true})", "keyup 0"},
  };
  for (const auto& c : cases) {
    d.events.clear();
    d.OnMessageFromWebView(c.message);
    ASSERT_EQ(d.events.size(), 1u) << c.message;
    EXPECT_EQ(d.events[0], c.event) << c.message;
  }
  EXPECT_DOUBLE_EQ(d.GetParam(2)->Value(), 5.0);
}

TEST(WebViewEditorDelegate, OnlyTheEditorsOwnPageMayBeShown) {
  RecordingDelegate d(1);
  EXPECT_TRUE(d.CanNavigateToUrl("keel://editor.keel.invalid/index.html"));
  for (const char* url : {"https://example.com/", "file:///etc/passwd", "about:blank", "data:text/html,x", ""})
    EXPECT_FALSE(d.CanNavigateToUrl(url)) << url;
}

TEST(WebViewEditorDelegate, MalformedPageMessagesAreIgnored) {
  RecordingDelegate d(4);
  const char* malformed[] = {
      "",
      "not json",
      "{\"msg\":\"SPVFUI\",\"paramIdx\":1,",
      "[1,2,3]",
      "\"SPVFUI\"",
      R"({"paramIdx":1,"value":0.5})",
      R"({"msg":12})",
      R"({"msg":"XYZ","paramIdx":1})",
      R"({"msg":"SPVFUI","paramIdx":4,"value":0.5})",
      R"({"msg":"SPVFUI","paramIdx":-1,"value":0.5})",
      R"({"msg":"SPVFUI","paramIdx":"1","value":0.5})",
      R"({"msg":"SPVFUI","paramIdx":1.5,"value":0.5})",
      R"({"msg":"SPVFUI","paramIdx":1,"value":"0.5"})",
      R"({"msg":"SPVFUI","paramIdx":1})",
      R"({"msg":"SPVFUI","paramIdx":99999999999,"value":0.5})",
      R"({"msg":"BPCFUI"})",
      R"({"msg":"EPCFUI","paramIdx":null})",
      R"({"msg":"SAMFUI","ctrlTag":1,"data":"AQID"})",
      R"({"msg":"SAMFUI","msgTag":"1","ctrlTag":1})",
      R"({"msg":"SMMFUI","statusByte":300,"dataByte1":0,"dataByte2":0})",
      R"({"msg":"SMMFUI","statusByte":144,"dataByte1":-1,"dataByte2":0})",
      R"({"msg":"SMMFUI","statusByte":144,"dataByte1":60})",
      R"({"msg":"SKPFUI","keyCode":65,"utf8":"a","S":false,"C":false,"A":false})",
      R"({"msg":"SKPFUI","keyCode":"65","utf8":"a","S":false,"C":false,"A":false,"isUp":false})",
      R"({"msg":"SKPFUI","keyCode":1e300,"utf8":"a","S":false,"C":false,"A":false,"isUp":false})",
      R"({"msg":"SKPFUI","keyCode":65,"utf8":5,"S":false,"C":false,"A":false,"isUp":false})",
      R"({"msg":"SKPFUI","keyCode":65,"utf8":"a","S":0,"C":false,"A":false,"isUp":false})",
  };
  for (const char* m : malformed)
    d.OnMessageFromWebView(m);
  d.OnMessageFromWebView(nullptr);
  EXPECT_TRUE(d.events.empty()) << d.events.front();
}

TEST(WebViewEditorDelegate, PayloadDecodingNeverReadsOrSizesOutsideTheText) {
  RecordingDelegate d(1);
  const struct {
    const char* data; // JSON value of "data"
    std::vector<unsigned char> bytes;
  } cases[] = {
      {"\"AQID\"", {1, 2, 3}},
      {"\"AQI=\"", {1, 2}},
      {"\"AQ==\"", {1}},
      {"\"\"", {}},
      {"\"A\"", {}},
      {"\"=\"", {}},
      {"\"==\"", {}},
      {"\"====\"", {}},
      {"\"AQ*D\"", {1, 0, 0}}, // decoding stops at the first stranger; the rest stays 0
      {"12", {}},              // not a text: no payload
  };
  for (const auto& c : cases) {
    d.events.clear();
    d.OnMessageFromWebView(
        (std::string(R"({"msg":"SAMFUI","msgTag":1,"ctrlTag":2,"data":)") + c.data + "}").c_str());
    ASSERT_EQ(d.events.size(), 1u) << c.data;
    EXPECT_EQ(d.lastData, c.bytes) << c.data;
    EXPECT_EQ(d.lastDataWasNull, c.bytes.empty()) << c.data;
  }
}

TEST(WebViewEditorDelegate, KeyRecordsCarryModifiersAndAtMostFourBytesOfText) {
  RecordingDelegate d(1);
  d.OnMessageFromWebView(
      R"({"msg":"SKPFUI","keyCode":13,"utf8":"Enter","S":true,"C":false,"A":true,"isUp":false})");
  d.OnMessageFromWebView(
      R"({"msg":"SKPFUI","keyCode":69,"utf8":"aé€","S":false,"C":true,"A":false,"isUp":true})");
  ASSERT_EQ(d.keys.size(), 2u);
  EXPECT_EQ(d.keys[0].VK, 13);
  EXPECT_STREQ(d.keys[0].utf8, "Ente");
  EXPECT_TRUE(d.keys[0].S);
  EXPECT_FALSE(d.keys[0].C);
  EXPECT_TRUE(d.keys[0].A);
  EXPECT_STREQ(d.keys[1].utf8, "aé"); // the euro sign would not fit whole
  EXPECT_TRUE(d.keys[1].C);
}

TEST(WebViewEditorDelegate, SpaceGoesToTheHostAndKeyUpsAreTaken) {
  RecordingDelegate d(1);
  KeyPressRecord space;
  space.VK = 32;
  KeyPressRecord letter;
  letter.VK = 65;
  EXPECT_TRUE(d.OnKeyDown(space)); // no window: nothing to post to, still not the page's key
  EXPECT_FALSE(d.OnKeyDown(letter));
  EXPECT_TRUE(d.OnKeyUp(letter));
}

TEST(WebViewEditorDelegate, KeyCodesMapToVirtualKeys) {
  using D = keel::WebViewEditorDelegate;
  for (int code : {8, 9, 13, 16, 17, 18, 19, 20, 27, 32, 36, 40, 45, 46, 48, 57, 65, 90, 112, 123})
    EXPECT_EQ(D::MapKeyCodeToVirtualKey(code), code) << code;
  EXPECT_EQ(D::MapKeyCodeToVirtualKey(96), 48);
  EXPECT_EQ(D::MapKeyCodeToVirtualKey(105), 57);
  for (int code : {0, 1, 10, 21, 31, 41, 47, 58, 64, 91, 95, 106, 111, 124, 186, -5})
    EXPECT_EQ(D::MapKeyCodeToVirtualKey(code), 0) << code;
}

TEST(EditorDelegate, ResizeIsConstrainedToTheLimits) {
  RecordingDelegate d(1);
  EXPECT_EQ(d.GetMinWidth(), 10);
  EXPECT_EQ(d.GetMaxHeight(), 100000);
  d.SetSizeConstraints(910, 100000, 650, 100000);
  const struct {
    int w, h;
    bool inside;
    int outW, outH;
  } cases[] = {
      {800, 700, false, 910, 700},      {1180, 760, true, 1180, 760},     {910, 650, true, 910, 650},
      {200000, 10, false, 100000, 650}, {-1, 100001, false, 910, 100000},
  };
  for (const auto& c : cases) {
    int w = c.w, h = c.h;
    EXPECT_EQ(d.ConstrainEditorResize(w, h), c.inside) << c.w << "x" << c.h;
    EXPECT_EQ(w, c.outW);
    EXPECT_EQ(h, c.outH);
  }
}

TEST(EditorDelegate, ResetCallsBothChangeHooksOfEveryParameterInOrder) {
  RecordingDelegate d(378);
  d.OnParamReset(keel::kPresetRecall);
  ASSERT_EQ(d.events.size(), 756u);
  for (int i = 0; i < 378; ++i) {
    EXPECT_EQ(d.events[2 * i], "change " + std::to_string(i) + " Preset -1");
    EXPECT_EQ(d.events[2 * i + 1], "ui " + std::to_string(i) + " Preset");
  }
}

TEST(EditorDelegate, WithoutAWebViewScriptCallsDoNothing) {
  struct Plain : keel::WebViewEditorDelegate {
    Plain() : WebViewEditorDelegate(2) {}
    void BeginParamChangeFromUI(int) override {}
    void EndParamChangeFromUI(int) override {}
  } d;
  d.SendParameterValueFromDelegate(0, 0.5, true);
  d.SendAllParamValuesFromDelegate();
  d.OnWebContentLoaded();
  d.CloseWindow();
  EXPECT_FALSE(d.IsWebViewOpen());
}

} // namespace

namespace {

TEST(WebView, DownloadsLandInTheDesktopFolderByNameOnly) {
  const char* savedHome = std::getenv("HOME");
  const std::string home = savedHome ? savedHome : "";
  setenv("HOME", "/tmp/vlm-nohome", 1);
  unsetenv("XDG_CONFIG_HOME");
  struct Plain : keel::IWebView {
  } view;
  keel::HeapString path;
  view.GetLocalDownloadPath("../../escape.sh", path);
  EXPECT_STREQ(path.Get(), "/tmp/vlm-nohome/Desktop/escape.sh");
  EXPECT_STREQ(keel::IWebView::GetWebViewCacheFolder().Get(), "/tmp/vlm-nohome/.config/Keel/WebViewCache");
  setenv("HOME", home.c_str(), 1);
}

} // namespace
