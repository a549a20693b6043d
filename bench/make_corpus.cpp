// Makes the file trees the benchmarks search: the same bytes on every run,
// keywords planted at places the benchmark knows. A corpus is regenerated only
// when its stamp (kind, scale, format) differs from what is asked.
//
//   kopsou_make_corpus [--scale F] KIND DIR
//
// KIND is one of names, content, window, quick, memory. The tree to search is
// DIR/tree (memory: DIR/without and DIR/with); DIR/info holds key=value facts
// (counts, keywords) and content also writes DIR/planted-ascii.tsv and
// DIR/planted-chinese.tsv, one planted file a line: form, place, path
// relative to the tree.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kFormat = "kopsou-corpus 1";
constexpr const char* kMarkerName = ".kopsou-corpus";
constexpr std::uint64_t kSeed = 0x6b6f70736f75ULL;

// The keywords the content benchmarks look for. The text around them is made
// of words shorter than the ASCII keyword and of CJK characters other than
// U+7F55, so neither keyword (in either form) occurs where it was not planted.
constexpr const char* kAsciiKeyword = "Zephyrquondamvault";
const std::vector<char32_t> kChineseKeyword = {0x67D0, 0x4E2A, 0x7F55, 0x89C1, 0x8BCD};
constexpr char32_t kExcludedHanzi = 0x7F55;

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * kKiB;
constexpr std::uint64_t kBoundaryBytes = 256 * kKiB;

// splitmix64: small, fast, and the same sequence on every machine.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, n); n > 0.
  std::uint64_t Below(std::uint64_t n) { return Next() % n; }
  double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
  bool Chance(double p) { return Unit() < p; }
  // Index drawn by weight.
  std::size_t Pick(const std::vector<double>& weights) {
    double total = 0;
    for (double w : weights) total += w;
    double r = Unit() * total;
    for (std::size_t i = 0; i < weights.size(); ++i) {
      if (r < weights[i]) return i;
      r -= weights[i];
    }
    return weights.size() - 1;
  }

 private:
  std::uint64_t state_;
};

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

void WriteFile(const fs::path& path, const char* data, std::size_t sizeBytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail("cannot create " + path.string() + ": " + std::strerror(errno));
  while (sizeBytes > 0) {
    ssize_t n = ::write(fd, data, sizeBytes);
    if (n < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      ::close(fd);
      Fail("cannot write " + path.string() + ": " + std::strerror(error));
    }
    data += n;
    sizeBytes -= static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) Fail("cannot close " + path.string() + ": " + std::strerror(errno));
}

void WriteFile(const fs::path& path, const std::string& content) {
  WriteFile(path, content.data(), content.size());
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Only characters of the Basic Multilingual Plane occur here.
void AppendUtf16Le(char32_t c, std::string& out) {
  out += static_cast<char>(c & 0xFF);
  out += static_cast<char>((c >> 8) & 0xFF);
}

std::string AsciiToUtf16Le(const std::string& ascii) {
  std::string out;
  for (unsigned char c : ascii) AppendUtf16Le(c, out);
  return out;
}

// Facts written to DIR/info, in order.
class Info {
 public:
  template <typename T>
  void Set(const std::string& key, const T& value) {
    std::ostringstream text;
    text << value;
    lines_ += key + "=" + text.str() + "\n";
  }
  const std::string& Text() const { return lines_; }

 private:
  std::string lines_;
};

std::uint64_t Scaled(std::uint64_t count, double scale) {
  return std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::llround(count * scale)));
}

// A pronounceable-looking lower-case word of 2 to 9 letters.
std::string RandomWord(Random& random) {
  static const char kConsonants[] = "bcdfghjklmnprstvwxz";
  static const char kVowels[] = "aeiouy";
  std::size_t length = 2 + random.Below(8);
  std::string word;
  for (std::size_t i = 0; i < length; ++i) {
    word += (i % 2 == 0) ? kConsonants[random.Below(sizeof kConsonants - 1)]
                         : kVowels[random.Below(sizeof kVowels - 1)];
  }
  return word;
}

