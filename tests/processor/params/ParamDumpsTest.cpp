// The schema and curve dumps: the velmora-dump program's exit codes and files, their layout, and the goldens
// that outside tools rely on (numbers compared to 1e-12 relative, since libm's last bit may differ).
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/EParams.h"
#include "processor/params/ParamDeclarations.h"
#include "processor/params/ParamDumps.h"

namespace vlm {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

// Splits text into number and non-number pieces; pieces must match exactly, numbers within 1e-12 relative.
void ExpectSameTextAndNumbers(const std::string& expected, const std::string& actual) {
  static const std::regex number(R"(-?\d+(\.\d+)?([eE][-+]?\d+)?)");
  auto e = std::sregex_iterator(expected.begin(), expected.end(), number);
  auto a = std::sregex_iterator(actual.begin(), actual.end(), number);
  const std::sregex_iterator end;
  size_t ePos = 0, aPos = 0;
  int mismatches = 0;
  for (; e != end && a != end && mismatches < 10; ++e, ++a) {
    if (expected.compare(ePos, e->position() - ePos, actual, aPos, a->position() - aPos) != 0) {
      ADD_FAILURE() << "text differs near byte " << aPos << ": " << actual.substr(aPos, 80);
      return;
    }
    const double x = std::strtod(e->str().c_str(), nullptr);
    const double y = std::strtod(a->str().c_str(), nullptr);
    if (std::fabs(x - y) > 1e-12 * std::max(1.0, std::fabs(x))) {
      ++mismatches;
      ADD_FAILURE() << "number " << a->str() << " where the golden has " << e->str() << " at byte "
                    << a->position();
    }
    ePos = e->position() + e->length();
    aPos = a->position() + a->length();
  }
  EXPECT_TRUE(e == end && a == end) << "different count of numbers";
  EXPECT_EQ(expected.substr(ePos), actual.substr(aPos));
}

class ParamDumpsTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* binary = std::getenv("VLM_BINARY_DIR");
    const char* source = std::getenv("VLM_SOURCE_DIR");
    ASSERT_NE(nullptr, binary);
    ASSERT_NE(nullptr, source);
    mProgram = fs::path(binary) / "tools" / "dump" / "velmora-dump";
    mGolden = fs::path(source) / "tests" / "processor" / "golden";
    mDir = fs::temp_directory_path() / ("velmora-dumps-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(mDir);
    fs::create_directories(mDir);
  }
  void TearDown() override { fs::remove_all(mDir); }

