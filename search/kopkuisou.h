// The searcher: walks a folder tree (or the folders a full walk recorded),
// keeps the files of the requested type that hold the keyword, and reports
// each folder, each hit and the end of a full walk through a callback. It
// shows nothing and pumps no events; the caller decides what a report does.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "search/keyword_scanner.h"

// Report codes (there is no code 2).
constexpr std::int32_t scFound = 0;
constexpr std::int32_t scFolder = 1;
constexpr std::int32_t scFinished = 3;

// How the searcher reports. `stop` is false on entry; the callee sets it to
// true to ask the searcher to stop the walk or loop that made the report.
using TSearchCallback = void (*)(const std::string& path, std::int32_t code, bool& stop);

// A failure that ends a request: the folder cache file cannot be written or
// read. what() is the text for the user, in the searcher's code page.
class SearchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Tkopkuisou {
 public:
  // `dataDir` is the folder of the folder cache files; "/" is appended when
  // missing. Conversions and case rules follow `codePage`.
  explicit Tkopkuisou(const std::string& dataDir,
                      kop::CodePage codePage = kop::ProcessCodePage());
  Tkopkuisou(const Tkopkuisou&) = delete;
  Tkopkuisou& operator=(const Tkopkuisou&) = delete;

  // Runs one request and returns the number of files found (reports not
  // answered with stop). Quick with an existing cache file visits only the
  // cached folders under `location`; otherwise walks the whole tree, reports
  // scFinished and, unless that report was answered with stop, writes the
  // cache file. Throws SearchError when the cache file cannot be written or
  // read; an exception thrown by the callback for the location's own folder
  // report or the scFinished report passes through. Not re-entrant: the
  // caller must not start a second request, or destroy the searcher, from
  // inside a report.
  std::int32_t Search(const std::string& keyword, const std::string& location,
                      const std::string& pattern, bool quick, TSearchCallback callback);

  // One folder and everything below it; the number of files found there.
  // Failures within one entry are caught and skip that entry.
  std::int32_t ScanTree(const std::string& keyword, const std::string& folder,
                        const std::string& pattern, TSearchCallback callback);

  // One folder without descending; never fails, a missing folder yields 0.
  std::int32_t ScanFolder(const std::string& keyword, const std::string& folder,
                          const std::string& pattern, TSearchCallback callback);

  // True when the file's name holds the keyword (letter case ignored as the
  // code page defines) or its bytes hold the keyword's own bytes or its
  // UTF-16LE form (only a-z folded to A-Z). `keyword` is not empty. Throws
  // SearchError when the content has to be read and cannot be.
  bool FileHoldsKeyword(const std::string& path, const std::string& keyword);

  // The keyword's UTF-16LE bytes, low byte first, no terminator.
  std::string ToWideBytes(const std::string& keyword) const;

  // True when the entry is a folder (carries the directory bit).
  static bool IsFolderEntry(const kop::FolderEntry& entry);

  // Read by callers between requests; written only by the searcher.
  // The folders of the latest full walk (in the order they met their first
  // file of the type), or the lines of the cache file of the latest quick
  // search.
  std::vector<std::string> FolderList;
  // The folder of the cache files, ending with "/".
  std::string DataDir;
  // The cache file of the latest request; empty before the first.
  std::string CacheFileName;

 private:
  // ScanTree for the folder `base` (no trailing "/"), listed through its
  // parent's listing when there is one.
  std::int32_t WalkTree(const std::string& keyword, const std::string& base,
                        const std::string& lowerPattern, TSearchCallback callback,
                        kop::FolderListing* parent, const std::string& name);

  // The keyword test and the report of one file of the type: true when the
  // file counts. A report answered with stop sets `stop`; that file does
  // not count.
  bool FileFound(const std::string& keyword, const std::string& path, TSearchCallback callback,
                 bool& stop);

  kop::CodePage codePage_;
  // The forms of the last keyword tested, kept so that a walk converts the
  // keyword once rather than once per file.
  std::string preparedKeyword_;
  std::string upperKeyword_;
  KeywordScanner scanner_;
};

// Type filter: true when the lower-cased extension of `name` (from its last
// ".", dot included) is not empty and occurs in `lowerPattern`, or when
// `lowerPattern` holds "*.*".
bool PassesTypeFilter(const std::string& name, const std::string& lowerPattern);

// A-Z to a-z, byte by byte; nothing else changes.
std::string LowerCaseBytes(const std::string& text);
