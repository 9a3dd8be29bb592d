// The embedded editor page and its on-disk copy.
#include "processor/editor/PageResource.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "Keel/Platform/FileSystemUTF8.h"
#include "Keel/Platform/StaleTemporaries.h"
#include "common/Logger.h"

// Defined by resources/EditorPage.S around the built page.
extern "C" const char vlm_editor_page_begin[];
extern "C" const char vlm_editor_page_end[];

namespace vlm {
namespace {

// True when the file exists with exactly these bytes; reads no more than the page's size plus one.
bool FileHoldsExactly(const std::string& path, std::string_view page) {
  keel::FileStatus status;
  if (keel::statUTF8(path.c_str(), &status) != 0 || !status.isRegularFile || status.sizeBytes != page.size())
    return false;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  std::string bytes(page.size() + 1, '\0');
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return got == page.size() && std::string_view(bytes.data(), got) == page;
}

std::string ErrnoText(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

std::string_view GetEmbeddedEditorPage() {
  return std::string_view(vlm_editor_page_begin,
                          static_cast<size_t>(vlm_editor_page_end - vlm_editor_page_begin));
}

std::string GetEditorPageCopyPath(const std::string& appDataFolder) {
  return keel::JoinPath(keel::JoinPath(appDataFolder, "web"), "index.html");
}

PageCopyResult EnsureEditorPageCopy(const std::string& path, std::string_view page) {
  PageCopyResult result;
  keel::RemoveStaleTemporaries(path); // of a program killed while writing the copy
  if (FileHoldsExactly(path, page)) {
    result.current = true;
    return result;
  }
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
  if (!folder.empty() && !keel::CreateDirectoryTreeUTF8(folder)) {
    result.error = ErrnoText(("cannot create " + folder).c_str());
    return result;
  }
  // A name of this process's own, so two instances never write the same temporary file.
  const std::string temporary = path + ".tmp-" + std::to_string(::getpid());
  FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) {
    result.error = ErrnoText(("cannot write " + temporary).c_str());
    return result;
  }
  bool ok = std::fwrite(page.data(), 1, page.size(), f) == page.size();
  ok = std::fflush(f) == 0 && ok;
  ok = ::fsync(::fileno(f)) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    result.error = ErrnoText(("cannot write " + temporary).c_str());
    keel::RemoveFileUTF8(temporary.c_str());
    return result;
  }
  if (!keel::RenameFileUTF8(temporary.c_str(), path.c_str())) {
    result.error = ErrnoText(("cannot replace " + path).c_str());
    keel::RemoveFileUTF8(temporary.c_str());
    return result;
  }
  result.current = true;
  result.written = true;
  return result;
}

void ShowEditorPage(std::string_view page, const std::string& appDataFolder, const PageTarget& target) {
  Logger& log = GetLogger();
  if (page.empty()) {
    // The build refuses to link without a page, so this is a damaged binary: try a copy beside the program.
    log.Log("LoadIndexHtml[Release]: IDR_INDEX_HTML not found in module (rc=%lu)", 0ul);
    log.Log("LoadIndexHtml[Release]: embedded resource path failed, falling back to __FILE__");
    if (target.loadFile)
      target.loadFile("index.html");
    return;
  }
  log.Log("LoadIndexHtml[Release]: embedded RCDATA %lu bytes", static_cast<unsigned long>(page.size()));
  const std::string path = GetEditorPageCopyPath(appDataFolder);
  const PageCopyResult copy = EnsureEditorPageCopy(path, page);
  if (!copy.current)
    log.Log("LoadIndexHtml[Release]: disk extract failed (%s)", copy.error.c_str());
  if (copy.current && target.loadFile) {
    log.Log("LoadIndexHtml[Release]: LoadFile (virtual host) %s", path.c_str());
    target.loadFile(path.c_str());
    return;
  }
  log.Log("LoadIndexHtml[Release]: fallback NavigateToString (may fail if >2MB)");
  if (target.loadHtml)
    target.loadHtml(std::string(page).c_str());
}

} // namespace vlm
