#include "search/kopkuisou.h"

#include <exception>

namespace {

// The folder part of a walk: the folder less one trailing "/".
std::string BaseOf(const std::string& folder) {
  if (!folder.empty() && folder.back() == '/') return folder.substr(0, folder.size() - 1);
  return folder;
}

// Splits the cache file's text into lines: CR LF, a lone CR and a lone LF
// each end a line, a NUL ends the text, a last line without an end is still a
// line and empty lines are kept. Nothing is trimmed.
std::vector<std::string> SplitCacheLines(const std::string& text) {
  std::vector<std::string> lines;
  const std::size_t end = std::min(text.find('\0'), text.size());
  std::size_t pos = 0;
  while (pos < end) {
    std::size_t lineEnd = text.find_first_of("\r\n", pos);
    if (lineEnd >= end) {
      lines.push_back(text.substr(pos, end - pos));
      break;
    }
    lines.push_back(text.substr(pos, lineEnd - pos));
    pos = lineEnd + 1;
    if (text[lineEnd] == '\r' && pos < end && text[pos] == '\n') ++pos;
  }
  return lines;
}

}  // namespace

std::string LowerCaseBytes(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
  }
  return lower;
}

bool PassesTypeFilter(const std::string& name, const std::string& lowerPattern) {
  if (lowerPattern.find("*.*") != std::string::npos) return true;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  // Lower-case the extension into a small buffer: this runs for every file
  // of every walked folder.
  const std::size_t length = name.size() - dot;
  if (length > lowerPattern.size()) return false;
  char extension[256];
  if (length > sizeof extension) return false;
  for (std::size_t i = 0; i < length; ++i) {
    const char c = name[dot + i];
    extension[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c;
  }
  return lowerPattern.find(extension, 0, length) != std::string::npos;
}

Tkopkuisou::Tkopkuisou(const std::string& dataDir, kop::CodePage codePage)
    : DataDir(dataDir), codePage_(codePage) {
  if (DataDir.empty() || DataDir.back() != '/') DataDir += '/';
}

bool Tkopkuisou::IsFolderEntry(const kop::FolderEntry& entry) {
  return (entry.attributes & kop::kAttrDirectory) != 0;
}

std::int32_t Tkopkuisou::Search(const std::string& keyword, const std::string& location,
                                const std::string& pattern, bool quick,
                                TSearchCallback callback) {
  kop::FileSystem& fileSystem = kop::CurrentFileSystem();
  CacheFileName = DataDir;
  CacheFileName.append(location, 0, 1);
  for (char c : pattern) {
    if (c != '*' && c != '.') CacheFileName += c;
  }
  CacheFileName += ".dat";

  if (quick && fileSystem.IsExistingFile(CacheFileName)) {
    const std::optional<std::string> text = fileSystem.ReadWholeFile(CacheFileName);
    if (!text) throw SearchError(kop::FromUtf8("不能打开文件 ", codePage_) + CacheFileName);
    FolderList = SplitCacheLines(*text);
    std::int32_t count = 0;
    bool stop = false;
    const std::size_t lines = FolderList.size();
    for (std::size_t i = 0; i < lines; ++i) {
      const std::string& line = FolderList[i];
      if (callback != nullptr) {
        callback(line, scFolder, stop);
        if (stop) break;
      }
      // Byte for byte, with no check for a separator after the location.
      if (line.compare(0, location.size(), location) == 0) {
        count += ScanFolder(keyword, line, pattern, callback);
      }
    }
    return count;
  }

  FolderList.clear();
  const std::int32_t count = ScanTree(keyword, location, pattern, callback);
  if (callback != nullptr) {
    bool stop = false;
    callback(location, scFinished, stop);
    if (stop) return count;
  }
  std::string text;
  for (const std::string& folder : FolderList) {
    text += folder;
    text += "\r\n";
  }
  if (!fileSystem.ReplaceFile(CacheFileName, text).ok) {
    throw SearchError(kop::FromUtf8("不能创建文件 ", codePage_) + CacheFileName);
  }
  return count;
}

std::int32_t Tkopkuisou::ScanTree(const std::string& keyword, const std::string& folder,
                                  const std::string& pattern, TSearchCallback callback) {
  return WalkTree(keyword, BaseOf(folder), LowerCaseBytes(pattern), callback, nullptr, "");
}

std::int32_t Tkopkuisou::WalkTree(const std::string& keyword, const std::string& base,
                                  const std::string& lowerPattern, TSearchCallback callback,
                                  kop::FolderListing* parent, const std::string& name) {
  std::int32_t count = 0;
  bool recorded = false;
  bool stop = false;
  if (callback != nullptr) {
    callback(base, scFolder, stop);
    if (stop) return 0;
  }
  std::unique_ptr<kop::FolderListing> listing;
  if (parent == nullptr) {
    listing = kop::CurrentFileSystem().ListFolder(base + "/");
  } else if (base.size() + 2 <= kop::kMaxPathBytes) {
    // Same limit as listing by the whole path, which the system refuses.
    listing = parent->ListSubfolder(name);
  }
  if (!listing) return 0;
  kop::FolderEntry entry;
  std::string path;
  while (listing->Next(&entry)) {
    try {
      if (IsFolderEntry(entry)) {
        if (entry.name != "." && entry.name != "..") {
          count += WalkTree(keyword, base + "/" + entry.name, lowerPattern, callback,
                            listing.get(), entry.name);
        }
        continue;
      }
      if (!PassesTypeFilter(entry.name, lowerPattern)) continue;
      // Recorded at the first file of the type, whatever the keyword test
      // says: the record lists where such files are, not where hits were.
      if (!recorded) {
        recorded = true;
        FolderList.push_back(base);
      }
      path.assign(base).append(1, '/').append(entry.name);
      if (FileFound(keyword, path, callback, stop)) {
        ++count;
      } else if (stop) {
        return count;
      }
    } catch (const std::exception&) {
      // One entry's failure skips that entry; the walk goes on.
    }
  }
  return count;
}

std::int32_t Tkopkuisou::ScanFolder(const std::string& keyword, const std::string& folder,
                                    const std::string& pattern, TSearchCallback callback) {
  std::int32_t count = 0;
  try {
    const std::string base = BaseOf(folder);
    const std::string lowerPattern = LowerCaseBytes(pattern);
    bool stop = false;
    const std::unique_ptr<kop::FolderListing> listing =
        kop::CurrentFileSystem().ListFolder(base + "/");
    if (!listing) return 0;
    kop::FolderEntry entry;
    std::string path;
    while (listing->Next(&entry)) {
      try {
        if (IsFolderEntry(entry) || !PassesTypeFilter(entry.name, lowerPattern)) continue;
        path.assign(base).append(1, '/').append(entry.name);
        if (FileFound(keyword, path, callback, stop)) {
          ++count;
        } else if (stop) {
          return count;
        }
      } catch (const std::exception&) {
        // As in the full walk: skip the entry, go on.
      }
    }
  } catch (const std::exception&) {
    // A cached folder that cannot be walked yields what it yielded so far.
  }
  return count;
}

bool Tkopkuisou::FileFound(const std::string& keyword, const std::string& path,
                           TSearchCallback callback, bool& stop) {
  if (!keyword.empty() && !FileHoldsKeyword(path, keyword)) return false;
  if (callback != nullptr) {
    callback(path, scFound, stop);
    if (stop) return false;
  }
  return true;
}

bool Tkopkuisou::FileHoldsKeyword(const std::string& path, const std::string& keyword) {
  if (keyword != preparedKeyword_) {
    upperKeyword_ = kop::UpperCaseText(keyword, codePage_);
    scanner_.SetForms(keyword, ToWideBytes(keyword));
    preparedKeyword_ = keyword;
  }

  // Name test. Linux names cannot hold "/", so the name is what follows the
  // last one whatever the code page.
  const std::string upperName = kop::UpperCaseText(path.substr(path.rfind('/') + 1), codePage_);
  for (std::size_t at = upperName.find(upperKeyword_); at != std::string::npos;
       at = upperName.find(upperKeyword_, at + 1)) {
    // An occurrence that begins on the second byte of a double-byte character
    // is no match: count the run of lead bytes just before it.
    std::size_t leadRun = 0;
    while (leadRun < at &&
           kop::IsLeadByte(static_cast<unsigned char>(upperName[at - leadRun - 1]), codePage_)) {
      ++leadRun;
    }
    if (leadRun % 2 == 0) return true;
  }

  const std::unique_ptr<kop::ReadableFile> file = kop::CurrentFileSystem().OpenRegularFile(path);
  if (!file) throw SearchError(kop::FromUtf8("不能打开文件 ", codePage_) + path);
  return scanner_.FileHolds(*file);
}

std::string Tkopkuisou::ToWideBytes(const std::string& keyword) const {
  return kop::ToUtf16LeBytes(keyword, codePage_);
}
