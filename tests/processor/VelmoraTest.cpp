// Processor construction: the starting state of a new instance, its parameters, the log line per instance,
// and the dump modes that end the process before the instance is finished.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "processor/Velmora.h"
#include "common/EParams.h"

namespace {

namespace fs = std::filesystem;

// Every test process gets its own temporary folder, so the log is this process's own.
class TempFolderEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    mDir = fs::temp_directory_path() / ("velmora-processor-" + std::to_string(::getpid()));
    fs::create_directories(mDir);
    ::setenv("TMPDIR", mDir.c_str(), 1);
    ::setenv("TEMP", mDir.c_str(), 1);
    ::setenv("TMP", mDir.c_str(), 1);
    // Construction reads the user's preferences and window state: a fresh configuration keeps the defaults.
    ::setenv("XDG_CONFIG_HOME", (mDir / "config").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(mDir); }
  static const fs::path& Dir() { return mDir; }

private:
  static inline fs::path mDir;
};
const auto* const kTempFolder = ::testing::AddGlobalTestEnvironment(new TempFolderEnvironment);

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

TEST(Velmora, ANewInstanceStartsFromItsDefaults) {
  const std::unique_ptr<Velmora> processor(CreatePluginInstance({}));
  EXPECT_EQ(0, processor->GetKeyMode());
  EXPECT_EQ(60, processor->GetSplitPoint());
  EXPECT_EQ(0.5, processor->GetBalance());
  EXPECT_EQ(1, processor->GetOversamplingRequested());
  EXPECT_EQ(1, processor->GetOversampling());
  EXPECT_EQ(0, processor->GetHeldNoteCount());
  EXPECT_EQ(0, processor->GetUpper().mSecondPart);
  EXPECT_EQ(1, processor->GetLower().mSecondPart);
  EXPECT_EQ(Velmora::kMaxJSStringLength, processor->GetMaxJSStringLength());
  ASSERT_EQ(vlm::kNumParams, processor->NParams());
  EXPECT_STREQ("Upper VCF Cutoff", processor->GetParam(29)->GetName());
  EXPECT_EQ(4000.0, processor->GetParam(29)->Value());
  EXPECT_EQ(-1.0, processor->GetParam(vlm::CcMapParam(29))->Value());
  EXPECT_EQ(8.0, processor->GetParam(vlm::kUpperLfoSyncDiv)->Value());
  EXPECT_EQ(1180, processor->GetEditorWidth());
  EXPECT_EQ(760, processor->GetEditorHeight());
}

TEST(Velmora, EachInstanceLogsItsConstruction) {
  const fs::path log = TempFolderEnvironment::Dir() / "velmora.log";
  const int before = Count(ReadText(log), "ctor: kNumParams=378, maxJSStringLength=262144");
  {
    const std::unique_ptr<Velmora> first(CreatePluginInstance({}));
    const std::unique_ptr<Velmora> second(CreatePluginInstance({}));
  }
  EXPECT_EQ(before + 2, Count(ReadText(log), "ctor: kNumParams=378, maxJSStringLength=262144"));
}

TEST(VelmoraDeathTest, DumpModesWriteTheirFilesAndEndTheProcessWithZero) {
  const fs::path schema = TempFolderEnvironment::Dir() / "schema.json";
  const fs::path curves = TempFolderEnvironment::Dir() / "curves.json";
  EXPECT_EXIT(
      {
        ::setenv("VLM_DUMP_SCHEMA_PATH", schema.c_str(), 1);
        ::setenv("VLM_DUMP_CURVES_PATH", curves.c_str(), 1);
        CreatePluginInstance({});
        std::_Exit(3); // construction should not have returned
      },
      ::testing::ExitedWithCode(0), "");
  const std::string schemaText = ReadText(schema);
  EXPECT_TRUE(schemaText.starts_with("[\n  {\"id\":0, \"name\":\"Master\""));
  EXPECT_TRUE(schemaText.ends_with("}\n]\n"));
  EXPECT_EQ(vlm::kNumParams, Count(schemaText, "\"default_normalized\":"));
  EXPECT_EQ(vlm::kNumParams, Count(ReadText(curves), "\"real\": ["));
}

TEST(VelmoraDeathTest, EmptyDumpVariablesLetConstructionFinish) {
  EXPECT_EXIT(
      {
        ::setenv("VLM_DUMP_SCHEMA_PATH", "", 1);
        ::setenv("VLM_DUMP_CURVES_PATH", "", 1);
        delete CreatePluginInstance({});
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(3), "");
}

} // namespace
