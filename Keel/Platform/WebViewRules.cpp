// Pure rules of the editor's browser control: bounds arithmetic, page paths, the editor scheme's folder
// confinement and the addresses that may leave for the user's browser.
#include "Keel/Platform/WebViewRules.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <glib.h>

namespace keel {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Percent-decoding that refuses a broken escape or an encoded NUL rather than guessing.
bool PercentDecode(std::string_view in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '%') {
      out += in[i];
      continue;
    }
    if (i + 2 >= in.size())
      return false;
    const int hi = HexDigit(in[i + 1]);
    const int lo = HexDigit(in[i + 2]);
    if (hi < 0 || lo < 0 || (hi == 0 && lo == 0))
      return false;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

} // namespace

WebViewRect ComputeWebViewRect(double x, double y, double width, double height, float scale) {
  const double s = scale;
  // Without scaling nothing is rounded, and a pixel more would only push the page's edge out of sight.
  const int extra = s == 1.0 ? 0 : 1;
  return WebViewRect{static_cast<int>(std::ceil(x * s)), static_cast<int>(std::ceil(y * s)),
                     static_cast<int>(std::ceil((x + width) * s)) + extra,
                     static_cast<int>(std::ceil((y + height) * s)) + extra};
}

std::string FolderOfPagePath(const std::string& path) {
  const size_t sep = path.find_last_of("/\\");
  if (sep == std::string::npos || sep == 0)
    return {};
  return path.substr(0, sep);
}

std::string FileNameOfPagePath(const std::string& path) {
  const size_t sep = path.find_last_of("/\\");
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string ResolveMappedPath(const std::string& folder, const std::string& requestPath) {
  if (folder.empty())
    return {};
  std::string decoded;
  if (!PercentDecode(requestPath, decoded))
    return {};
  if (decoded.find('\\') != std::string::npos || decoded.find('\0') != std::string::npos)
    return {};
  // Refuse any parent-folder segment outright instead of normalising it away.
  std::string relative;
  size_t start = 0;
  while (start <= decoded.size()) {
    size_t end = decoded.find('/', start);
    if (end == std::string::npos)
      end = decoded.size();
    const std::string_view segment(decoded.data() + start, end - start);
    if (segment == "..")
      return {};
    if (!segment.empty() && segment != ".") {
      if (!relative.empty())
        relative += '/';
      relative += segment;
    }
    start = end + 1;
  }
  if (relative.empty())
    return {};
  // A link inside the folder must not lead out of it.
  char* realFolder = realpath(folder.c_str(), nullptr);
  if (!realFolder)
    return {};
  const std::string root = std::string(realFolder) + (std::strcmp(realFolder, "/") == 0 ? "" : "/");
  std::free(realFolder);
  char* realFile = realpath((root + relative).c_str(), nullptr);
  if (!realFile)
    return {};
  std::string file(realFile);
  std::free(realFile);
  if (file.compare(0, root.size(), root) != 0 || !g_file_test(file.c_str(), G_FILE_TEST_IS_REGULAR))
    return {};
  return file;
}

bool IsExternalWebAddress(const char* uri) {
  if (!uri)
    return false;
  return g_ascii_strncasecmp(uri, "http://", 7) == 0 || g_ascii_strncasecmp(uri, "https://", 8) == 0;
}

} // namespace keel

namespace keel {

bool IsEditorPageAddress(const char* uri) {
  if (!uri)
    return false;
  GUri* parsed = g_uri_parse(uri, G_URI_FLAGS_ENCODED, nullptr);
  if (!parsed)
    return false;
  const char* scheme = g_uri_get_scheme(parsed);
  const char* host = g_uri_get_host(parsed);
  const bool ours = scheme && host && g_ascii_strcasecmp(scheme, kEditorScheme) == 0 &&
                    g_ascii_strcasecmp(host, kEditorHost) == 0 && g_uri_get_port(parsed) == -1;
  g_uri_unref(parsed);
  return ours;
}

} // namespace keel
