// Hands web addresses and files to the desktop's default applications (the user's browser, PDF viewer).
#pragma once

#include <string>

namespace keel {

// Opens a URI with its default application; false when none could be launched.
bool OpenUriWithDefaultApp(const std::string& uri);

// Opens a local file (UTF-8 path) with its default application.
bool OpenFileWithDefaultApp(const std::string& path);

} // namespace keel
