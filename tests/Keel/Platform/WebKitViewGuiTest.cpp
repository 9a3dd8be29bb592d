// The WebKitGTK control under a display: creation, page scripts and messages, the editor scheme,
// refused and failed loads, cancelled creation and key forwarding.
#include <gtest/gtest.h>

#if __has_include(<gtk/gtk.h>) && __has_include(<webkit2/webkit2.h>)

#include "Keel/Platform/GuiTestSupport.h"
#include "Keel/Platform/WebKitView.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using keeltest::Pump;
using keeltest::PumpUntil;
using keeltest::TypeKey;

class RecordingHost : public keel::WebKitViewHost {
public:
  void OnWebViewReady() override { ++ready; }
  void OnWebContentLoaded() override { ++loaded; }
  void OnMessageFromWebView(const char* json) override {
    messages.push_back(nlohmann::json::parse(json, nullptr, false));
  }
  bool CanNavigateToUrl(const char* url) override {
    navigations.push_back(url);
    return refused.empty() || std::string(url).find(refused) == std::string::npos;
  }
  bool CanDownloadMimeType(const char* mimeType) override {
    downloadTypes.push_back(mimeType);
    return false;
  }
  std::string GetLocalDownloadPath(const char* fileName) override { return std::string("/tmp/") + fileName; }
  void OnDownloadCompleted(const char*) override {}
  void OnDownloadFailed(const char*) override {}
  void OnDownloadProgress(int64_t, int64_t) override {}

  const nlohmann::json* Message(const char* msg) const {
    for (const auto& m : messages)
      if (m.is_object() && m.value("msg", "") == msg)
        return &m;
    return nullptr;
  }

  int ready = 0;
  int loaded = 0;
  std::vector<nlohmann::json> messages;
  std::vector<std::string> navigations;
  std::vector<std::string> downloadTypes;
  std::string refused;
};

class WebKitViewGui : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // The process-wide context keeps its data under the roaming folder; keep that private to the test.
    char pattern[] = "/tmp/vlm-webcfg-XXXXXX";
    if (mkdtemp(pattern)) {
      configHome = pattern;
      setenv("XDG_CONFIG_HOME", pattern, 1);
    }
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    if (!configHome.empty())
      std::filesystem::remove_all(configHome, ignored);
  }
  static inline std::string configHome;

  void SetUp() override {
    if (!keel::WebKitView::CanOpenDisplay())
      GTEST_SKIP() << "no display";
    win = std::make_unique<keeltest::GuiWindow>();
    view = std::make_unique<keel::WebKitView>(host, false);
  }

  void TearDown() override {
    view.reset();
    win.reset();
  }

  void OpenAndWait() {
    view->Open(win->box);
    ASSERT_TRUE(view->IsOpening());
    ASSERT_TRUE(PumpUntil([&] { return host.ready == 1; }));
    ASSERT_TRUE(view->IsOpen());
  }

  std::string Evaluate(const char* script) {
    std::string result;
    bool done = false;
    view->EvaluateJavaScript(script, [&](const char* json) {
      result = json;
      done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done; })) << script;
    return result;
  }

  RecordingHost host;
  std::unique_ptr<keeltest::GuiWindow> win;
  std::unique_ptr<keel::WebKitView> view;
};

TEST_F(WebKitViewGui, ServesTheMappedPageAndCarriesItsMessages) {
  OpenAndWait();
  view->LoadFile(win->Page().c_str());
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 1 && host.Message("probes"); }));

  const nlohmann::json* hello = host.Message("SAMFUI");
  ASSERT_NE(hello, nullptr);
  EXPECT_EQ(*hello, nlohmann::json::parse(R"({"msg":"SAMFUI","msgTag":42,"ctrlTag":-1,"data":"aGk="})"));
  const nlohmann::json& probes = *host.Message("probes");
  EXPECT_EQ(probes["sibling"], "sibling text");
  for (const auto& escape : probes["escapes"])
    EXPECT_NE(escape, "secret") << probes.dump();

  EXPECT_EQ(view->GetMappedFolder(), win->Page("").substr(0, win->Page("").size() - 1));
  EXPECT_EQ(Evaluate("location.protocol + '//' + location.host"), "\"keel://editor.keel.invalid\"");
  EXPECT_EQ(Evaluate("window.isSecureContext"), "true");
  EXPECT_EQ(Evaluate("1 + 2"), "3");
  // An object's members come back whole; their order is the engine's own.
  EXPECT_EQ(nlohmann::json::parse(Evaluate("({b: [1, 'x'], a: null})")),
            nlohmann::json::parse(R"({"b":[1,"x"],"a":null})"));
  EXPECT_EQ(Evaluate("undefined"), "null");
  EXPECT_EQ(Evaluate("throw new Error('page fault')"), "null");
  EXPECT_TRUE(std::filesystem::is_directory(keel::WebKitView::GetWebViewCacheFolder()));
}

