// The program started without a display: the dump modes still write their files, --help prints the
// usage, and anything else ends with a message that says a display is needed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ProgramStartTest : public ::testing::Test {
protected:
  void SetUp() override {
    mRoot = fs::temp_directory_path() / ("vlm-start-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(mRoot);
    for (const char* d : {"data", "config", "run", "tmp", "home"})
      fs::create_directories(mRoot / d);
  }
  void TearDown() override { fs::remove_all(mRoot); }

  // Runs the program with no display in a fresh per-user environment; returns its exit code.
  int Run(const std::string& args, const std::string& extraEnv = "") {
    const char* binDir = std::getenv("VLM_BINARY_DIR");
    const std::string exe = std::string(binDir ? binDir : ".") + "/standalone/Velmora";
    const std::string r = mRoot.string();
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u VLM_DUMP_SCHEMA_PATH -u VLM_DUMP_CURVES_PATH"
        " HOME=" +
        r + "/home XDG_DATA_HOME=" + r + "/data XDG_CONFIG_HOME=" + r + "/config XDG_RUNTIME_DIR=" + r +
        "/run TMPDIR=" + r + "/tmp " + extraEnv + " '" + exe + "' " + args + " >'" + r + "/out' 2>'" + r +
        "/err' </dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  std::string Out() { return Slurp(mRoot / "out"); }
  std::string Err() { return Slurp(mRoot / "err"); }
  fs::path mRoot;
};

TEST_F(ProgramStartTest, WithoutADisplayItSaysSoOnStderrAndExits1) {
  EXPECT_EQ(Run(""), 1);
  EXPECT_NE(Err().find("needs a graphical display"), std::string::npos) << Err();
}

TEST_F(ProgramStartTest, HelpPrintsTheUsageAndExits0) {
  EXPECT_EQ(Run("--help"), 0);
  EXPECT_NE(Out().find("Usage: Velmora"), std::string::npos) << Out();
  EXPECT_NE(Out().find("--screenshot"), std::string::npos);
  EXPECT_NE(Out().find("--no-io"), std::string::npos);
  EXPECT_EQ(Err(), "");
}

TEST_F(ProgramStartTest, DumpModesWriteTheirFilesWithoutADisplay) {
  const fs::path schema = mRoot / "schema.json", curves = mRoot / "curves.json";
  EXPECT_EQ(Run("", "VLM_DUMP_SCHEMA_PATH='" + schema.string() + "' VLM_DUMP_CURVES_PATH='" +
                        curves.string() + "'"),
            0)
      << Err();
  const std::string schemaText = Slurp(schema), curvesText = Slurp(curves);
  EXPECT_EQ(schemaText.substr(0, 2), "[\n");
  EXPECT_NE(schemaText.find("default_normalized"), std::string::npos);
  EXPECT_NE(curvesText.find("\"samples_per_param\": 21"), std::string::npos) << curvesText.substr(0, 200);

  fs::remove(schema);
  EXPECT_EQ(Run("", "VLM_DUMP_SCHEMA_PATH='" + schema.string() + "'"), 0) << Err();
  EXPECT_TRUE(fs::exists(schema));
}

} // namespace