std::vector<std::string> MakeVocabulary(Random& random, std::size_t count) {
  std::vector<std::string> words;
  words.reserve(count);
  for (std::size_t i = 0; i < count; ++i) words.push_back(RandomWord(random));
  return words;
}

// A CJK unified ideograph whose UTF-16 low byte is not 0 (so that no run of
// them can look like UTF-16LE ASCII read one byte off) and that is not the
// excluded one.
char32_t RandomHanzi(Random& random) {
  for (;;) {
    char32_t c = 0x4E00 + static_cast<char32_t>(random.Below(0x9FA5 - 0x4E00 + 1));
    if ((c & 0xFF) != 0 && c != kExcludedHanzi) return c;
  }
}

// ---------------------------------------------------------------------------
// Trees of many small files: names, window, quick.

struct Extension {
  const char* text;
  double weight;
  bool isTxt;  // what `*.txt` selects (the type filter and fd -e txt agree)
};

// None of the other extensions occurs inside "*.txt" (no ".t", ".tx", ".").
const std::vector<Extension> kMixedExtensions = {
    {".txt", 9.0, true},  {".TXT", 0.6, true},  {".Txt", 0.4, true},  {".jpg", 10, false},
    {".png", 8, false},   {".doc", 6, false},   {".pdf", 8, false},   {".cpp", 8, false},
    {".h", 8, false},     {".md", 5, false},    {".json", 5, false},  {".log", 5, false},
    {".html", 5, false},  {".py", 5, false},    {".xml", 4, false},   {"", 5, false},
    {".tar.gz", 2, false}, {".text", 1, false}, {".xtx", 0.5, false},
};

std::vector<double> Weights(const std::vector<Extension>& extensions) {
  std::vector<double> weights;
  for (const auto& e : extensions) weights.push_back(e.weight);
  return weights;
}

// A file or folder name with some spaces, CJK characters and dot-names.
std::string RandomStem(Random& random, const std::vector<std::string>& vocabulary) {
  std::string stem;
  if (random.Chance(0.02)) stem += ".";
  stem += vocabulary[random.Below(vocabulary.size())];
  if (random.Chance(0.3)) stem += " " + vocabulary[random.Below(vocabulary.size())];
  if (random.Chance(0.1)) {
    stem += "_";
    for (int i = 0; i < 2; ++i) AppendUtf8(RandomHanzi(random), stem);
  }
  return stem;
}

// Folders of a tree laid out by fan-outs: fanouts {20, 20, 49} gives 20 top
// folders, each with 20, each of those with 49. Every folder is listed, the
// root excluded, parents before children.
std::vector<fs::path> MakeFolders(const fs::path& root, const std::vector<std::uint64_t>& fanouts,
                                  Random& random, const std::vector<std::string>& vocabulary) {
  std::vector<fs::path> all;
  std::vector<fs::path> level = {root};
  std::uint64_t serial = 0;
  for (std::uint64_t fanout : fanouts) {
    std::vector<fs::path> next;
    for (const auto& parent : level) {
      for (std::uint64_t i = 0; i < fanout; ++i) {
        std::string name = RandomStem(random, vocabulary);
        if (name[0] == '.') name.erase(0, 1);
        fs::path folder = parent / (name + "-" + std::to_string(serial++));
        fs::create_directory(folder);
        next.push_back(folder);
      }
    }
    all.insert(all.end(), next.begin(), next.end());
    level = std::move(next);
  }
  return all;
}

void TouchFile(const fs::path& path) { WriteFile(path, nullptr, 0); }

std::string FileName(Random& random, const std::vector<std::string>& vocabulary,
                     std::uint64_t serial, const char* extension) {
  return RandomStem(random, vocabulary) + "-" + std::to_string(serial) + extension;
}

