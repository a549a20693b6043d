#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "search/kopkuisou.h"
#include "search/keyword_scanner.h"
#include "search/test_tree.h"

namespace {

using kop::CodePage;
using namespace std::string_literals;

const char* Name(CodePage codePage) { return codePage == CodePage::Utf8 ? "UTF-8" : "936"; }

// UTF-16LE bytes of UTF-8 test text.
std::string Wide(const std::string& utf8) { return kop::ToUtf16LeBytes(utf8, CodePage::Utf8); }

struct MatchCase {
  const char* name;
  std::string fileName;  // in UTF-8 when `text`, else raw bytes
  std::string content;   // raw bytes
  std::string keyword;   // in UTF-8 when `text`, else raw bytes
  bool text;             // convert fileName and keyword into the code page
  bool underUtf8;
  bool under936;
};

// One table, each row run under both code pages.
const MatchCase kCases[] = {
    {"name in another letter case", "REPORT.TXT", "", "report", true, true, true},
    {"name holds keyword of Greek letters, case ignored", "ΑΒΓ.txt", "", "αβγ", true, true, true},
    {"full-width letters: name ignores case", "Ａ.txt", "", "ａ", true, true, true},
    {"full-width letters: content compares exactly", "x.txt", Wide("Ａ"), "ａ", true, false,
     false},
    {"content is exactly the keyword", "x.txt", "kw", "kw", true, true, true},
    {"content begins with the keyword", "x.txt", "kw and more", "kw", true, true, true},
    {"content ends with the keyword", "x.txt", "more and kw", "kw", true, true, true},
    {"content shorter than the keyword", "x.txt", "k", "kw", true, false, false},
    {"empty content", "x.txt", "", "kw", true, false, false},
    {"ASCII in any letter case", "x.txt", "..abC..", "Abc", true, true, true},
    {"ASCII as UTF-16LE in any case", "x.txt", "a\0B\0c\0"s, "Abc", true, true, true},
    {"wide form cut by the end of file", "x.txt", "a\0b\0c"s, "abc", true, false, false},
    {"one letter as second byte of a double-byte character", "x.txt", "\xB0\x61", "a", true,
     true, true},
    {"wide form of U+4E2D folds its high byte", "x.txt", "\x2D\x6E", "中", true, true, true},
    {"UTF-16LE file holding nothing but a Chinese keyword", "x.txt", Wide("中文"), "中文",
     true, true, true},
    {"UTF-16LE file ending with a Chinese keyword", "x.txt", "\xFF\xFE"s + Wide("一些中文"),
     "中文", true, true, true},
    {"UTF-8 content of a Chinese keyword", "x.txt", "xx中文xx", "中文", true, true, false},
    {"GBK content of a Chinese keyword", "x.txt", "xx\xD6\xD0\xCE\xC4xx", "中文", true, false,
     true},
    {"second byte of a double-byte name is no start", "\xB0\x41"
                                                      "B.txt",
     "", "AB", false, true, false},
    {"folding reaches the second byte of double-byte content", "x.txt", "\x81\x41",
     "\x81\x61", false, true, true},
    {"keyword in a folder name only", "x.txt", "", "sub", true, false, false},
};

class KeywordMatcher : public testing::TestWithParam<CodePage> {
 protected:
  std::string InCodePage(const std::string& utf8, bool text) const {
    return text ? kop::FromUtf8(utf8, GetParam()) : utf8;
  }
  TempTree tree;
};

TEST_P(KeywordMatcher, TableOfNamesContentsAndKeywords) {
  const CodePage codePage = GetParam();
  Tkopkuisou searcher(tree.Path("data"), codePage);
  tree.Folder("sub");
  for (const MatchCase& c : kCases) {
    SCOPED_TRACE(std::string(c.name) + " under " + Name(codePage));
    const std::string path = tree.Path("sub/") + InCodePage(c.fileName, c.text);
    {
      std::ofstream(path, std::ios::binary) << c.content;
    }
    const bool expected = codePage == CodePage::Utf8 ? c.underUtf8 : c.under936;
    EXPECT_EQ(searcher.FileHoldsKeyword(path, InCodePage(c.keyword, c.text)), expected);
    std::filesystem::remove(path);
  }
}

TEST_P(KeywordMatcher, NameMatchNeedsNoReadingAndAFailedReadIsAFailure) {
  ScriptedFileSystem fileSystem;
  kop::ScopedFileSystem useScripted(fileSystem);
  Tkopkuisou searcher(tree.Path("data"), GetParam());
  tree.File("MyReport.txt", "report");
  fileSystem.unreadable.insert(tree.Path("MyReport.txt"));

  EXPECT_TRUE(searcher.FileHoldsKeyword(tree.Path("MyReport.txt"), "report"));
  EXPECT_EQ(fileSystem.filesOpened, 0);
  EXPECT_THROW(searcher.FileHoldsKeyword(tree.Path("MyReport.txt"), "zzz"), SearchError);
  tree.File("fifo-holder");
  tree.Fifo("pipe.txt");
  EXPECT_THROW(searcher.FileHoldsKeyword(tree.Path("pipe.txt"), "zzz"), SearchError);
  EXPECT_THROW(searcher.FileHoldsKeyword(tree.Path("gone.txt"), "zzz"), SearchError);
}

INSTANTIATE_TEST_SUITE_P(CodePages, KeywordMatcher,
                         testing::Values(CodePage::Utf8, CodePage::Gbk936),
                         [](const testing::TestParamInfo<CodePage>& info) {
                           return info.param == CodePage::Utf8 ? "Utf8" : "Cp936";
                         });

TEST(KeywordMatcherLongKeyword, KeywordsOfAnyLengthAreConvertedInFull) {
  TempTree tree;
  Tkopkuisou searcher(tree.Path("data"), CodePage::Gbk936);
  // 600 two-byte characters: more than a fixed conversion area would hold.
  std::string keyword;
  for (int i = 0; i < 600; ++i) keyword += "\xD6\xD0";
  EXPECT_EQ(searcher.ToWideBytes(keyword).size(), 1200u);
  std::string wide;
  for (int i = 0; i < 600; ++i) wide += "\x2D\x4E";
  tree.File("w.txt", "\xFF\xFE" + wide);
  tree.File("half.txt", "\xFF\xFE" + wide.substr(0, 1198));
  EXPECT_TRUE(searcher.FileHoldsKeyword(tree.Path("w.txt"), keyword));
  EXPECT_FALSE(searcher.FileHoldsKeyword(tree.Path("half.txt"), keyword));
}

// A file whose reads are scripted: it may shrink, fail, or hand out short
// pieces.
class ScriptedFile : public kop::ReadableFile {
 public:
  ScriptedFile(std::string content, std::uint64_t claimedSize, std::size_t maxPiece, bool fail)
      : content_(std::move(content)), claimedSize_(claimedSize), maxPiece_(maxPiece), fail_(fail) {}
  std::uint64_t SizeBytes() const override { return claimedSize_; }
  std::int64_t Read(char* buffer, std::size_t count) override {
    if (fail_ && position_ > 0) return -1;
    const std::size_t n = std::min({count, maxPiece_, content_.size() - position_});
    std::memcpy(buffer, content_.data() + position_, n);
    position_ += n;
    return static_cast<std::int64_t>(n);
  }

