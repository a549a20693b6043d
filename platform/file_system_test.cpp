#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace kop {
namespace {

class FileSystemTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "kopsou-fs-XXXXXX").string();
    root = mkdtemp(pattern.data());
  }
  void TearDown() override { std::filesystem::remove_all(root); }
  void Write(const std::string& relative, const std::string& content) {
    std::ofstream(root + "/" + relative, std::ios::binary) << content;
  }
  std::string root;
};

TEST_F(FileSystemTest, ListingGivesEveryEntryButLinksToFolders) {
  std::filesystem::create_directory(root + "/sub");
  Write("a.txt", "a");
  Write(".dot", "");
  Write("\xD6\xD0 $(x) 'q'.txt", "");  // GBK bytes and shell characters
  symlink("sub", (root + "/to-folder").c_str());
  symlink("a.txt", (root + "/to-file").c_str());
  symlink("nowhere", (root + "/dangling").c_str());
  mkfifo((root + "/pipe").c_str(), 0644);

  auto listing = RealFileSystem().ListFolder(root + "/");
  ASSERT_TRUE(listing);
  std::map<std::string, std::uint32_t> seen;
  FolderEntry entry;
  while (listing->Next(&entry)) seen[entry.name] = entry.attributes;

  const std::map<std::string, std::uint32_t> expected = {
      {".", kAttrDirectory | kAttrHidden},
      {"..", kAttrDirectory | kAttrHidden},
      {".dot", kAttrHidden},
      {"\xD6\xD0 $(x) 'q'.txt", kAttrArchive},
      {"a.txt", kAttrArchive},
      {"dangling", kAttrArchive},
      {"pipe", kAttrArchive},
      {"sub", kAttrDirectory},
      {"to-file", kAttrArchive},
  };
  EXPECT_EQ(seen, expected);

  // A subfolder listed through its parent's listing.
  std::ofstream(root + "/sub/inner.txt") << "";
  auto parent = RealFileSystem().ListFolder(root + "/");
  auto sub = parent->ListSubfolder("sub");
  ASSERT_TRUE(sub);
  std::set<std::string> inner;
  while (sub->Next(&entry)) inner.insert(entry.name);
  EXPECT_EQ(inner, (std::set<std::string>{".", "..", "inner.txt"}));
  EXPECT_FALSE(parent->ListSubfolder("to-folder")) << "links to folders are not entered";
  EXPECT_FALSE(parent->ListSubfolder("a.txt"));
  EXPECT_FALSE(RealFileSystem().ListFolder(root + "/missing/"));
  EXPECT_FALSE(RealFileSystem().ListFolder(root + "/a.txt/"));
}

TEST_F(FileSystemTest, OnlyRegularFilesAreOpenedForReading) {
  Write("a.txt", "hello");
  mkfifo((root + "/pipe").c_str(), 0644);
  symlink("a.txt", (root + "/to-file").c_str());
  auto file = RealFileSystem().OpenRegularFile(root + "/to-file");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->SizeBytes(), 5u);
  char buffer[16];
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 5);
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 0);
  EXPECT_FALSE(RealFileSystem().OpenRegularFile(root + "/pipe"));  // would block if opened
  EXPECT_FALSE(RealFileSystem().OpenRegularFile(root));
  EXPECT_FALSE(RealFileSystem().OpenRegularFile(root + "/missing"));
  EXPECT_TRUE(RealFileSystem().IsExistingFile(root + "/a.txt"));
  EXPECT_FALSE(RealFileSystem().IsExistingFile(root));
  EXPECT_FALSE(RealFileSystem().IsExistingFile(root + "/missing"));
}

TEST_F(FileSystemTest, ReplaceFileSwapsWholeFilesAndFailsWithoutHarm) {
  const std::string path = root + "/c.dat";
  ASSERT_TRUE(RealFileSystem().ReplaceFile(path, "one\r\n").ok);
  EXPECT_EQ(RealFileSystem().ReadWholeFile(path), "one\r\n");
  ASSERT_TRUE(RealFileSystem().ReplaceFile(path, "").ok);
  EXPECT_EQ(RealFileSystem().ReadWholeFile(path), "");
  const auto entries = std::distance(std::filesystem::directory_iterator(root),
                                     std::filesystem::directory_iterator());
  EXPECT_EQ(entries, 1) << "no temporary file is left";

  const WriteResult failed = RealFileSystem().ReplaceFile(root + "/missing/c.dat", "x");
  EXPECT_FALSE(failed.ok);
  EXPECT_FALSE(failed.error.empty());
  EXPECT_FALSE(RealFileSystem().ReadWholeFile(root + "/missing/c.dat"));
}

TEST_F(FileSystemTest, MakeFoldersCreatesParents) {
  EXPECT_TRUE(MakeFolders(root + "/a/b/c/"));
  EXPECT_TRUE(std::filesystem::is_directory(root + "/a/b/c"));
  Write("plain", "");
  EXPECT_FALSE(MakeFolders(root + "/plain/x"));
}

}  // namespace
}  // namespace kop