// about 200 000 files of mixed types in about 20 000 folders.
void MakeNames(const fs::path& dir, double scale, Info& info) {
  Random random(kSeed ^ 1);
  auto vocabulary = MakeVocabulary(random, 3000);
  fs::path root = dir / "tree";
  fs::create_directory(root);
  auto folders = MakeFolders(root, {20, 20, Scaled(49, scale)}, random, vocabulary);
  folders.push_back(root);
  const auto weights = Weights(kMixedExtensions);
  std::uint64_t files = 0, txtFiles = 0;
  for (const auto& folder : folders) {
    for (int i = 0; i < 10; ++i) {
      const Extension& extension = kMixedExtensions[random.Pick(weights)];
      TouchFile(folder / FileName(random, vocabulary, files, extension.text));
      ++files;
      txtFiles += extension.isTxt;
    }
  }
  info.Set("folders", folders.size());
  info.Set("files", files);
  info.Set("txt_files", txtFiles);
}

// 100 000 .txt files in 1 000 folders: the window lists them all.
void MakeWindow(const fs::path& dir, double scale, Info& info) {
  Random random(kSeed ^ 2);
  auto vocabulary = MakeVocabulary(random, 3000);
  fs::path root = dir / "tree";
  fs::create_directory(root);
  auto folders = MakeFolders(root, {10, Scaled(100, scale)}, random, vocabulary);
  std::uint64_t files = 0;
  for (const auto& folder : folders) {
    if (folder.parent_path() == root) continue;
    for (int i = 0; i < 100; ++i) {
      TouchFile(folder / FileName(random, vocabulary, files, ".txt"));
      ++files;
    }
  }
  info.Set("folders", folders.size());
  info.Set("files", files);
  info.Set("txt_files", files);
}

// about 20 000 folders of 8 files each; about 1% of them hold .txt files,
// the rest only other types.
void MakeQuick(const fs::path& dir, double scale, Info& info) {
  Random random(kSeed ^ 3);
  auto vocabulary = MakeVocabulary(random, 3000);
  fs::path root = dir / "tree";
  fs::create_directory(root);
  auto folders = MakeFolders(root, {20, 20, Scaled(49, scale)}, random, vocabulary);
  std::vector<Extension> others;
  for (const auto& e : kMixedExtensions)
    if (!e.isTxt) others.push_back(e);
  const auto weights = Weights(others);
  std::uint64_t files = 0, txtFiles = 0, txtFolders = 0;
  for (const auto& folder : folders) {
    int wanted = random.Chance(0.01) ? 1 + static_cast<int>(random.Below(3)) : 0;
    txtFolders += wanted > 0;
    for (int i = 0; i < 8; ++i) {
      const char* extension = i < wanted ? ".txt" : others[random.Pick(weights)].text;
      TouchFile(folder / FileName(random, vocabulary, files, extension));
      ++files;
      txtFiles += i < wanted;
    }
  }
  info.Set("folders", folders.size());
  info.Set("files", files);
  info.Set("txt_files", txtFiles);
  info.Set("txt_folders", txtFolders);
}

// ---------------------------------------------------------------------------
// Text: pools of a few MiB per encoding; a file is a run of slices of one.

enum class Encoding { Latin1, Utf8, Gbk, Utf16Bom, Utf16NoBom };

const char* EncodingName(Encoding e) {
  switch (e) {
    case Encoding::Latin1: return "latin1";
    case Encoding::Utf8: return "utf8";
    case Encoding::Gbk: return "gbk";
    case Encoding::Utf16Bom: return "utf16le-bom";
    case Encoding::Utf16NoBom: return "utf16le";
  }
  return "?";
}

bool IsUtf16(Encoding e) { return e == Encoding::Utf16Bom || e == Encoding::Utf16NoBom; }