 private:
  std::string content_;
  std::uint64_t claimedSize_;
  std::size_t maxPiece_;
  bool fail_;
  std::size_t position_ = 0;
};

TEST(KeywordScanner, FindsFormsAcrossPieceBoundariesAndNearTheEnd) {
  const std::string keyword = "Needle";
  const std::string wide = Wide("needle");
  const std::size_t piece = 256 * 1024;
  struct Case { const char* name; std::size_t offset; bool wideForm; };
  const Case cases[] = {
      {"at the start", 0, false},
      {"across the first boundary", piece - 3, false},
      {"wide across the first boundary", piece - 5, true},
      {"right after the boundary", piece, false},
      {"across the second boundary", 2 * piece - 1, true},
      {"at the very end", 3 * piece - 6, false},
      {"wide at the very end", 3 * piece - 12, true},
  };
  KeywordScanner scanner;
  scanner.SetForms(keyword, kop::ToUtf16LeBytes(keyword, CodePage::Utf8));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string content(3 * piece, 'x');
    const std::string form = c.wideForm ? wide : "NEEDLE";
    content.replace(c.offset, form.size(), form);
    content.resize(std::max(content.size(), c.offset + form.size()));
    ScriptedFile file(content, content.size(), piece, false);
    EXPECT_TRUE(scanner.FileHolds(file));
    // The same through short reads that cut the form anywhere.
    ScriptedFile shortReads(content, content.size(), 4093, false);
    EXPECT_TRUE(scanner.FileHolds(shortReads));
  }
  std::string plain(3 * piece + 17, 'x');
  ScriptedFile without(plain, plain.size(), piece, false);
  EXPECT_FALSE(scanner.FileHolds(without));
}

TEST(KeywordScanner, AFileThatShrinksOrFailsWhileReadIsAFailure) {
  KeywordScanner scanner;
  scanner.SetForms("kw", Wide("kw"));
  const std::string content(1000, 'x');
  ScriptedFile shrunk(content, 5000, 1 << 20, false);
  EXPECT_THROW(scanner.FileHolds(shrunk), std::runtime_error);
  ScriptedFile failing(std::string(600000, 'x'), 600000, 1000, true);
  EXPECT_THROW(scanner.FileHolds(failing), std::runtime_error);
}

TEST(KeywordScanner, LongFormsLongerThanAPageCarryOver) {
  std::string keyword(10000, 'q');
  keyword[0] = 'S';
  keyword.back() = 'E';
  KeywordScanner scanner;
  scanner.SetForms(keyword, Wide(keyword));
  std::string content(600000, 'q');
  content.replace(256 * 1024 - 5000, keyword.size(), keyword);
  ScriptedFile file(content, content.size(), 1 << 20, false);
  EXPECT_TRUE(scanner.FileHolds(file));
}

// The vector scan against a plain reference on random bytes from a small
// alphabet, so that probes, case folding and tails all get exercised.
TEST(KeywordScanner, AgreesWithAPlainScanOnRandomData) {
  std::mt19937 random(12345);
  const std::string alphabet = "aAbB\0\x80zZ"s;
  auto pick = [&](std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += alphabet[random() % alphabet.size()];
    return s;
  };
  auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; };
  auto plainFind = [&](const std::string& data, const std::string& form) {
    if (form.empty() || form.size() > data.size()) return false;
    for (std::size_t p = 0; p + form.size() <= data.size(); ++p) {
      std::size_t i = 0;
      while (i < form.size() && fold(data[p + i]) == fold(form[i])) ++i;
      if (i == form.size()) return true;
    }
    return false;
  };
  KeywordScanner scanner;
  int hits = 0;
  for (int round = 0; round < 3000; ++round) {
    const std::string a = pick(1 + random() % 4);
    const std::string b = pick(1 + random() % 7);
    const std::string data = pick(random() % 300);
    scanner.SetForms(a, b);
    const bool expected = plainFind(data, a) || plainFind(data, b);
    hits += expected;
    ASSERT_EQ(scanner.BytesHold(data.data(), data.size()), expected)
        << "round " << round;
  }
  EXPECT_GT(hits, 300);
  EXPECT_LT(hits, 2700);
}

}  // namespace
