// Default-application launch through GIO.
#include "Keel/Platform/ShellOpen.h"

#include <gio/gio.h>

namespace keel {

bool OpenUriWithDefaultApp(const std::string& uri) {
  GError* error = nullptr;
  const bool ok = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error) != FALSE;
  if (error)
    g_error_free(error);
  return ok;
}

bool OpenFileWithDefaultApp(const std::string& path) {
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  if (!uri)
    return false;
  const bool ok = OpenUriWithDefaultApp(uri);
  g_free(uri);
  return ok;
}

} // namespace keel
