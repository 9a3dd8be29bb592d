// File kinds of the dialogs: default file names, filters in order, default extension and proposed name.
#include "library/FileDialogKinds.h"

#include <gtest/gtest.h>

namespace {

TEST(FileDialogKinds, DefaultFileNameGetsTheKindsExtensionUnlessItEndsWithItInAnyCase) {
  const struct {
    int kind;
    const char* name;
    const char* out;
  } cases[] = {
      {0, "Bass", "Bass.80p"},
      {0, "BASS.80P", "BASS.80P"},
      {1, "Pad.80p", "Pad.80p.80t"},
      {2, "", "Init.mid"},
      {2, "dump.MID", "dump.MID"},
      {3, "map", "map.vmm"},
      {7, "x", "x"},
      {-1, "", "Init"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(vlm::MakeDefaultFileName(c.kind, c.name), c.out) << c.kind << " " << c.name;
}

TEST(FileDialogKinds, EachKindOffersItsOwnTypeFirstThenAllFiles) {
  const auto dump = vlm::MakeFileDialogRequest(vlm::kMks80DumpFile, true, "/tmp", "Backup");
  ASSERT_EQ(dump.filters.size(), 2u);
  EXPECT_EQ(dump.filters[0].label, "MKS-80 Dump (*.mid;*.syx)");
  EXPECT_EQ(dump.filters[0].patterns, "*.mid;*.midi;*.syx");
  EXPECT_EQ(dump.filters[1].label, "All Files (*.*)");
  EXPECT_EQ(dump.filters[1].patterns, "*.*");
  EXPECT_EQ(dump.defaultExtension, "mid");
  EXPECT_EQ(dump.fileName, "Backup.mid");
  EXPECT_TRUE(dump.save);
  EXPECT_EQ(dump.startFolder, "/tmp");

  const auto patchSaveNoName = vlm::MakeFileDialogRequest(vlm::kPatchDocumentFile, true, "", "");
  EXPECT_EQ(patchSaveNoName.filters[0].label, "Velmora Patch (*.80p)");
  EXPECT_EQ(patchSaveNoName.fileName, "Init.80p");
  EXPECT_EQ(vlm::MakeFileDialogRequest(vlm::kMidiMapFile, false, "", "").fileName, "")
      << "opening proposes no name";
  EXPECT_EQ(vlm::MakeFileDialogRequest(vlm::kToneDocumentFile, false, "", "").filters[0].patterns, "*.80t");

  const auto other = vlm::MakeFileDialogRequest(9, true, "", "notes");
  ASSERT_EQ(other.filters.size(), 1u);
  EXPECT_EQ(other.filters[0].label, "All Files (*.*)");
  EXPECT_EQ(other.defaultExtension, "");
  EXPECT_EQ(other.fileName, "notes");
}

} // namespace