struct Pool {
  std::string bytes;
  std::size_t unitBytes = 1;  // 2 for UTF-16LE
  std::string space;          // the separator a slice starts at
};

// Text of ASCII words with runs of other characters, in one encoding. Lines
// end every dozen words or so.
Pool MakePool(Encoding encoding, Random& random, const std::vector<std::string>& vocabulary,
              std::size_t sizeBytes) {
  Pool pool;
  const bool wide = IsUtf16(encoding);
  pool.unitBytes = wide ? 2 : 1;
  pool.space = wide ? std::string("\x20\x00", 2) : std::string(" ");
  std::string& out = pool.bytes;
  out.reserve(sizeBytes + 256);
  auto put = [&](char32_t c) {
    if (wide) AppendUtf16Le(c, out);
    else if (encoding == Encoding::Latin1) out += static_cast<char>(c);
    else AppendUtf8(c, out);
  };
  static const char32_t kLatinLetters[] = {0xE9, 0xE8, 0xFC, 0xF6, 0xE4, 0xE7, 0xF1, 0xE0};
  const double otherShare = encoding == Encoding::Latin1 ? 0.15 : encoding == Encoding::Gbk ? 0.6 : 0.3;
  std::size_t wordsOnLine = 0;
  while (out.size() < sizeBytes) {
    if (random.Chance(otherShare)) {
      std::size_t run = 1 + random.Below(6);
      for (std::size_t i = 0; i < run; ++i) {
        if (encoding == Encoding::Latin1) {
          put(kLatinLetters[random.Below(8)]);
        } else if (encoding == Encoding::Gbk) {
          // A GB2312 level-1 hanzi: both bytes at or above 0xA1, so never ASCII.
          out += static_cast<char>(0xB0 + random.Below(0xD7 - 0xB0));
          out += static_cast<char>(0xA1 + random.Below(0xFF - 0xA1));
        } else {
          put(RandomHanzi(random));
        }
      }
    } else {
      const std::string& word = vocabulary[random.Below(vocabulary.size())];
      bool capital = random.Chance(0.1);
      for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        put(static_cast<unsigned char>(capital && i == 0 ? c - 'a' + 'A' : c));
      }
    }
    if (++wordsOnLine >= 12 && random.Chance(0.3)) {
      if (wide) put('\r');
      put('\n');
      wordsOnLine = 0;
    } else {
      if (random.Chance(0.05)) put(',');
      put(' ');
    }
  }
  return pool;
}

// Appends `sizeBytes` bytes (a multiple of the unit) of the pool, slice after
// slice, each slice starting at a separator.
void FillFromPool(const Pool& pool, Random& random, std::size_t sizeBytes, std::string& out) {
  const std::size_t units = pool.bytes.size() / pool.unitBytes;
  while (sizeBytes > 0) {
    std::size_t start = random.Below(units / 2) * pool.unitBytes;
    std::size_t found = pool.bytes.find(pool.space, start);
    while (found != std::string::npos && found % pool.unitBytes != 0)
      found = pool.bytes.find(pool.space, found + 1);
    if (found != std::string::npos) start = found;
    std::size_t take = std::min(sizeBytes, pool.bytes.size() - start);
    take -= take % pool.unitBytes;
    out.append(pool.bytes, start, take);
    sizeBytes -= take;
  }
}

enum class Place { Start, Middle, End, Boundary };

const char* PlaceName(Place p) {
  switch (p) {
    case Place::Start: return "start";
    case Place::Middle: return "middle";
    case Place::End: return "end";
    case Place::Boundary: return "boundary";
  }
  return "?";
}

