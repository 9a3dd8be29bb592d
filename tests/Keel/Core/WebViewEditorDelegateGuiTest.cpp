// The editor delegate with a real browser control and the fixture page: messages from the page reach
// the delegate's hooks, and the delegate's script calls reach the page.
#include <gtest/gtest.h>

#if __has_include(<gtk/gtk.h>) && __has_include(<webkit2/webkit2.h>)

#include "Keel/Core/WebViewEditorDelegate.h"
#include "Keel/Platform/GuiTestSupport.h"
#include "Keel/Platform/WebKitView.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using keeltest::PumpUntil;

class PageDelegate : public keel::WebViewEditorDelegate {
public:
  PageDelegate() : WebViewEditorDelegate(4) {
    for (int i = 0; i < NParams(); ++i)
      GetParam(i)->InitDouble(("P" + std::to_string(i)).c_str(), 0.0, 0.0, 1.0, 0.001);
  }
  void BeginParamChangeFromUI(int) override {}
  void EndParamChangeFromUI(int) override {}
  void OnParamChangeUI(int paramIdx, keel::ParamSource source) override {
    if (source == keel::kUI)
      uiChanges.push_back(paramIdx);
  }
  void SendArbitraryMsgFromUI(int msgTag, int ctrlTag, int dataSize, const void* data) override {
    arbitrary.push_back(std::to_string(msgTag) + " " + std::to_string(ctrlTag) + " " +
                        std::string(static_cast<const char*>(data), static_cast<size_t>(dataSize)));
  }
  void OnWebContentLoaded() override {
    WebViewEditorDelegate::OnWebContentLoaded();
    ++loaded;
  }

  std::string Evaluate(const char* script) {
    std::string result;
    bool done = false;
    EvaluateJavaScript(script, [&](const char* json) {
      result = json;
      done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done; })) << script;
    return result;
  }

  std::vector<int> uiChanges;
  std::vector<std::string> arbitrary;
  int loaded = 0;
};

TEST(WebViewEditorDelegateGui, PageAndDelegateTalkBothWays) {
  if (!keel::WebKitView::CanOpenDisplay())
    GTEST_SKIP() << "no display";
  char pattern[] = "/tmp/vlm-webcfg-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  setenv("XDG_CONFIG_HOME", pattern, 1);
  keeltest::GuiWindow win;
  auto delegate = std::make_unique<PageDelegate>();
  const std::string page = win.Page();
  delegate->SetEditorInitFunc([&] { delegate->LoadFile(page.c_str()); });
  delegate->SetWebViewBounds(0, 0, 640, 480);

  EXPECT_EQ(delegate->OpenWindow(win.box), win.box);
  EXPECT_EQ(delegate->GetParentWindow(), win.box);
  ASSERT_TRUE(PumpUntil([&] { return delegate->loaded == 1 && delegate->uiChanges.size() == 1; }));

  // Page to delegate: the messages the page posted on load.
  ASSERT_EQ(delegate->arbitrary.size(), 1u);
  EXPECT_EQ(delegate->arbitrary[0], "42 -1 hi");
  EXPECT_EQ(delegate->uiChanges[0], 1);
  EXPECT_DOUBLE_EQ(delegate->GetParam(1)->Value(), 0.75);

  // Delegate to page: descriptions and values on load, then a single value.
  EXPECT_EQ(delegate->Evaluate("paramCount"), "4");
  EXPECT_EQ(delegate->Evaluate("received.filter(function(r) { return r[0] === 'SPVFD'; }).length"), "4");
  delegate->SendParameterValueFromDelegate(2, 0.5, true);
  delegate->SendMidiMsgFromDelegate(keel::MidiMsg(0, 0xB0, 1, 64));
  EXPECT_EQ(delegate->Evaluate("lastValues[2]"), "0.5");
  EXPECT_EQ(delegate->Evaluate("JSON.stringify(received[received.length - 1])"),
            "\"[\\\"SMMFD\\\",176,1,64]\"");

  // Closing the editor and destroying the delegate leave nothing behind that could call into it.
  delegate->CloseWindow();
  EXPECT_FALSE(delegate->IsWebViewOpen());
  delegate->OpenWindow(win.box);
  delegate.reset();
  keeltest::Pump(300);
  std::error_code ignored;
  std::filesystem::remove_all(pattern, ignored);
}

} // namespace

#else

TEST(WebViewEditorDelegateGui, NeedsGtkAndWebKit) {
  GTEST_SKIP() << "built without GTK and WebKitGTK";
}

#endif
