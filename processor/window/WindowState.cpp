// window-state.json and the deferred save of the editor size.
#include "processor/window/WindowState.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "library/FileIO.h"
#include "common/AppFolders.h"
#include "common/Logger.h"
#include "processor/editor/EditorTags.h"

namespace vlm {

using nlohmann::json;

namespace {

constexpr EditorSize kDefaultEditorSize{1180, 760};

// An integer member of any size, clamped into [low, high]; nothing when missing or not an integer.
std::optional<int> ReadClampedInt(const json& object, const char* key, int low, int high) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_number_integer())
    return std::nullopt;
  if (it->is_number_unsigned()) // non-negative numbers parse as unsigned
    return std::clamp(static_cast<int>(std::min<json::number_unsigned_t>(
                          it->get<json::number_unsigned_t>(), static_cast<json::number_unsigned_t>(high))),
                      low, high);
  return static_cast<int>(std::clamp<json::number_integer_t>(it->get<json::number_integer_t>(), low, high));
}

} // namespace

std::int64_t SteadyNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string WindowState::GetPath() {
  return (std::filesystem::path(GetAppDataFolder()) / "window-state.json").string();
}

std::optional<EditorSize> WindowState::Load() {
  const std::string path = GetPath();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    mSaved = kDefaultEditorSize;
    GetLogger().Log("WindowState: %s not found, using default editor size", path.c_str());
    return std::nullopt;
  }
  json value;
  std::string error;
  if (!ReadJsonFile(path, value, error) || !value.is_object()) {
    GetLogger().Log("WindowState: load failed/invalid (%s)", error.c_str());
    return std::nullopt;
  }
  const auto width = ReadClampedInt(value, "editorWidth", kEditorMinWidth, kEditorMaxWidth);
  const auto height = ReadClampedInt(value, "editorHeight", kEditorMinHeight, kEditorMaxHeight);
  if (!width || !height) {
    GetLogger().Log("WindowState: missing/invalid size keys, using default");
    return std::nullopt;
  }
  mSaved = {*width, *height};
  GetLogger().Log("WindowState: seeded new-instance editor size %dx%d", mSaved.width, mSaved.height);
  return mSaved;
}

void WindowState::Record(int width, int height, std::int64_t nowMs) {
  if (width <= 0 || height <= 0)
    return;
  const EditorSize size{width, height};
  if (size == LastRecorded())
    return;
  mPending = size;
  mSavePending = true;
  mSaveDeadlineMs = nowMs + kSaveDelayMs;
}

void WindowState::Save(bool force, std::int64_t nowMs) {
  if (!mSavePending || (!force && nowMs < mSaveDeadlineMs))
    return;
  if (mPending == mSaved) {
    mSavePending = false;
    return;
  }
  const std::string path = GetPath();
  std::string error;
  if (WriteJsonFile(path, json{{"editorWidth", mPending.width}, {"editorHeight", mPending.height}}, error)) {
    mSavePending = false;
    mSaved = mPending;
    mFailureLines = 0;
    GetLogger().Log("WindowState: saved editor size %dx%d to %s", mSaved.width, mSaved.height, path.c_str());
    return;
  }
  if (mFailureLines < kMaxFailureLines) {
    ++mFailureLines;
    GetLogger().Log("WindowState: save failed (%s)", error.c_str());
  }
  if (force)
    mSavePending = false; // the editor is closing: no window is left to retry for
  else
    mSaveDeadlineMs = nowMs + kRetryDelayMs;
}

} // namespace vlm
