// Test support: a temporary folder tree built from relative paths, removed
// when the test ends, and a file system that wraps the real one to fail on
// demand or to list folders in a fixed order.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

class TempTree {
 public:
  TempTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kopsou-test-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
  }
  ~TempTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& Root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

  void Folder(const std::string& relative) const {
    std::filesystem::create_directories(Path(relative));
  }
  void File(const std::string& relative, const std::string& content = "") const {
    const std::string path = Path(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }
  void Link(const std::string& relative, const std::string& target) const {
    symlink(target.c_str(), Path(relative).c_str());
  }
  void Fifo(const std::string& relative) const { mkfifo(Path(relative).c_str(), 0644); }

  std::string Read(const std::string& relative) const { return ReadPath(Path(relative)); }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(std::filesystem::symlink_status(Path(relative)));
  }

  static std::string ReadPath(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string root_;
};

// Wraps the real file system: lists folders sorted by name ("." and ".."
// first, as byte order gives them) so that walks report in a known order,
// counts the files opened for reading, and fails the operations a test names.
class ScriptedFileSystem : public kop::FileSystem {
 public:
  std::set<std::string> unreadable;   // paths that cannot be opened
  bool failReplace = false;            // ReplaceFile fails
  bool failReadWhole = false;          // ReadWholeFile fails
  int filesOpened = 0;

  std::unique_ptr<kop::FolderListing> ListFolder(const std::string& folder) override {
    auto listing = real_.ListFolder(folder);
    if (!listing) return nullptr;
    auto sorted = std::make_unique<SortedListing>(*this, folder);
    kop::FolderEntry entry;
    while (listing->Next(&entry)) sorted->entries.push_back(entry);
    std::sort(sorted->entries.begin(), sorted->entries.end(),
              [](const kop::FolderEntry& a, const kop::FolderEntry& b) { return a.name < b.name; });
    return sorted;
  }
  std::unique_ptr<kop::ReadableFile> OpenRegularFile(const std::string& path) override {
    ++filesOpened;
    if (unreadable.count(path) != 0) return nullptr;
    return real_.OpenRegularFile(path);
  }
  bool IsExistingFile(const std::string& path) override { return real_.IsExistingFile(path); }
  std::optional<std::string> ReadWholeFile(const std::string& path) override {
    if (failReadWhole) return std::nullopt;
    return real_.ReadWholeFile(path);
  }
  kop::WriteResult ReplaceFile(const std::string& path, const std::string& content) override {
    if (failReplace) return {false, "injected failure"};
    return real_.ReplaceFile(path, content);
  }

 private:
  struct SortedListing : kop::FolderListing {
    SortedListing(ScriptedFileSystem& owner, std::string folder)
        : owner(owner), folder(std::move(folder)) {}
    std::unique_ptr<kop::FolderListing> ListSubfolder(const std::string& name) override {
      return owner.ListFolder(folder + name + "/");
    }
    ScriptedFileSystem& owner;
    std::string folder;
    std::vector<kop::FolderEntry> entries;
    std::size_t next = 0;
    bool Next(kop::FolderEntry* entry) override {
      if (next >= entries.size()) return false;
      *entry = entries[next++];
      return true;
    }
  };
  kop::FileSystem& real_ = kop::RealFileSystem();
};
