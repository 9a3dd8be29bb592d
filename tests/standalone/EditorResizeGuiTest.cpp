// The real editor in the program's main window, managed by a real window manager (openbox): after every
// kind of resize (maximise, restore, the page's expand and collapse, a drag of the frame) the page's
// viewport is the editor area, with no blank band and nothing cut off, once the window has settled; and on
// a machine without a Japanese font, in Japanese, every label the page shows has ink.
#include <gtest/gtest.h>

// The processor's headers come before X11's, whose macros (None) clash with their names.
#include "Keel/Platform/AppWindow.h"
#include "Keel/Platform/WebKitView.h"
#include "processor/Velmora.h"
#include "standalone/EditorWindowTestSupport.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A fontconfig with the system's Latin fonts only (the window's menu needs one): no Japanese font, so
// whatever Japanese shows is drawn by the page's own fonts.
void UseLatinFontsOnly(const fs::path& dir) {
  const fs::path fonts = dir / "fonts.conf";
  std::ofstream(fonts) << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>"
                       << "<dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>"
                       << (dir / "fontcache").string() << "</cachedir></fontconfig>\n";
  ::setenv("FONTCONFIG_FILE", fonts.c_str(), 1);
}

using FolderEnvironment = editorwindowtest::FreshFoldersEnvironment;
const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new FolderEnvironment("velmora-resizegui-", UseLatinFontsOnly));

std::string LogText() {
  return editorwindowtest::ReadText(FolderEnvironment::Dir() / "velmora.log");
}

using keeltest::FindWidgetOfType;
using keeltest::PumpUntil;

bool WindowManagerRuns() {
  GdkScreen* screen = gdk_screen_get_default();
  return GDK_IS_X11_SCREEN(screen) &&
         gdk_x11_screen_supports_net_wm_hint(screen,
                                             gdk_atom_intern_static_string("_NET_WM_STATE_MAXIMIZED_VERT"));
}

// Starts openbox on the display unless a window manager already runs there; stops only the one it started.
class WindowManager {
public:
  bool Start() {
    if (WindowManagerRuns())
      return true;
    mPid = ::fork();
    if (mPid == 0) {
      ::unsetenv("FONTCONFIG_FILE"); // the window manager draws its own titles with the system's fonts
      ::execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    return mPid > 0 && PumpUntil(WindowManagerRuns, 10000);
  }
  ~WindowManager() {
    if (mPid > 0) {
      ::kill(mPid, SIGTERM);
      ::waitpid(mPid, nullptr, 0);
    }
  }

private:
  pid_t mPid = -1;
};

struct Size {
  int width = 0, height = 0;
  bool operator==(const Size&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Size& s) {
  return out << s.width << "x" << s.height;
}

class EditorResizeGui : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    if (!keel::WebKitView::CanOpenDisplay())
      return;
    wm = new WindowManager;
    managed = wm->Start();
    processor = CreatePluginInstance({});
    keel::AppWindowCallbacks callbacks;
    callbacks.openEditor = [](void* parent) {
      area = static_cast<GtkWidget*>(parent);
      processor->OpenWindow(parent);
    };
    callbacks.closeEditor = [] { processor->CloseWindow(); };
    callbacks.editorAreaResized = [](int width, int height) {
      processor->OnParentWindowResize(width, height);
    };
    window = new keel::AppWindow(std::move(callbacks));
    window->Create("Velmora", 1180, 760, {910, 650, 100000, 100000});
    // The program's UI tick.
    idle = g_timeout_add(
        20,
        [](gpointer) -> gboolean {
          processor->OnIdle();
          return G_SOURCE_CONTINUE;
        },
        nullptr);
    loaded = PumpUntil([] { return LogText().find("] Viewport: ") != std::string::npos; }, 120000) &&
             PumpUntil([] { return Evaluate("!!document.querySelector('.tone-panel')") == "true"; }, 60000);
  }
  static void TearDownTestSuite() {
    if (idle)
      g_source_remove(idle);
    idle = 0;
    delete window;
    window = nullptr;
    delete processor;
    processor = nullptr;
    delete wm;
    wm = nullptr;
  }
  void SetUp() override {
    if (!processor)
      GTEST_SKIP() << "no display";
    ASSERT_TRUE(managed) << "no window manager (openbox) on the display";
    ASSERT_TRUE(loaded) << LogText();
  }