TEST_F(WebKitViewGui, PageScriptsRunOnEveryDocument) {
  OpenAndWait();
  view->LoadHTML("<p>plain</p>");
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 1; }));
  EXPECT_EQ(Evaluate("typeof IKeelSendMsg + ' ' + typeof window.chrome.webview.postMessage"),
            "\"function function\"");
  Evaluate("IKeelSendMsg('text'); IKeelSendMsg({msg: 'x', n: 1.5})");
  ASSERT_TRUE(PumpUntil([&] { return host.messages.size() == 2; }));
  EXPECT_EQ(host.messages[0], "text");
  EXPECT_EQ(host.messages[1], nlohmann::json::parse(R"({"msg":"x","n":1.5})"));
}

TEST_F(WebKitViewGui, ARefusedNavigationNeverLoads) {
  OpenAndWait();
  view->LoadFile(win->Page().c_str());
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 1; }));
  host.refused = "refused.html";
  Evaluate("location.href = 'refused.html'");
  ASSERT_TRUE(PumpUntil([&] {
    return !host.navigations.empty() && host.navigations.back().find("refused") != std::string::npos;
  }));
  Pump(500);
  EXPECT_EQ(host.loaded, 1);
  EXPECT_EQ(Evaluate("document.getElementById('status').textContent"), "\"loaded\"");
}

// Only the editor's own page gets the bridge: a navigation to any other address is refused by the view
// whatever its owner says, so a foreign page never loads and never posts a message.
TEST_F(WebKitViewGui, AnotherAddressNeverLoadsNorReachesTheBridge) {
  OpenAndWait();
  view->LoadFile(win->Page().c_str());
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 1 && host.Message("probes"); }));
  const std::string foreign = (win->root / "foreign.html").string();
  FILE* f = std::fopen(foreign.c_str(), "w");
  ASSERT_NE(nullptr, f);
  std::fputs("<script>IKeelSendMsg({msg: 'foreign'})</script>", f);
  std::fclose(f);
  const size_t before = host.messages.size();
  for (const std::string& address : {"file://" + foreign, std::string("data:text/html,<p>x</p>")}) {
    Evaluate(("location.href = '" + address + "'").c_str());
    Pump(700);
    EXPECT_EQ(host.loaded, 1) << address;
    EXPECT_EQ(Evaluate("location.host"), "\"editor.keel.invalid\"") << address;
  }
  EXPECT_EQ(host.Message("foreign"), nullptr);
  EXPECT_EQ(host.messages.size(), before);
}

TEST_F(WebKitViewGui, DownloadsTheOwnerRefusesAreCancelled) {
  OpenAndWait();
  view->LoadFile(win->Page().c_str());
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 1; }));
  Evaluate("location.href = 'payload.bin'");
  ASSERT_TRUE(PumpUntil([&] { return !host.downloadTypes.empty(); }));
  EXPECT_EQ(host.downloadTypes[0], "application/octet-stream");
  keeltest::Pump(300);
  EXPECT_EQ(host.loaded, 1);
  EXPECT_EQ(Evaluate("document.getElementById('status').textContent"), "\"loaded\"");
}

TEST_F(WebKitViewGui, AFailedLoadIsNotReportedAsLoaded) {
  OpenAndWait();
  view->LoadFile(win->Page("missing.html").c_str()); // no such file in the mapped folder
  ASSERT_TRUE(PumpUntil([&] { return host.navigations.size() == 1; }));
  Pump(1000);
  view->LoadFile("index.html"); // no folder: nothing is mapped, nothing is served
  ASSERT_TRUE(PumpUntil([&] { return host.navigations.size() == 2; }));
  Pump(1000);
  EXPECT_EQ(host.loaded, 0);
  EXPECT_EQ(Evaluate("document.body ? document.body.textContent.length : 0"), "0"); // no error page

  view->LoadHTML("<p>after</p>");
  EXPECT_TRUE(PumpUntil([&] { return host.loaded == 1; }));
}

TEST_F(WebKitViewGui, ClosingCancelsAPendingCreation) {
  view->Open(win->box);
  view->Close();
  EXPECT_FALSE(view->IsOpening());
  Pump(300);
  EXPECT_EQ(host.ready, 0);

  view->Open(win->box);
  view.reset(); // the owner goes away while the control is being created
  Pump(300);
  EXPECT_EQ(host.ready, 0);

  view = std::make_unique<keel::WebKitView>(host, false);
  view->Open(win->box);
  gtk_widget_destroy(win->window); // the parent goes away first
  win->window = nullptr;
  Pump(300);
  EXPECT_EQ(host.ready, 0);
  EXPECT_FALSE(view->IsOpen());
}

