// Shared fixture pieces of the editor-conversation tests: a private temporary and configuration folder per
// test process, the log's text, and a processor whose page scripts are recorded instead of evaluated.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "Keel/Core/Base64.h"
#include "processor/Velmora.h"

namespace editortest {

namespace fs = std::filesystem;

// The log and the per-user folders of this process live in one fresh folder.
class FolderEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    Dir() = fs::temp_directory_path() / ("velmora-editor-" + std::to_string(::getpid()));
    fs::create_directories(Dir() / "config");
    ::setenv("TMPDIR", Dir().c_str(), 1);
    ::setenv("TEMP", Dir().c_str(), 1);
    ::setenv("TMP", Dir().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (Dir() / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (Dir() / "data").c_str(), 1);
    ::setenv("HOME", Dir().c_str(), 1);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(Dir(), ignored);
  }
  static fs::path& Dir() {
    static fs::path dir;
    return dir;
  }
};

inline std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::string LogText() {
  return ReadText(FolderEnvironment::Dir() / "velmora.log");
}

// What the log gained since its text was before.
inline std::string LogSince(const std::string& before) {
  const std::string all = LogText();
  return all.size() >= before.size() ? all.substr(before.size()) : all;
}

inline std::string Base64(const std::string& bytes) {
  std::string out(static_cast<size_t>(keel::Base64EncodedBufferSize(static_cast<int>(bytes.size()))), '\0');
  keel::Base64EncodeToBuffer(bytes.data(), out.data(), static_cast<int>(bytes.size()));
  out.resize(std::char_traits<char>::length(out.c_str()));
  return out;
}

inline std::string DecodeBase64(const std::string& text) {
  const int size = keel::Base64DecodedSize(text.data(), static_cast<int>(text.size()));
  std::string out(static_cast<size_t>(std::max(size, 0)), '\0');
  if (size > 0)
    keel::Base64DecodeToBuffer(text.data(), static_cast<int>(text.size()),
                               reinterpret_cast<unsigned char*>(out.data()));
  return out;
}

// One SAMFD call taken apart.
struct Samfd {
  int tag = 0;
  int length = 0;
  std::string payload; // decoded
};

inline bool ParseSamfd(const std::string& script, Samfd& out) {
  if (script.rfind("SAMFD(", 0) != 0)
    return false;
  const size_t quote = script.find('\'');
  if (quote == std::string::npos || std::sscanf(script.c_str(), "SAMFD(%d, %d,", &out.tag, &out.length) != 2)
    return false;
  const size_t end = script.rfind('\'');
  out.payload = DecodeBase64(script.substr(quote + 1, end - quote - 1));
  return true;
}

// A processor whose scripts for the page are recorded, with the answers they asked for.
struct RecordingProcessor {
  RecordingProcessor() : processor(CreatePluginInstance({})) {
    processor->SetScriptObserver([this](const char* script, std::function<void(const char*)> done) {
      scripts.emplace_back(script ? script : "");
      answers.push_back(std::move(done));
    });
  }
  // The SAMFD calls with this tag, in order.
  std::vector<Samfd> Tagged(int tag) const {
    std::vector<Samfd> found;
    for (const std::string& s : scripts) {
      Samfd m;
      if (ParseSamfd(s, m) && m.tag == tag)
        found.push_back(m);
    }
    return found;
  }
  bool Send(int tag, const std::string& payload) {
    return processor->OnMessage(tag, -1, static_cast<int>(payload.size()),
                                payload.empty() ? nullptr : payload.data());
  }
  void Clear() {
    scripts.clear();
    answers.clear();
  }

  std::unique_ptr<Velmora> processor;
  std::vector<std::string> scripts;
  std::vector<std::function<void(const char*)>> answers;
};

} // namespace editortest