  static std::string Evaluate(const std::string& script) {
    return editorwindowtest::EvaluateInPage(*processor, script);
  }

  static Size AreaSize() {
    return {gtk_widget_get_allocated_width(area), gtk_widget_get_allocated_height(area)};
  }

  static Size Viewport() {
    const std::string json = Evaluate("[innerWidth, innerHeight].join('x')");
    Size s;
    std::sscanf(json.c_str(), "\"%dx%d\"", &s.width, &s.height);
    return s;
  }

  // Waits for the window to take a size other than `before`, then for it to keep still a moment.
  static void Settle(const Size& before) {
    PumpUntil([&] { return !(AreaSize() == before); }, 5000);
    Size last = AreaSize();
    auto stillSince = std::chrono::steady_clock::now();
    PumpUntil(
        [&] {
          const Size now = AreaSize();
          if (!(now == last)) {
            last = now;
            stillSince = std::chrono::steady_clock::now();
          }
          return std::chrono::steady_clock::now() - stillSince > std::chrono::milliseconds(700);
        },
        8000);
  }

  // The page's viewport and the browser widget both cover the whole editor area.
  static void ExpectPageFillsTheArea(const char* after) {
    const Size areaSize = AreaSize();
    EXPECT_EQ(areaSize, Viewport()) << "page viewport after " << after;
    GtkWidget* view = FindWidgetOfType(area, "WebKitWebView");
    ASSERT_NE(nullptr, view);
    GtkAllocation a;
    gtk_widget_get_allocation(view, &a);
    EXPECT_EQ(areaSize, (Size{a.width, a.height})) << "browser widget after " << after;
  }

  static inline WindowManager* wm = nullptr;
  static inline bool managed = false;
  static inline Velmora* processor = nullptr;
  static inline keel::AppWindow* window = nullptr;
  static inline GtkWidget* area = nullptr;
  static inline guint idle = 0;
  static inline bool loaded = false;
};

TEST_F(EditorResizeGui, ThePageFollowsEverySingleResizeOfTheWindow) {
  GtkWindow* top = GTK_WINDOW(window->NativeWindow());
  ExpectPageFillsTheArea("opening");

  Size before = AreaSize();
  gtk_window_maximize(top);
  Settle(before);
  ASSERT_GT(AreaSize().width, before.width);
  ExpectPageFillsTheArea("maximise");

  before = AreaSize();
  gtk_window_unmaximize(top);
  Settle(before);
  ASSERT_LT(AreaSize().width, before.width);
  ExpectPageFillsTheArea("restore");

  // A drag of the frame ends in one size the window manager gives.
  before = AreaSize();
  gtk_window_resize(top, before.width + 97, before.height + 53);
  Settle(before);
  ExpectPageFillsTheArea("a resize of the frame");

  // The page's own expand and collapse of the tone panels ask the window for a new height.
  for (const bool expand : {true, false}) {
    before = AreaSize();
    ASSERT_EQ("true", Evaluate("(function(){var b=document.querySelector('.expand-toggle');"
                               "if(!b)return false;b.click();return true;})()"));
    Settle(before);
    if (expand)
      ASSERT_GT(AreaSize().height, before.height);
    else
      ASSERT_LT(AreaSize().height, before.height);
    ExpectPageFillsTheArea(expand ? "expand" : "collapse");
  }
}

// The box of every text of the page that holds a character beyond ASCII (the Japanese ones).
constexpr const char* kJapaneseTextBoxes = R"((function () {
  var out = [];
  var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (var n = walker.nextNode(); n; n = walker.nextNode()) {
    var text = n.textContent.trim();
    if (!/[^\x00-\x7f]/.test(text) || getComputedStyle(n.parentElement).visibility === 'hidden') continue;
    var range = document.createRange();
    range.selectNodeContents(n);
    var r = range.getBoundingClientRect();
    if (r.width < 3 || r.height < 3 || r.left < 0 || r.top < 0 || r.right > innerWidth || r.bottom > innerHeight) continue;
    out.push([text, Math.floor(r.left), Math.floor(r.top), Math.ceil(r.right), Math.ceil(r.bottom)]);
  }
  return JSON.stringify(out);
})())";