// Overwrites the content at `place` with `form`. A boundary place needs a
// file of at least 256 KiB plus the form.
void Plant(std::string& content, std::size_t headerBytes, std::size_t unitBytes,
           const std::string& form, Place place, Random& random) {
  const std::size_t size = content.size();
  if (size < headerBytes + form.size()) Fail("file too small to plant in");
  std::size_t offset = headerBytes;
  switch (place) {
    case Place::Start:
      offset = headerBytes;
      break;
    case Place::Middle:
      offset = std::max(headerBytes, (size - form.size()) / 2);
      break;
    case Place::End:
      offset = size - form.size();
      break;
    case Place::Boundary: {
      // The boundary falls inside the form, after a random number of units.
      std::uint64_t boundaries = (size - form.size()) / kBoundaryBytes;
      if (boundaries == 0) Fail("file too small to plant across a boundary");
      std::uint64_t k = 1 + random.Below(boundaries);
      std::size_t unitsBefore = 1 + random.Below(form.size() / unitBytes - 1);
      offset = k * kBoundaryBytes - unitsBefore * unitBytes;
      break;
    }
  }
  offset -= offset % unitBytes;
  content.replace(offset, form.size(), form);
}

std::string RandomCase(const std::string& word, Random& random) {
  std::string out = word;
  switch (random.Below(3)) {
    case 0:
      for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      break;
    case 1:
      for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      break;
    default:
      break;
  }
  return out;
}