  // Runs the dump program with the two variables (nullptr leaves one out) and gives its exit code.
  int RunDump(const char* schemaPath, const char* curvesPath) const {
    std::string command = "env -u VLM_DUMP_SCHEMA_PATH -u VLM_DUMP_CURVES_PATH";
    if (schemaPath)
      command += std::string(" VLM_DUMP_SCHEMA_PATH='") + schemaPath + "'";
    if (curvesPath)
      command += std::string(" VLM_DUMP_CURVES_PATH='") + curvesPath + "'";
    command += " '" + mProgram.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path mProgram, mGolden, mDir;
};

TEST_F(ParamDumpsTest, BothDumpsMatchTheGoldens) {
  const fs::path schema = mDir / "schema.json";
  const fs::path curves = mDir / "curves.json";
  ASSERT_EQ(0, RunDump(schema.c_str(), curves.c_str()));
  ExpectSameTextAndNumbers(ReadText(mGolden / "param-schema.json"), ReadText(schema));
  ExpectSameTextAndNumbers(ReadText(mGolden / "param-curves.json"), ReadText(curves));
}

TEST_F(ParamDumpsTest, SchemaIsOneDescriptionPerLineWithItsNormalizedDefault) {
  const fs::path schema = mDir / "schema.json";
  ASSERT_EQ(0, RunDump(schema.c_str(), nullptr));
  EXPECT_FALSE(fs::exists(mDir / "curves.json"));
  const std::string text = ReadText(schema);
  const std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(kNumParams + 2u, lines.size());
  EXPECT_EQ("[", lines.front());
  EXPECT_EQ("]", lines.back());
  const std::regex tail(R"(, "default_normalized":[-0-9.e+]+\}$)");
  for (int i = 0; i < kNumParams; ++i) {
    const std::string& line = lines[i + 1];
    EXPECT_TRUE(line.starts_with("  {\"id\":" + std::to_string(i) + ", ")) << line;
    EXPECT_EQ(i + 1 < kNumParams, line.ends_with(",")) << line;
    EXPECT_TRUE(std::regex_search(line.substr(0, line.size() - (line.ends_with(",") ? 1 : 0)), tail)) << line;
  }
  const nlohmann::json parsed = nlohmann::json::parse(text);
  ASSERT_EQ(kNumParams, static_cast<int>(parsed.size()));
  EXPECT_EQ("CC Map: Lower Cross Mod Polarity", parsed[299]["name"]);
  EXPECT_NEAR(0.7215047647239513, parsed[UpperToneParam(kToneVcfCutoff)]["default_normalized"].get<double>(),
              1e-12);
  EXPECT_NEAR(0.21121042166647297, parsed[kLfo2Rate]["default_normalized"].get<double>(), 1e-12);
  EXPECT_EQ(0.0, parsed[CcMapParam(kMaster)]["default_normalized"].get<double>());
}

TEST_F(ParamDumpsTest, CurvesListEveryParameterWithTwentyOneRealValues) {
  const fs::path curves = mDir / "curves.json";
  ASSERT_EQ(0, RunDump(nullptr, curves.c_str()));
  EXPECT_FALSE(fs::exists(mDir / "schema.json"));
  const std::string text = ReadText(curves);
  const std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(kNumParams + 6u, lines.size());
  EXPECT_EQ("{", lines[0]);
  EXPECT_EQ("  \"samples_per_param\": 21,", lines[1]);
  EXPECT_TRUE(lines[2].starts_with("  \"norm_values\": [0, 0.050000000000000003, 0.10000000000000001, "))
      << lines[2];
  EXPECT_EQ("  \"params\": [", lines[3]);
  EXPECT_EQ("  ]", lines[lines.size() - 2]);
  EXPECT_EQ("}", lines.back());
  EXPECT_TRUE(lines[4].starts_with("    {\"id\": 0, \"name\": \"Master\", \"min\": -30, \"max\": 0, "
                                   "\"default\": -12, \"real\": [-30, -28.5, "))
      << lines[4];
  EXPECT_TRUE(lines[4].ends_with(", -1.5, 0]},")) << lines[4];
  const nlohmann::json parsed = nlohmann::json::parse(text);
  ASSERT_EQ(21u, parsed["norm_values"].size());
  ASSERT_EQ(static_cast<size_t>(kNumParams), parsed["params"].size());
  for (int i = 0; i < kNumParams; ++i) {
    EXPECT_EQ(i, parsed["params"][i]["id"].get<int>());
    EXPECT_EQ(21u, parsed["params"][i]["real"].size()) << i;
  }
  EXPECT_EQ("CC Map: Upper VCO Key Follow Sel", parsed["params"][208]["name"]);
  EXPECT_NEAR(548.75, parsed["params"][29]["real"][10].get<double>(), 1e-9);
}

TEST_F(ParamDumpsTest, SchemaComesFirstAndUnwritablePathsAreSkippedSilently) {
  const fs::path curves = mDir / "curves.json";
  EXPECT_EQ(0, RunDump((mDir / "missing" / "schema.json").c_str(), curves.c_str()));
  EXPECT_TRUE(fs::exists(curves));
  EXPECT_EQ(0, RunDump((mDir / "missing" / "schema.json").c_str(), nullptr));
  EXPECT_FALSE(fs::exists(mDir / "missing"));
}

TEST_F(ParamDumpsTest, EmptyVariablesCountAsUnset) {
  EXPECT_NE(0, RunDump("", ""));
  EXPECT_TRUE(fs::is_empty(mDir));
}

TEST_F(ParamDumpsTest, DumpsAreTruncatedOnOpen) {
  const fs::path schema = mDir / "schema.json";
  std::ofstream(schema) << std::string(200000, 'x');
  ASSERT_EQ(0, RunDump(schema.c_str(), nullptr));
  EXPECT_EQ(std::string::npos, ReadText(schema).find('x' + std::string(10, 'x')));
}

// Switches to a German locale: the installed one, else one compiled into a temporary folder (LOCPATH).
bool UseDecimalCommaLocale(const fs::path& dir) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8"))
    return true;
  fs::create_directories(dir);
  const std::string command =
      "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != -1) {
    ::setenv("LOCPATH", dir.c_str(), 1);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8"))
      return true;
  }
  return false;
}

TEST(ParamDumpText, NumbersIgnoreTheUserLocale) {
  auto params = std::make_unique<keel::IParam[]>(kNumParams);
  DeclareParams(std::span<keel::IParam>(params.get(), kNumParams));
  const ConstParamAccessor get = [&](int i) -> const keel::IParam* { return &params[i]; };
  const std::string schema = MakeSchemaDump(get, kNumParams);
  const std::string curves = MakeCurvesDump(get, kNumParams);
  const fs::path localeDir = fs::temp_directory_path() / ("velmora-locale-" + std::to_string(::getpid()));
  const bool german = UseDecimalCommaLocale(localeDir);
  fs::remove_all(localeDir); // the loaded locale stays mapped
  if (!german)
    GTEST_SKIP() << "no locale with a decimal comma can be made here";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 0.5);
  EXPECT_STREQ("0,5", probe);
  EXPECT_EQ(schema, MakeSchemaDump(get, kNumParams));
  EXPECT_EQ(curves, MakeCurvesDump(get, kNumParams));
  std::setlocale(LC_ALL, "C");
}

} // namespace
} // namespace vlm