// Pixels in the box that stand out from its commonest colour.
int InkIn(GdkPixbuf* shot, int left, int top, int right, int bottom) {
  const int channels = gdk_pixbuf_get_n_channels(shot), stride = gdk_pixbuf_get_rowstride(shot);
  const guchar* pixels = gdk_pixbuf_get_pixels(shot);
  right = std::min(right, gdk_pixbuf_get_width(shot));
  bottom = std::min(bottom, gdk_pixbuf_get_height(shot));
  std::map<uint32_t, int> counts;
  auto at = [&](int x, int y) {
    const guchar* p = pixels + size_t(y) * stride + size_t(x) * channels;
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  };
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      ++counts[at(x, y)];
  if (counts.empty())
    return 0;
  const uint32_t ground = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                            return a.second < b.second;
                          })->first;
  int ink = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      const uint32_t c = at(x, y);
      int distance = 0;
      for (int shift : {0, 8, 16})
        distance += std::abs(int((c >> shift) & 255) - int((ground >> shift) & 255));
      ink += distance > 90;
    }
  return ink;
}

TEST_F(EditorResizeGui, JapaneseLabelsShowWithoutAJapaneseSystemFont) {
  // The machine offers no Japanese font.
  FILE* list = ::popen("fc-list :lang=ja family", "r");
  ASSERT_NE(nullptr, list);
  char line[256];
  const bool anyJapaneseFont = std::fgets(line, sizeof line, list) != nullptr;
  ::pclose(list);
  ASSERT_FALSE(anyJapaneseFont) << line;
  // The tone panels show again once an earlier collapse has run its course.
  EXPECT_TRUE(PumpUntil(
      [] {
        return Evaluate("getComputedStyle(document.querySelector('.tone-slot')).visibility") == "\"visible\"";
      },
      5000));

  ASSERT_EQ("true",
            Evaluate("(function(){var b=Array.prototype.find.call(document.querySelectorAll('.lang-switch "
                     "button'),function(b){return b.textContent.trim()==='Jp';});if(!b)return false;"
                     "b.click();return true;})()"));
  ASSERT_TRUE(
      PumpUntil([] { return Evaluate("document.body.innerText.includes('パッチ')") == "true"; }, 5000));
  PumpUntil([] { return false; }, 500);
  const nlohmann::json boxes =
      nlohmann::json::parse(nlohmann::json::parse(Evaluate(kJapaneseTextBoxes)).get<std::string>());
  ASSERT_GT(boxes.size(), 20u);

  // What the view shows, as the browser engine drew it.
  GtkWidget* view = FindWidgetOfType(area, "WebKitWebView");
  ASSERT_NE(nullptr, view);
  EXPECT_EQ(AreaSize(), (Size{gtk_widget_get_allocated_width(view), gtk_widget_get_allocated_height(view)}));
  struct Snapshot {
    cairo_surface_t* surface = nullptr;
    bool done = false;
  } snapshot;
  webkit_web_view_get_snapshot(
      WEBKIT_WEB_VIEW(view), WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* s = static_cast<Snapshot*>(data);
        s->surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
        s->done = true;
      },
      &snapshot);
  ASSERT_TRUE(PumpUntil([&] { return snapshot.done; }, 10000));
  ASSERT_NE(nullptr, snapshot.surface);
  GdkPixbuf* shot =
      gdk_pixbuf_get_from_surface(snapshot.surface, 0, 0, cairo_image_surface_get_width(snapshot.surface),
                                  cairo_image_surface_get_height(snapshot.surface));
  cairo_surface_destroy(snapshot.surface);
  ASSERT_NE(nullptr, shot);
  if (const char* path = std::getenv("VLM_GUI_SHOT"))
    gdk_pixbuf_save(shot, path, "png", nullptr, nullptr);
  std::vector<std::string> blank;
  for (const auto& box : boxes) {
    const std::string text = box[0];
    if (InkIn(shot, box[1], box[2], box[3], box[4]) < 4)
      blank.push_back(text);
  }
  g_object_unref(shot);
  EXPECT_TRUE(blank.empty()) << nlohmann::json(blank).dump();
}

} // namespace
