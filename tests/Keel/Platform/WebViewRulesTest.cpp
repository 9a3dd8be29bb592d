// Browser-control rules that need no display: bounds arithmetic, page paths, the editor scheme's
// confinement to its folder, external addresses and the control's folders.
#include "Keel/Platform/WebViewRules.h"
#include "Keel/Platform/WebKitView.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using keel::WebViewRect;

TEST(WebViewRules, ScaledBoundsRoundUpAndReachOnePixelFurtherUnscaledAreExact) {
  EXPECT_EQ(keel::ComputeWebViewRect(0, 0, 1180, 760, 1.5f), (WebViewRect{0, 0, 1771, 1141}));
  EXPECT_EQ(keel::ComputeWebViewRect(0, 0, 1180, 760, 1.0f), (WebViewRect{0, 0, 1180, 760}));
  EXPECT_EQ(keel::ComputeWebViewRect(0.5, 1.3, 10, 10, 1.25f), (WebViewRect{1, 2, 15, 16}));
}

TEST(WebViewRules, PagePathSplitsAtTheLastSeparatorOfEitherKind) {
  const struct {
    const char* path;
    const char* folder;
    const char* file;
  } cases[] = {
      {"/home/u/web\\sub/index.html", "/home/u/web\\sub", "index.html"},
      {"C:\\data/web\\index.html", "C:\\data/web", "index.html"},
      {"/index.html", "", "index.html"},
      {"index.html", "", "index.html"},
      {"/home/u/web/", "/home/u/web", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(keel::FolderOfPagePath(c.path), c.folder) << c.path;
    EXPECT_EQ(keel::FileNameOfPagePath(c.path), c.file) << c.path;
  }
}

class MappedFolder : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/vlm-webkit-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    site = root / "site";
    fs::create_directories(site / "sub");
    std::ofstream(site / "index.html") << "page";
    std::ofstream(site / "sub" / "a.js") << "script";
    std::ofstream(root / "secret.txt") << "secret";
    fs::create_directory_symlink(root, site / "link");
  }
  void TearDown() override { fs::remove_all(root); }

  std::string Resolve(const std::string& requestPath) const {
    return keel::ResolveMappedPath(site, requestPath);
  }

  fs::path root;
  fs::path site;
};

TEST_F(MappedFolder, ServesFilesInsideTheFolder) {
  const std::string canonical = fs::canonical(site).string();
  EXPECT_EQ(Resolve("/index.html"), canonical + "/index.html");
  EXPECT_EQ(Resolve("/sub/a.js"), canonical + "/sub/a.js");
  EXPECT_EQ(Resolve("/sub/%61.js"), canonical + "/sub/a.js");
  EXPECT_EQ(Resolve("/./sub//a.js"), canonical + "/sub/a.js");
}

TEST_F(MappedFolder, RefusesEverythingThatCouldLeaveTheFolder) {
  for (const char* path :
       {"/../secret.txt", "/%2e%2e/secret.txt", "/%2E%2E/secret.txt", "/..%2Fsecret.txt",
        "/sub/..%2f..%2fsecret.txt", "/sub/%2e%2e/%2e%2e/secret.txt", "/link/secret.txt", "/..%5Csecret.txt",
        "/sub%5Ca.js", "/index.html%00", "/bad%zz", "/%2", "/", "", "/missing.html", "/sub"})
    EXPECT_EQ(Resolve(path), "") << path;
  EXPECT_EQ(keel::ResolveMappedPath("", "/index.html"), "");
}

TEST(WebViewRules, OnlyWebAddressesLeaveForTheUsersBrowser) {
  for (const char* uri : {"http://example.com/", "https://example.com/a?b", "HTTPS://EXAMPLE.COM"})
    EXPECT_TRUE(keel::IsExternalWebAddress(uri)) << uri;
  for (const char* uri :
       {"file:///etc/passwd", "javascript:alert(1)", "mailto:a@b.c", "keel://editor.keel.invalid/",
        "data:text/html,x", "httpx://a", "http:/a", "", "ftp://a"})
    EXPECT_FALSE(keel::IsExternalWebAddress(uri)) << uri;
  EXPECT_FALSE(keel::IsExternalWebAddress(nullptr));
}

TEST(WebViewRules, OnlyTheEditorsOwnPageIsItsPage) {
  for (const char* uri : {"keel://editor.keel.invalid/", "keel://editor.keel.invalid/index.html",
                          "KEEL://Editor.Keel.Invalid/a/b.css?x#y"})
    EXPECT_TRUE(keel::IsEditorPageAddress(uri)) << uri;
  for (const char* uri :
       {"https://editor.keel.invalid/", "keel://other.invalid/", "keel://editor.keel.invalid.evil.com/",
        "keel:///index.html", "file:///etc/passwd", "about:blank", "data:text/html,x", "javascript:1", "",
        "keel://editor.keel.invalid:99/"})
    EXPECT_FALSE(keel::IsEditorPageAddress(uri)) << uri;
  EXPECT_FALSE(keel::IsEditorPageAddress(nullptr));
}

TEST(WebKitView, FoldersFollowTheEnvironment) {
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  char pattern[] = "/tmp/vlm-home-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path home = pattern;
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(keel::WebKitView::GetWebViewCacheFolder(), home.string() + "/.config/Keel/WebViewCache");
  EXPECT_EQ(keel::WebKitView::GetDesktopFolder(), home.string() + "/Desktop");

  setenv("XDG_CONFIG_HOME", (home / "cfg").c_str(), 1);
  EXPECT_EQ(keel::WebKitView::GetWebViewCacheFolder(), home.string() + "/cfg/Keel/WebViewCache");
  fs::create_directories(home / "cfg");
  std::ofstream(home / "cfg" / "user-dirs.dirs") << "# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
  EXPECT_EQ(keel::WebKitView::GetDesktopFolder(), home.string() + "/Schreibtisch");

  EXPECT_FLOAT_EQ(keel::WebKitView::GetWindowDpiScale(nullptr), 1.0f);
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", savedHome.c_str(), 1);
  fs::remove_all(home);
}

} // namespace
