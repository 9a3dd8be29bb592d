// The editor page that each binary carries, its copy in the per-user data folder, and the order in which the
// page is put in front of the browser control.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vlm {

// The page as built into this binary (one self-contained UTF-8 HTML document); empty if the build carried
// none. The bytes are followed by a NUL, so data() is also a C string.
std::string_view GetEmbeddedEditorPage();

// <app-data folder>/web/index.html
std::string GetEditorPageCopyPath(const std::string& appDataFolder);

struct PageCopyResult {
  bool current = false; // the file now holds exactly the page
  bool written = false; // it had to be (re)written
  std::string error;    // why it is not current
};

// Makes the file at path hold exactly page. A file with the same bytes is left alone; otherwise the page is
// written to a temporary file in the same folder (folders created) and renamed over the path, so that the
// path never holds a half-written page.
PageCopyResult EnsureEditorPageCopy(const std::string& path, std::string_view page);

// Where the page goes: a file served through the browser's secure scheme, or the text itself.
struct PageTarget {
  std::function<void(const char* path)> loadFile;
  std::function<void(const char* html)> loadHtml;
};

// Shows page: from its copy on disk when that copy is current, else from the text itself, so an old or
// half-written copy is never shown. Every step is logged.
void ShowEditorPage(std::string_view page, const std::string& appDataFolder, const PageTarget& target);

} // namespace vlm
