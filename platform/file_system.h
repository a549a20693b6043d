// The file system as the searcher needs it: list a folder, read a file's
// content in pieces, read a whole small file, replace a file atomically.
// Paths are bytes as the file system gives them. The real implementation is
// the default; tests install a wrapper that fails on demand through
// ScopedFileSystem.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kop {

// Attribute bits of a folder entry.
constexpr std::uint32_t kAttrReadOnly = 1;
constexpr std::uint32_t kAttrHidden = 2;
constexpr std::uint32_t kAttrDirectory = 16;
constexpr std::uint32_t kAttrArchive = 32;

struct FolderEntry {
  std::string name;
  // kAttrDirectory for a real folder ("." and ".." included), kAttrHidden for
  // a name starting with ".", kAttrArchive for any other entry. The read-only
  // bit needs a stat per entry and is left to FileFacts-style callers.
  std::uint32_t attributes = 0;
};

// One open enumeration. Entries come in the order readdir gives them, "." and
// ".." included. Symbolic links to folders are left out; a link to anything
// else is listed as a file.
class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // Fills *entry with the next entry; false when there are no more (or the
  // folder could not be read further).
  virtual bool Next(FolderEntry* entry) = 0;
  // Starts listing the subfolder `name` of this folder, opened relative to
  // it so the walk does not resolve the whole path again for every folder.
  // nullptr when that enumeration cannot start.
  virtual std::unique_ptr<FolderListing> ListSubfolder(const std::string& name) = 0;
};

// The longest path, terminator included, that the system resolves; a folder
// whose path reaches it cannot be listed.
constexpr std::size_t kMaxPathBytes = 4096;

// A regular file open for reading.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The size the file had when it was opened.
  virtual std::uint64_t SizeBytes() const = 0;
  // Reads up to `count` bytes into `buffer`; the number read, 0 at the end of
  // the file, -1 on a read error.
  virtual std::int64_t Read(char* buffer, std::size_t count) = 0;
};

struct WriteResult {
  bool ok = true;
  std::string error;  // errno text when !ok
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Starts listing `folder` (a path ending with "/"). nullptr when the
  // enumeration cannot start: missing, unreadable, not a folder, too long.
  virtual std::unique_ptr<FolderListing> ListFolder(const std::string& folder) = 0;

  // Opens a regular file (a link to one included) for reading. Never opens a
  // FIFO, socket or device node. nullptr when the file cannot be opened.
  virtual std::unique_ptr<ReadableFile> OpenRegularFile(const std::string& path) = 0;

  // True when `path` names something that exists and is not a folder.
  virtual bool IsExistingFile(const std::string& path) = 0;

  // The whole content of a file; nullopt when it cannot be opened or read.
  virtual std::optional<std::string> ReadWholeFile(const std::string& path) = 0;

  // Replaces `path` with `content` through a temporary file in the same
  // folder and a rename, so that readers see the old file or the new one,
  // never a part. On failure the old file stays as it was.
  virtual WriteResult ReplaceFile(const std::string& path, const std::string& content) = 0;
};

// The file system in force: the real one unless a test installed another.
FileSystem& CurrentFileSystem();
// The real POSIX file system.
FileSystem& RealFileSystem();

// Installs `fileSystem` for its lifetime and restores the previous one.
class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& fileSystem);
  ~ScopedFileSystem();
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

 private:
  FileSystem* previous_;
};

// Creates `folder` and its missing parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

}  // namespace kop
