#include "search/kopkuisou.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "search/test_reports.h"
#include "search/test_tree.h"

namespace {

class SearcherTest : public testing::Test {
 protected:
  void SetUp() override {
    reports.clear();
    answer = nullptr;
    data.Folder("cache");
  }
  void TearDown() override { answer = nullptr; }

  // A tree whose sorted order makes the walk's order known:
  // ".hidden" < "B.TXT" < "a.txt" < "notes.md" < "sub" < "y.txt" < "z".
  void MakeTree() {
    tree.File("top/.hidden/f.txt", "f");
    tree.File("top/B.TXT", "b");
    tree.File("top/a.txt", "a");
    tree.File("top/notes.md", "n");
    tree.File("top/sub/c.txt", "c");
    tree.File("top/sub/deep/d.doc", "d");
    tree.File("top/y.txt", "y");
    tree.File("top/z/e.txt", "e");
  }

  std::string Top() const { return tree.Path("top"); }
  std::string CacheDir() const { return data.Path("cache") + "/"; }

  TempTree tree;
  TempTree data;
  ScriptedFileSystem fileSystem;
  kop::ScopedFileSystem useScripted{fileSystem};
};

TEST(TypeFilter, ExtensionOccursInPatternOrPatternTakesAll) {
  struct Case { const char* name; const char* pattern; bool passes; };
  const Case cases[] = {
      {"a.txt", "*.txt", true},         {"REPORT.TXT", "*.txt", true},
      {"report.txt", "*.TXT", true},    {"a.tx", "*.txt", true},
      {"a.t", "*.txt", true},           {"a.", "*.txt", true},
      {"a.text", "*.txt", false},       {"a.html", "*.htm", false},
      {"a.doc", "*.txt;*.doc", true},   {"noext", "*.*", true},
      {"noext", "*.txt", false},        {"a.txt", "txt", false},
      {"a.txt", "", false},             {".txt", "*.txt", true},
      {"a.b.txt", "*.txt", true},       {"a.txt.bak", "*.txt", false},
      {"x.TxT", "junk*.*junk", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " with " + c.pattern);
    EXPECT_EQ(PassesTypeFilter(c.name, LowerCaseBytes(c.pattern)), c.passes);
  }
}

TEST_F(SearcherTest, FullWalkReportsDepthFirstAndRecordsFoldersAtTheirFirstFileOfTheType) {
  MakeTree();
  Tkopkuisou searcher(CacheDir());
  const std::string top = Top();

  EXPECT_EQ(searcher.Search("", top, "*.txt", false, Record), 6);

  const std::vector<Report> expected = {
      {scFolder, top},
      {scFolder, top + "/.hidden"},
      {scFound, top + "/.hidden/f.txt"},
      {scFound, top + "/B.TXT"},
      {scFound, top + "/a.txt"},
      {scFolder, top + "/sub"},
      {scFound, top + "/sub/c.txt"},
      {scFolder, top + "/sub/deep"},
      {scFound, top + "/y.txt"},
      {scFolder, top + "/z"},
      {scFound, top + "/z/e.txt"},
      {scFinished, top},
  };
  EXPECT_EQ(reports, expected);
  // The top folder met its first text file after ".hidden" was walked; the
  // folder holding only a .doc is not recorded. Case is kept as walked.
  const std::vector<std::string> folders = {top + "/.hidden", top, top + "/sub", top + "/z"};
  EXPECT_EQ(searcher.FolderList, folders);
  EXPECT_EQ(searcher.CacheFileName, CacheDir() + top.substr(0, 1) + "txt.dat");
  EXPECT_EQ(TempTree::ReadPath(searcher.CacheFileName),
            top + "/.hidden\r\n" + top + "\r\n" + top + "/sub\r\n" + top + "/z\r\n");
  EXPECT_EQ(fileSystem.filesOpened, 0) << "no keyword, no file opened";
}

TEST_F(SearcherTest, TrailingSeparatorIsDroppedOnceAndTheCallerTextIsKeptElsewhere) {
  tree.File("Docs/Report.TXT");
  struct Case { std::string location; std::string base; };
  const Case cases[] = {
      {tree.Path("Docs/"), tree.Path("Docs")},
      {tree.Path("Docs//"), tree.Path("Docs/")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    reports.clear();
    Tkopkuisou searcher(CacheDir());
    searcher.Search("", c.location, "*.txt", false, Record);
    const std::vector<Report> expected = {
        {scFolder, c.base}, {scFound, c.base + "/Report.TXT"}, {scFinished, c.location}};
    EXPECT_EQ(reports, expected);
    EXPECT_EQ(searcher.FolderList, std::vector<std::string>{c.base});
  }
}

TEST_F(SearcherTest, RootIsWalkedWithTheEmptyBaseAndItsCacheFileSitsBehindADoubledSeparator) {
  // Stop at once: the root's own report is all this test needs.
  answer = [](const Report&) { return true; };
  Tkopkuisou searcher(CacheDir());
  EXPECT_EQ(searcher.Search("", "/", "*.txt", false, Record), 0);
  const std::vector<Report> expected = {{scFolder, ""}, {scFinished, "/"}};
  EXPECT_EQ(reports, expected);
  EXPECT_EQ(searcher.CacheFileName, CacheDir() + "/txt.dat");
  EXPECT_FALSE(data.Exists("cache/txt.dat"));
}

TEST_F(SearcherTest, StopWindsTheWalkDownAndKeepsTheCacheFileUnwritten) {
  MakeTree();
  const std::string top = Top();
  const std::string cacheName = CacheDir() + top.substr(0, 1) + "txt.dat";
  data.File("cache/" + top.substr(0, 1) + "txt.dat", "old\r\n");
  // From the report of "sub" on, every report is answered with stop.
  bool stopping = false;
  answer = [&](const Report& r) { return stopping = stopping || r.path == top + "/sub"; };
  Tkopkuisou searcher(CacheDir());

  // Found and not stopped: .hidden/f.txt, B.TXT, a.txt. y.txt is reported
  // with stop and not counted; the top walk ends there, so z is never entered.
  EXPECT_EQ(searcher.Search("", top, "*.txt", false, Record), 3);
  const std::vector<Report> expected = {
      {scFolder, top},
      {scFolder, top + "/.hidden"},
      {scFound, top + "/.hidden/f.txt"},
      {scFound, top + "/B.TXT"},
      {scFound, top + "/a.txt"},
      {scFolder, top + "/sub"},
      {scFound, top + "/y.txt"},
      {scFinished, top},
  };
  EXPECT_EQ(reports, expected);
  EXPECT_EQ(searcher.FolderList, (std::vector<std::string>{top + "/.hidden", top}));
  EXPECT_EQ(TempTree::ReadPath(cacheName), "old\r\n");
}

TEST_F(SearcherTest, StopAnsweredOnlyToFinishedStillKeepsTheCacheFileUnwritten) {
  tree.File("top/a.txt");
  answer = [](const Report& r) { return r.code == scFinished; };
  Tkopkuisou searcher(CacheDir());
  EXPECT_EQ(searcher.Search("", Top(), "*.txt", false, Record), 1);
  EXPECT_FALSE(std::filesystem::exists(searcher.CacheFileName));
}

TEST_F(SearcherTest, WithoutCallbackTheWalkRunsToTheEndAndWritesTheCacheFile) {
  MakeTree();
  Tkopkuisou searcher(CacheDir());
  EXPECT_EQ(searcher.Search("", Top(), "*.TXT", false, nullptr), 6);
  EXPECT_EQ(searcher.CacheFileName, CacheDir() + Top().substr(0, 1) + "TXT.dat");
  const std::string cache = TempTree::ReadPath(searcher.CacheFileName);
  EXPECT_EQ(std::count(cache.begin(), cache.end(), '\n'), 4);
}

TEST_F(SearcherTest, CacheFileNameTakesFirstByteAndPatternWithoutStarsAndDots) {
  tree.Folder("top");
  struct Case { const char* pattern; const char* suffix; };
  const Case cases[] = {{"*.txt", "txt.dat"}, {"txt", "txt.dat"}, {".txt", "txt.dat"},
                        {"*.*", ".dat"},      {"", ".dat"},       {"*.TXT;*.doc", "TXT;doc.dat"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    Tkopkuisou searcher(CacheDir());
    searcher.Search("", Top(), c.pattern, false, nullptr);
    EXPECT_EQ(searcher.CacheFileName, CacheDir() + Top().substr(0, 1) + c.suffix);
  }
}

TEST_F(SearcherTest, EmptyPatternFindsNothingAndWritesAnEmptyCacheFile) {
  MakeTree();
  const std::string cacheName = CacheDir() + Top().substr(0, 1) + ".dat";
  data.File("cache/" + Top().substr(0, 1) + ".dat", "from *.*\r\n");
  Tkopkuisou searcher(CacheDir());
  EXPECT_EQ(searcher.Search("", Top(), "", false, nullptr), 0);
  EXPECT_TRUE(std::filesystem::exists(cacheName));
  EXPECT_EQ(TempTree::ReadPath(cacheName), "");
}

TEST_F(SearcherTest, CacheWriteFailureEndsTheRequestAfterTheReports) {
  tree.File("top/a.txt");
  data.File("plain-file");
  // A data folder below a regular file: the cache file cannot be created.
  Tkopkuisou searcher(data.Path("plain-file/sub"));
  try {
    searcher.Search("", Top(), "*.txt", false, Record);
    FAIL() << "no failure";
  } catch (const SearchError& e) {
    EXPECT_EQ(std::string(e.what()),
              "不能创建文件 " + data.Path("plain-file/sub/") + Top().substr(0, 1) + "txt.dat");
  }
  EXPECT_EQ(reports.size(), 3u) << "folder, found and finished reached the caller";
  EXPECT_EQ(searcher.FolderList, std::vector<std::string>{Top()});
}

TEST_F(SearcherTest, CacheWriteFailureLeavesTheOldCacheFileAndNoTemporaryFile) {
  tree.File("top/a.txt");
  const std::string name = Top().substr(0, 1) + "txt.dat";
  data.File("cache/" + name, "old\r\n");
  fileSystem.failReplace = true;
  Tkopkuisou searcher(CacheDir());
  EXPECT_THROW(searcher.Search("", Top(), "*.txt", false, nullptr), SearchError);
  EXPECT_EQ(data.Read("cache/" + name), "old\r\n");

  fileSystem.failReplace = false;
  searcher.Search("", Top(), "*.txt", false, nullptr);
  EXPECT_EQ(data.Read("cache/" + name), Top() + "\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(CacheDir()),
                          std::filesystem::directory_iterator()),
            1)
      << "the replacement leaves no temporary file behind";
}

TEST_F(SearcherTest, FailuresWithinOneEntrySkipThatEntryOnly) {
  MakeTree();
  const std::string top = Top();
  fileSystem.unreadable.insert(top + "/a.txt");
  // The callback fails for one file and for one subfolder's own report.
  answer = [&](const Report& r) -> bool {
    if (r.path == top + "/B.TXT" || r.path == top + "/sub") throw std::runtime_error("callee");
    return false;
  };
  Tkopkuisou searcher(CacheDir());
  // A keyword that every name holds: files match by name, unopened.
  EXPECT_EQ(searcher.Search("t", top, "*.txt", false, Record), 4);
  const std::vector<Report> expected = {
      {scFolder, top},
      {scFolder, top + "/.hidden"},
      {scFound, top + "/.hidden/f.txt"},
      {scFound, top + "/B.TXT"},   // the callee failed: not counted
      {scFound, top + "/a.txt"},   // matched by name, so never opened
      {scFolder, top + "/sub"},    // the callee failed: sub is skipped
      {scFound, top + "/y.txt"},
      {scFolder, top + "/z"},
      {scFound, top + "/z/e.txt"},
      {scFinished, top},
  };
  EXPECT_EQ(reports, expected);
  EXPECT_EQ(fileSystem.filesOpened, 0);

  // With a keyword no name holds, the unreadable file is passed over silently
  // and the others are tested by content.
  reports.clear();
  answer = nullptr;
  tree.File("top/y.txt", "has the word kw");
  EXPECT_EQ(searcher.Search("KW", top, "*.txt", false, Record), 1);
  EXPECT_EQ(std::count(reports.begin(), reports.end(), Report{scFound, top + "/y.txt"}), 1);
  EXPECT_EQ(std::count_if(reports.begin(), reports.end(),
                          [](const Report& r) { return r.code == scFound; }),
            1);
}

TEST_F(SearcherTest, CallbackFailureAtTheLocationsOwnReportEndsTheRequest) {
  tree.File("top/a.txt");
  answer = [](const Report&) -> bool { throw std::runtime_error("callee"); };
  Tkopkuisou searcher(CacheDir());
  EXPECT_THROW(searcher.Search("", Top(), "*.txt", false, Record), std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(searcher.CacheFileName));
}

TEST_F(SearcherTest, LinksToFoldersAreNeitherEnteredNorListedOtherEntriesAreFiles) {
  tree.File("top/real/a.txt", "kw");
  tree.Link("top/loop", ".");                         // a cycle
  tree.Link("top/elsewhere", tree.Path("top/real"));  // a link to a folder
  tree.Link("top/link.txt", tree.Path("top/real/a.txt"));
  tree.Link("top/dangling.txt", tree.Path("nowhere"));
  tree.Fifo("top/pipe.txt");
  const std::string top = Top();
  Tkopkuisou searcher(CacheDir());

  EXPECT_EQ(searcher.Search("", top, "*.txt", false, Record), 4);
  const std::vector<Report> expected = {
      {scFolder, top},
      {scFound, top + "/dangling.txt"},
      {scFound, top + "/link.txt"},
      {scFound, top + "/pipe.txt"},
      {scFolder, top + "/real"},
      {scFound, top + "/real/a.txt"},
      {scFinished, top},
  };
  EXPECT_EQ(reports, expected);

  // With a keyword the FIFO is never opened (the walk would hang) and fails
  // like an unreadable file; the link to a file is read through.
  reports.clear();
  EXPECT_EQ(searcher.Search("KW", top, "*.txt", false, Record), 2);
  EXPECT_EQ(reports[1], (Report{scFound, top + "/link.txt"}));
  EXPECT_EQ(reports[3], (Report{scFound, top + "/real/a.txt"}));
}

TEST_F(SearcherTest, MissingLocationReportsItselfFindsNothingAndRecordsNothing) {
  Tkopkuisou searcher(CacheDir());
  const std::string missing = tree.Path("missing");
  EXPECT_EQ(searcher.Search("", missing, "*.txt", false, Record), 0);
  const std::vector<Report> expected = {{scFolder, missing}, {scFinished, missing}};
  EXPECT_EQ(reports, expected);
  EXPECT_EQ(TempTree::ReadPath(searcher.CacheFileName), "");
}

TEST_F(SearcherTest, ASubfolderSearchReplacesTheCacheFileOfItsPattern) {
  MakeTree();
  Tkopkuisou searcher(CacheDir());
  searcher.Search("", Top(), "*.txt", false, nullptr);
  searcher.Search("", Top() + "/sub", "*.txt", false, nullptr);
  EXPECT_EQ(TempTree::ReadPath(searcher.CacheFileName), Top() + "/sub\r\n");
}

}  // namespace