// about 1.5 GB in 12 000 files of mixed encodings; 95% are .txt.
void MakeContent(const fs::path& dir, double scale, Info& info) {
  Random random(kSeed ^ 4);
  auto vocabulary = MakeVocabulary(random, 5000);
  const std::vector<Encoding> encodings = {Encoding::Latin1, Encoding::Utf8, Encoding::Gbk,
                                           Encoding::Utf16Bom, Encoding::Utf16NoBom};
  const std::vector<double> encodingWeights = {15, 35, 20, 18, 12};
  std::map<Encoding, Pool> pools;
  for (Encoding e : encodings) {
    Encoding poolEncoding = e == Encoding::Utf16NoBom ? Encoding::Utf16Bom : e;
    if (!pools.count(poolEncoding)) pools[poolEncoding] = MakePool(poolEncoding, random, vocabulary, 8 * kMiB);
  }

  fs::path root = dir / "tree";
  fs::create_directory(root);
  auto folders = MakeFolders(root, {12, 25}, random, vocabulary);

  // What each file is: encoding, type, planted keyword (never both in one
  // file, so plants cannot overlap) and where it goes.
  struct FilePlan {
    Encoding encoding;
    bool isTxt;
    int keyword;  // 0 none, 1 ASCII, 2 Chinese
    Place place;
    double sizeBytes;
    bool fixedSize;
  };
  const std::uint64_t fileCount = Scaled(12000, scale);
  std::vector<FilePlan> plans(fileCount);
  // Sizes: log-uniform from 1 KiB to 1 MiB, one file in a hundred from 2 to
  // 24 MiB, all scaled so that the corpus adds up to the wanted total; but a
  // file planted across a 256 KiB boundary gets a fixed size of 1 to 4 such
  // boundaries and a bit.
  double fixedSum = 0, scaledSum = 0;
  for (auto& plan : plans) {
    plan.encoding = encodings[random.Pick(encodingWeights)];
    plan.isTxt = !random.Chance(0.05);
    const double draw = random.Unit();
    plan.keyword = draw < 0.04 ? 1 : draw < 0.07 ? 2 : 0;
    plan.place = static_cast<Place>(random.Pick({20, 25, 20, 35}));
    plan.fixedSize = plan.keyword != 0 && plan.place == Place::Boundary;
    if (plan.fixedSize) {
      plan.sizeBytes = static_cast<double>((1 + random.Below(4)) * kBoundaryBytes + 4 * kKiB + random.Below(252 * kKiB));
      fixedSum += plan.sizeBytes;
    } else {
      plan.sizeBytes = random.Chance(0.01) ? (2 + random.Unit() * 22) * kMiB
                                           : std::exp(std::log(1024.0) + random.Unit() * std::log(1024.0));
      scaledSum += plan.sizeBytes;
    }
  }
  const double factor = std::max(0.01, (1.5e9 * scale - fixedSum) / scaledSum);

  const std::string asciiAnsi = kAsciiKeyword;
  std::string chineseAnsi, chineseWide;
  for (char32_t c : kChineseKeyword) {
    AppendUtf8(c, chineseAnsi);
    AppendUtf16Le(c, chineseWide);
  }
  static const char* kOtherExtensions[] = {".log", ".csv", ".md"};

  std::ofstream plantedAscii(dir / "planted-ascii.tsv"), plantedChinese(dir / "planted-chinese.tsv");
  std::uint64_t txtFiles = 0, allBytes = 0, txtBytes = 0, largest = 0;
  std::map<std::string, std::uint64_t> counts;
  std::string content;
  for (std::uint64_t i = 0; i < fileCount; ++i) {
    const FilePlan& plan = plans[i];
    const bool wide = IsUtf16(plan.encoding);
    const Pool& pool = pools[wide ? Encoding::Utf16Bom : plan.encoding];
    std::size_t size = std::max<std::size_t>(
        256, static_cast<std::size_t>(plan.fixedSize ? plan.sizeBytes : plan.sizeBytes * factor));
    size -= size % pool.unitBytes;

    content.clear();
    std::size_t headerBytes = 0;
    if (plan.encoding == Encoding::Utf16Bom) {
      content = "\xFF\xFE";
      headerBytes = 2;
    }
    FillFromPool(pool, random, size - headerBytes, content);
    if (plan.keyword != 0) {
      std::string word = plan.keyword == 1 ? RandomCase(asciiAnsi, random) : chineseAnsi;
      std::string form = !wide ? word : plan.keyword == 1 ? AsciiToUtf16Le(word) : chineseWide;
      Plant(content, headerBytes, pool.unitBytes, form, plan.place, random);
    }

    const fs::path& folder = folders[random.Below(folders.size())];
    std::string name = random.Chance(0.15) ? std::string("笔记") : vocabulary[random.Below(vocabulary.size())];
    name += "-" + std::to_string(i) + (plan.isTxt ? ".txt" : kOtherExtensions[random.Below(3)]);
    fs::path path = folder / name;
    WriteFile(path, content);

    if (plan.keyword != 0 && plan.isTxt) {
      (plan.keyword == 1 ? plantedAscii : plantedChinese)
          << EncodingName(plan.encoding) << "\t" << PlaceName(plan.place) << "\t"
          << fs::relative(path, root).string() << "\n";
      const std::string prefix = plan.keyword == 1 ? "ascii_planted" : "chinese_planted";
      ++counts[prefix];
      if (wide) ++counts[prefix + "_utf16le"];
      if (plan.encoding == Encoding::Utf16Bom) ++counts[prefix + "_utf16le_bom"];
    }
    allBytes += content.size();
    largest = std::max<std::uint64_t>(largest, content.size());
    if (plan.isTxt) {
      ++txtFiles;
      txtBytes += content.size();
    }
  }
  if (!plantedAscii || !plantedChinese) Fail("cannot write the planted lists in " + dir.string());
  info.Set("folders", folders.size());
  info.Set("files", fileCount);
  info.Set("txt_files", txtFiles);
  info.Set("bytes", allBytes);
  info.Set("txt_bytes", txtBytes);
  info.Set("largest_file_bytes", largest);
  info.Set("ascii_keyword", asciiAnsi);
  info.Set("chinese_keyword", chineseAnsi);
  for (const char* key : {"ascii_planted", "ascii_planted_utf16le", "ascii_planted_utf16le_bom",
                          "chinese_planted", "chinese_planted_utf16le", "chinese_planted_utf16le_bom"})
    info.Set(key, counts[key]);
}

