// Whole-file reads and crash-safe writes of bytes and JSON, with the error texts the page and log show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vlm {

// Each operation overwrites error with "<fixed prefix><path>" on failure and leaves it alone on success.
// UI thread (or any single thread); nothing is logged here.

// The whole file; an empty file gives true and an empty vector.
bool ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string& error);
// One JSON value, no comments, nothing but white space after it. After a failure value is discarded.
bool ReadJsonFile(const std::filesystem::path& path, nlohmann::json& value, std::string& error);
// Creates the missing parent folders, then writes an unnamed file beside the target and renames it over,
// so that a crash never leaves half a file (nor, where the file system has unnamed files, a leftover).
bool WriteFileBytes(const std::filesystem::path& path, const void* data, std::size_t size,
                    std::string& error);
// Removes the temporary files that WriteFileBytes left behind in a process that died while writing (its
// pid no longer runs); a live writer's files are kept. Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::filesystem::path& folder, bool recursive);
// The text of JsonFileText written as WriteFileBytes does.
bool WriteJsonFile(const std::filesystem::path& path, const nlohmann::json& value, std::string& error);

// How a JSON file is written: two-space indentation, keys in ascending byte order (the library's
// ordered map), non-ASCII as UTF-8, a final line feed. Invalid UTF-8 (a file name from the disk) is
// replaced by U+FFFD rather than refused.
std::string JsonFileText(const nlohmann::json& value);

// Paths are bytes on Linux; the program's text is UTF-8, so both conversions keep the bytes.
std::filesystem::path Utf8ToPath(const std::string& text);
std::string PathToUtf8(const std::filesystem::path& path);

} // namespace vlm