TEST_F(WebKitViewGui, ClosingDropsPendingScriptResultsAndCanOpenAgain) {
  OpenAndWait();
  bool called = false;
  view->EvaluateJavaScript("new Promise(function(r) { setTimeout(r, 200); })",
                           [&](const char*) { called = true; });
  view->Close();
  EXPECT_FALSE(view->IsOpen());
  Pump(600);
  EXPECT_FALSE(called);
  view->EvaluateJavaScript("1", [&](const char*) { called = true; }); // no view: nothing happens
  Pump(100);
  EXPECT_FALSE(called);

  view->Open(win->box);
  ASSERT_TRUE(PumpUntil([&] { return host.ready == 2; }));
  view->LoadHTML("<p>again</p>");
  EXPECT_TRUE(PumpUntil([&] { return host.loaded == 1; }));
}

TEST_F(WebKitViewGui, BoundsSetWhileClosedApplyWhenCreated) {
  view->SetBounds(keel::WebViewRect{10, 20, 310, 220}, 1.0);
  OpenAndWait();
  int w = 0, h = 0;
  gtk_widget_get_size_request(GTK_WIDGET(view->NativeView()), &w, &h);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 200);
  view->SetBounds(keel::WebViewRect{0, 0, 101, 51}, 1.0);
  gtk_widget_get_size_request(GTK_WIDGET(view->NativeView()), &w, &h);
  EXPECT_EQ(w, 101);
  EXPECT_EQ(h, 51);
}

TEST_F(WebKitViewGui, CallsFromAnotherThreadAreRefused) {
  OpenAndWait();
  std::thread([&] {
    view->LoadHTML("<p>from a worker</p>");
    view->EvaluateJavaScript("1", [&](const char*) { ++host.loaded; });
  }).join();
  Pump(500);
  EXPECT_EQ(host.loaded, 0);
}

gboolean RecordKey(GtkWidget*, GdkEventKey* event, gpointer data) {
  static_cast<std::vector<guint>*>(data)->push_back(event->keyval);
  return FALSE;
}

TEST_F(WebKitViewGui, AForwardedKeyReachesTheParentWindowButNotThePage) {
  OpenAndWait();
  view->LoadHTML("<p>keys</p>");
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 1; }));
  gtk_widget_grab_focus(GTK_WIDGET(view->NativeView()));
  std::vector<guint> keys;
  g_signal_connect(win->window, "key-press-event", G_CALLBACK(RecordKey), &keys);

  EXPECT_FALSE(view->PostKeyDownToParent(7)); // a key with no meaning here
  ASSERT_TRUE(view->PostKeyDownToParent(32));
  ASSERT_TRUE(PumpUntil([&] { return !keys.empty(); }));
  EXPECT_EQ(keys[0], static_cast<guint>(GDK_KEY_space));
  Pump(300);
  EXPECT_EQ(host.Message("SKPFUI"), nullptr);

  // A key typed into the page does reach it, and the page scripts report it.
  TypeKey(win->window, GDK_KEY_a, GDK_KEY_PRESS);
  TypeKey(win->window, GDK_KEY_a, GDK_KEY_RELEASE);
  ASSERT_TRUE(PumpUntil([&] { return host.messages.size() >= 2; }));
  EXPECT_EQ(host.messages[0], nlohmann::json::parse(R"({"msg":"SKPFUI","keyCode":65,"utf8":"a","S":false,)"
                                                    R"("C":false,"A":false,"isUp":false})"));
  EXPECT_EQ(host.messages[1]["isUp"], true);
}

TEST_F(WebKitViewGui, NewWindowsNeverOpenInsideTheProgram) {
  OpenAndWait();
  view->LoadHTML("<p>windows</p>");
  ASSERT_TRUE(PumpUntil([&] { return host.loaded == 1; }));
  // Refused schemes: nothing opens, here or outside; the page stays.
  EXPECT_EQ(Evaluate("String(window.open('file:///etc/passwd')) + ' ' + String(window.open('javascript:1'))"),
            "\"null null\"");
  Pump(300);
  EXPECT_EQ(Evaluate("document.body.textContent"), "\"windows\"");
  EXPECT_EQ(host.loaded, 1);
}

} // namespace

#else

TEST(WebKitViewGui, NeedsGtkAndWebKit) {
  GTEST_SKIP() << "built without GTK and WebKitGTK";
}

#endif