// A small tree of text, and the same tree with one 256 MiB text file more.
void MakeMemory(const fs::path& dir, double scale, Info& info) {
  Random random(kSeed ^ 5);
  auto vocabulary = MakeVocabulary(random, 3000);
  Pool pool = MakePool(Encoding::Utf8, random, vocabulary, 8 * kMiB);
  std::string content;
  for (const char* side : {"without", "with"}) {
    Random treeRandom(kSeed ^ 6);  // both sides get the same small tree
    fs::path root = dir / side;
    fs::create_directory(root);
    for (int f = 0; f < 20; ++f) {
      fs::path folder = root / ("folder-" + std::to_string(f));
      fs::create_directory(folder);
      for (int i = 0; i < 20; ++i) {
        content.clear();
        FillFromPool(pool, treeRandom, (16 + treeRandom.Below(48)) * kKiB, content);
        WriteFile(folder / ("text-" + std::to_string(i) + ".txt"), content);
      }
    }
  }
  const std::uint64_t bigBytes = Scaled(256, scale) * kMiB;
  fs::path bigPath = dir / "with" / "big.txt";
  {
    std::ofstream big(bigPath, std::ios::binary | std::ios::trunc);
    for (std::uint64_t written = 0; written < bigBytes; written += 8 * kMiB) {
      content.clear();
      FillFromPool(pool, random, std::min<std::uint64_t>(8 * kMiB, bigBytes - written), content);
      big.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    if (!big) Fail("cannot write " + bigPath.string());
  }
  info.Set("files_without", 400);
  info.Set("files_with", 401);
  info.Set("big_file_bytes", bigBytes);
  info.Set("absent_keyword", kAsciiKeyword);
}

std::string ReadSmallFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Empties `dir` for a new corpus: only a folder that we made (it holds our
// marker) or an empty one is removed.
void PrepareFolder(const fs::path& dir) {
  if (fs::exists(dir)) {
    if (!fs::is_directory(dir)) Fail(dir.string() + " is not a folder");
    if (!fs::is_empty(dir) && !fs::exists(dir / kMarkerName))
      Fail(dir.string() + " holds files that are not a corpus of ours; not touching it");
    fs::remove_all(dir);
  }
  fs::create_directories(dir);
  WriteFile(dir / kMarkerName, std::string(kFormat) + "\n");
}

int Usage() {
  std::fprintf(stderr, "usage: kopsou_make_corpus [--scale F] names|content|window|quick|memory DIR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  double scale = 1.0;
  if (args.size() >= 2 && args[0] == "--scale") {
    scale = std::atof(args[1].c_str());
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.size() != 2 || !(scale > 0)) return Usage();
  const std::string kind = args[0];
  const fs::path dir = args[1];
  using Maker = void (*)(const fs::path&, double, Info&);
  const std::map<std::string, Maker> makers = {
      {"names", MakeNames}, {"content", MakeContent}, {"window", MakeWindow},
      {"quick", MakeQuick}, {"memory", MakeMemory}};
  auto maker = makers.find(kind);
  if (maker == makers.end()) return Usage();

  std::ostringstream stamp;
  stamp << kFormat << " kind=" << kind << " scale=" << scale << " seed=" << kSeed << "\n";
  try {
    if (fs::exists(dir / "stamp") && ReadSmallFile(dir / "stamp") == stamp.str()) {
      std::printf("%s: up to date\n", dir.c_str());
      return 0;
    }
    std::printf("%s: making the %s corpus (scale %g)...\n", dir.c_str(), kind.c_str(), scale);
    std::fflush(stdout);
    PrepareFolder(dir);
    Info info;
    info.Set("kind", kind);
    info.Set("scale", scale);
    maker->second(dir, scale, info);
    WriteFile(dir / "info", info.Text());
    WriteFile(dir / "stamp", stamp.str());
    std::printf("%s", info.Text().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kopsou_make_corpus: %s\n", e.what());
    return 1;
  }
  return 0;
}
