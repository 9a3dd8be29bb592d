// Path wrappers: folders, status, rename over a target, shared libraries.
#include "Keel/Platform/FileSystemUTF8.h"

#include "Keel/Platform/ScratchFolder.h"

#include <gtest/gtest.h>

using namespace keel;
using testutil::ScratchFolder;

TEST(FileSystemUTF8, FoldersAreCreatedOnceAndTreesWhole) {
  ScratchFolder dir;
  const std::string one = dir / "\xC3\xA9t\xC3\xA9";
  EXPECT_TRUE(CreateDirectoryUTF8(one.c_str()));
  EXPECT_FALSE(CreateDirectoryUTF8(one.c_str()));           // already there
  EXPECT_FALSE(CreateDirectoryUTF8((dir / "a/b").c_str())); // parent missing
  EXPECT_TRUE(CreateDirectoryTreeUTF8(dir / "a/b/c/"));
  EXPECT_TRUE(CreateDirectoryTreeUTF8(dir / "a/b/c")); // existing is fine
  testutil::WriteFile(dir / "file", "x");
  EXPECT_FALSE(CreateDirectoryTreeUTF8(dir / "file")); // a file is in the way
  EXPECT_FALSE(CreateDirectoryTreeUTF8(dir / "file/sub"));
}

TEST(FileSystemUTF8, StatusRenameAndRemove) {
  ScratchFolder dir;
  testutil::WriteFile(dir / "a", "12345");
  testutil::WriteFile(dir / "b", "old");
  FileStatus st;
  ASSERT_EQ(statUTF8((dir / "a").c_str(), &st), 0);
  EXPECT_TRUE(st.isRegularFile);
  EXPECT_FALSE(st.isDirectory);
  EXPECT_EQ(st.sizeBytes, 5u);
  EXPECT_GT(st.modifiedSeconds, 1600000000);
  ASSERT_EQ(statUTF8(dir.Path().c_str(), &st), 0);
  EXPECT_TRUE(st.isDirectory);
  EXPECT_EQ(statUTF8((dir / "missing").c_str(), &st), -1);

  EXPECT_TRUE(RenameFileUTF8((dir / "a").c_str(), (dir / "b").c_str()));
  EXPECT_EQ(testutil::ReadFile(dir / "b"), "12345");
  EXPECT_FALSE(FileExistsUTF8((dir / "a").c_str()));
  EXPECT_TRUE(RemoveFileUTF8((dir / "b").c_str()));
  EXPECT_FALSE(RemoveFileUTF8((dir / "b").c_str()));
  EXPECT_EQ(JoinPath("/x/", "y"), "/x/y");
  EXPECT_EQ(JoinPath("/x", "y"), "/x/y");
}

TEST(FileSystemUTF8, SharedLibrariesLoadAndResolveSymbols) {
  void* libm = LoadLibraryUTF8("libm.so.6");
  ASSERT_NE(libm, nullptr) << LastLibraryError();
  auto cosine = reinterpret_cast<double (*)(double)>(GetLibrarySymbol(libm, "cos"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(GetLibrarySymbol(libm, "no_such_symbol_here"), nullptr);
  FreeLibraryUTF8(libm);
  EXPECT_EQ(LoadLibraryUTF8("/no/such/library.so"), nullptr);
  EXPECT_FALSE(LastLibraryError().empty());
}
