#include "platform/file_system.h"

#include <dirent.h>
#include <sys/syscall.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kop {
namespace {

// Lists a folder through getdents64 on a descriptor of its own: no DIR
// stream, no stat of the folder, one buffer per listing.
class PosixFolderListing : public FolderListing {
 public:
  explicit PosixFolderListing(int fd) : fd_(fd) {}
  ~PosixFolderListing() override { close(fd_); }

  std::unique_ptr<FolderListing> ListSubfolder(const std::string& name) override {
    // O_NOFOLLOW: an entry swapped for a link since it was listed is not entered.
    const int fd =
        openat(fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFolderListing>(fd);
  }

  bool Next(FolderEntry* entry) override {
    for (;;) {
      if (position_ >= filled_) {
        const long n = syscall(SYS_getdents64, fd_, buffer_, sizeof buffer_);
        if (n <= 0) return false;
        filled_ = static_cast<std::size_t>(n);
        position_ = 0;
      }
      const auto* d = reinterpret_cast<const LinuxDirent*>(buffer_ + position_);
      position_ += d->d_reclen;
      const char* name = d->d_name;
      bool isFolder = false;
      switch (d->d_type) {
        case DT_DIR:
          isFolder = true;
          break;
        case DT_LNK:
          // A link to a folder is neither entered nor listed; that also keeps
          // link cycles from looping. A link to anything else is a file.
          if (TargetIsFolder(name)) continue;
          break;
        case DT_UNKNOWN: {
          struct stat st;
          if (fstatat(fd_, name, &st, AT_SYMLINK_NOFOLLOW) != 0) break;
          if (S_ISDIR(st.st_mode)) {
            isFolder = true;
          } else if (S_ISLNK(st.st_mode) && TargetIsFolder(name)) {
            continue;
          }
          break;
        }
        default:
          break;
      }
      entry->name.assign(name);
      entry->attributes = isFolder ? kAttrDirectory : 0;
      if (name[0] == '.') {
        entry->attributes |= kAttrHidden;
      } else if (!isFolder) {
        entry->attributes |= kAttrArchive;
      }
      return true;
    }
  }

 private:
  struct LinuxDirent {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
  };

  bool TargetIsFolder(const char* name) const {
    struct stat st;
    return fstatat(fd_, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
  }

  int fd_;
  std::size_t filled_ = 0;
  std::size_t position_ = 0;
  alignas(8) char buffer_[32768];
};

class PosixReadableFile : public ReadableFile {
 public:
  PosixReadableFile(int fd, std::uint64_t sizeBytes) : fd_(fd), sizeBytes_(sizeBytes) {}
  ~PosixReadableFile() override { close(fd_); }

  std::uint64_t SizeBytes() const override { return sizeBytes_; }

  std::int64_t Read(char* buffer, std::size_t count) override {
    for (;;) {
      const ssize_t n = read(fd_, buffer, count);
      if (n >= 0) return n;
      if (errno != EINTR) return -1;
    }
  }

 private:
  int fd_;
  std::uint64_t sizeBytes_;
};

bool WriteAll(int fd, const std::string& content) {
  const char* p = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<FolderListing> ListFolder(const std::string& folder) override {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFolderListing>(fd);
  }

  std::unique_ptr<ReadableFile> OpenRegularFile(const std::string& path) override {
    // Look before opening: opening a FIFO would block (or release a writer
    // waiting for a reader), and opening a device may have effects of its
    // own. Should the entry turn into one of those between the two calls,
    // O_NONBLOCK keeps the open from blocking and a read then fails.
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixReadableFile>(fd, static_cast<std::uint64_t>(st.st_size));
  }

  bool IsExistingFile(const std::string& path) override {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }

  std::optional<std::string> ReadWholeFile(const std::string& path) override {
    auto file = OpenRegularFile(path);
    if (!file) return std::nullopt;
    std::string content;
    char piece[65536];
    for (;;) {
      const std::int64_t n = file->Read(piece, sizeof piece);
      if (n < 0) return std::nullopt;
      if (n == 0) break;
      content.append(piece, static_cast<std::size_t>(n));
    }
    return content;
  }

  WriteResult ReplaceFile(const std::string& path, const std::string& content) override {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return {false, std::strerror(errno)};
    fchmod(fd, 0644 & ~CurrentUmask());
    const bool written = WriteAll(fd, content) && fsync(fd) == 0;
    const int writeErrno = errno;
    if (close(fd) != 0 || !written) {
      unlink(temporary.c_str());
      return {false, std::strerror(written ? errno : writeErrno)};
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
      const int renameErrno = errno;
      unlink(temporary.c_str());
      return {false, std::strerror(renameErrno)};
    }
    return {};
  }

 private:
  static mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
  }
};

FileSystem* current = nullptr;

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem real;
  return real;
}

FileSystem& CurrentFileSystem() { return current != nullptr ? *current : RealFileSystem(); }

ScopedFileSystem::ScopedFileSystem(FileSystem& fileSystem) : previous_(current) {
  current = &fileSystem;
}

ScopedFileSystem::~ScopedFileSystem() { current = previous_; }

bool MakeFolders(const std::string& folder) {
  std::string path;
  std::size_t pos = 0;
  while (pos <= folder.size()) {
    const std::size_t slash = folder.find('/', pos);
    const std::size_t end = slash == std::string::npos ? folder.size() : slash;
    path = folder.substr(0, end);
    if (!path.empty()) mkdir(path.c_str(), 0755);
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace kop
