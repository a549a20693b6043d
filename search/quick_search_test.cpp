#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/kopkuisou.h"
#include "search/test_reports.h"
#include "search/test_tree.h"

namespace {

using namespace std::string_literals;

class QuickSearch : public testing::Test {
 protected:
  void SetUp() override {
    reports.clear();
    answer = nullptr;
    data.Folder("cache");
    tree.File("Docs/a.txt", "kw");
    tree.File("Docs/sub/b.txt");
    tree.File("Docs/sub/deeper/c.txt");
    tree.File("Documents/d.txt");
    tree.File("Other/e.txt");
    tree.File("Other/f.doc");
  }
  void TearDown() override { answer = nullptr; }

  // The cache file that a search of `location` for "*.txt" reads.
  std::string CachePath(const std::string& location) const {
    return data.Path("cache/") + location.substr(0, 1) + "txt.dat";
  }
  void WriteCache(const std::string& location, const std::string& text) const {
    std::ofstream(CachePath(location), std::ios::binary) << text;
  }
  std::string P(const std::string& relative) const { return tree.Path(relative); }

  TempTree tree;
  TempTree data;
  ScriptedFileSystem fileSystem;
  kop::ScopedFileSystem useScripted{fileSystem};
};

TEST_F(QuickSearch, VisitsOnlyCachedLinesThatBeginWithTheLocationOneLevelEach) {
  WriteCache(P(""), P("Docs") + "\r\n" + P("Docs/sub") + "\r\n" + P("Documents") + "\r\n" +
                        P("Other") + "\r\n\r\n" + P("Docs/sub/deeper") + " \r\n");
  Tkopkuisou searcher(data.Path("cache"));

  // "Doc" takes "Docs" and "Documents" alike: no separator check. The line
  // with a trailing blank is visited with its blank and finds nothing.
  EXPECT_EQ(searcher.Search("", P("Doc"), "*.txt", true, Record), 3);
  const std::vector<Report> expected = {
      {scFolder, P("Docs")},      {scFound, P("Docs/a.txt")},
      {scFolder, P("Docs/sub")},  {scFound, P("Docs/sub/b.txt")},
      {scFolder, P("Documents")}, {scFound, P("Documents/d.txt")},
      {scFolder, P("Other")},     {scFolder, ""},
      {scFolder, P("Docs/sub/deeper") + " "},
  };
  EXPECT_EQ(reports, expected);
  EXPECT_EQ(searcher.FolderList.size(), 6u);
  EXPECT_EQ(fileSystem.filesOpened, 0);
}

TEST_F(QuickSearch, PrefixIsByteForByteWithTheLocationAsTyped) {
  WriteCache(P(""), P("Docs") + "\r\n" + P("Docs/sub") + "\r\n");
  struct Case { const char* name; std::string location; int found; };
  const Case cases[] = {
      {"the folder itself", P("Docs"), 2},
      {"trailing separator leaves the folder itself out", P("Docs/"), 1},
      {"another letter case takes nothing", P("docs"), 0},
      {"a longer location takes nothing", P("Docs/sub/deeper"), 0},
      {"a parent takes everything", tree.Root(), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tkopkuisou searcher(data.Path("cache"));
    EXPECT_EQ(searcher.Search("", c.location, "*.txt", true, nullptr), c.found);
  }
}

TEST_F(QuickSearch, CacheLinesSplitAtEveryKindOfLineEnd) {
  struct Case { const char* name; std::string text; std::vector<std::string> lines; };
  const Case cases[] = {
      {"CR LF", "/a\r\n/b\r\n", {"/a", "/b"}},
      {"LF only", "/a\n/b\n", {"/a", "/b"}},
      {"CR only", "/a\r/b\r", {"/a", "/b"}},
      {"no end after the last line", "/a\r\n/b", {"/a", "/b"}},
      {"empty lines are lines", "\r\n\n/a\r\r\n", {"", "", "/a", ""}},
      {"LF CR is two ends", "/a\n\r/b", {"/a", "", "/b"}},
      {"NUL ends the text", "/a\r\n/b\0/c\r\n"s, {"/a", "/b"}},
      {"nothing trimmed or lower-cased", " /A b \t\r\n", {" /A b \t"}},
      {"empty file", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reports.clear();
    WriteCache("/", c.text);
    Tkopkuisou searcher(data.Path("cache"));
    EXPECT_EQ(searcher.Search("", "/nowhere-at-all", "*.txt", true, Record), 0);
    EXPECT_EQ(searcher.FolderList, c.lines);
    EXPECT_EQ(reports.size(), c.lines.size()) << "one folder report per line, no finished";
  }
}

TEST_F(QuickSearch, WithoutCacheFileItIsAFullSearchThatWritesOne) {
  Tkopkuisou searcher(data.Path("cache"));
  EXPECT_EQ(searcher.Search("", P("Docs"), "*.txt", true, Record), 3);
  EXPECT_EQ(reports.back(), (Report{scFinished, P("Docs")}));
  EXPECT_EQ(TempTree::ReadPath(CachePath(P(""))),
            P("Docs") + "\r\n" + P("Docs/sub") + "\r\n" + P("Docs/sub/deeper") + "\r\n");

  // The next quick search reads it back and finds the same files, also in
  // folders whose names hold upper-case letters.
  reports.clear();
  EXPECT_EQ(searcher.Search("", P("Docs"), "*.txt", true, Record), 3);
  EXPECT_EQ(std::count_if(reports.begin(), reports.end(),
                          [](const Report& r) { return r.code == scFinished; }),
            0);
}

TEST_F(QuickSearch, EmptyCacheFileFindsNothingAndDoesNotFallBack) {
  WriteCache(P(""), "");
  Tkopkuisou searcher(data.Path("cache"));
  EXPECT_EQ(searcher.Search("", P("Docs"), "*.txt", true, Record), 0);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(TempTree::ReadPath(CachePath(P(""))), "");
}

TEST_F(QuickSearch, GoneFolderIsReportedAndYieldsNothing) {
  WriteCache(P(""), P("Docs/gone") + "\r\n" + P("Docs") + "\r\n");
  Tkopkuisou searcher(data.Path("cache"));
  EXPECT_EQ(searcher.Search("", P("Docs"), "*.txt", true, Record), 1);
  const std::vector<Report> expected = {
      {scFolder, P("Docs/gone")}, {scFolder, P("Docs")}, {scFound, P("Docs/a.txt")}};
  EXPECT_EQ(reports, expected);
}

TEST_F(QuickSearch, KeywordTestAndTypeFilterApplyInEachFolder) {
  WriteCache(P(""), P("Docs") + "\r\n" + P("Other") + "\r\n");
  tree.File("Other/g.txt", "has KW inside");
  Tkopkuisou searcher(data.Path("cache"));
  EXPECT_EQ(searcher.Search("kw", tree.Root(), "*.txt", true, nullptr), 2);  // a.txt, g.txt
}

TEST_F(QuickSearch, StopEndsTheFolderAtItsNextReportAndTheLoopAtTheNextLine) {
  tree.File("Docs/b2.txt");
  tree.File("Docs/b3.txt");
  const std::string cache = P("Docs") + "\r\n" + P("Documents") + "\r\n" + P("Other") + "\r\n";
  WriteCache(P(""), cache);
  bool stopping = false;
  answer = [&](const Report& r) {
    return stopping = stopping || r.path == P("Docs/a.txt");
  };
  Tkopkuisou searcher(data.Path("cache"));
  EXPECT_EQ(searcher.Search("", tree.Root(), "*.txt", true, Record), 0);
  const std::vector<Report> expected = {
      {scFolder, P("Docs")}, {scFound, P("Docs/a.txt")}, {scFolder, P("Documents")}};
  EXPECT_EQ(reports, expected);
  EXPECT_EQ(TempTree::ReadPath(CachePath(P(""))), cache);
}

TEST_F(QuickSearch, UnreadableCacheFileEndsTheRequestBeforeAnyReport) {
  WriteCache(P(""), P("Docs") + "\r\n");
  fileSystem.failReadWhole = true;
  Tkopkuisou searcher(data.Path("cache"));
  try {
    searcher.Search("", P("Docs"), "*.txt", true, Record);
    FAIL() << "no failure";
  } catch (const SearchError& e) {
    EXPECT_EQ(std::string(e.what()), "不能打开文件 " + CachePath(P("")));
  }
  EXPECT_TRUE(reports.empty());
}

TEST_F(QuickSearch, ScanFolderNeverDescendsAndNeverFails) {
  Tkopkuisou searcher(data.Path("cache"));
  EXPECT_EQ(searcher.ScanFolder("", P("Docs/"), "*.txt", Record), 1);
  EXPECT_EQ(reports, (std::vector<Report>{{scFound, P("Docs/a.txt")}}));
  EXPECT_EQ(searcher.ScanFolder("", P("missing"), "*.txt", Record), 0);
  EXPECT_EQ(searcher.ScanFolder("", P("Docs/a.txt"), "*.txt", Record), 0);
  EXPECT_TRUE(searcher.FolderList.empty()) << "records nothing";
}

}  // namespace
