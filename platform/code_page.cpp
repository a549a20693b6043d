#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <QChar>
#include <QList>

namespace kop {
namespace {

CodePage processCodePage = CodePage::Utf8;

const char* IconvName(CodePage codePage) {
  return codePage == CodePage::Gbk936 ? "CP936" : "UTF-8";
}

// One iconv descriptor per direction and code page, opened on first use and
// kept for the run (everything runs on one thread).
iconv_t Converter(CodePage codePage, bool toCodePage) {
  static iconv_t converters[2][2] = {{(iconv_t)-1, (iconv_t)-1}, {(iconv_t)-1, (iconv_t)-1}};
  iconv_t& slot = converters[codePage == CodePage::Gbk936][toCodePage];
  if (slot == (iconv_t)-1) {
    slot = toCodePage ? iconv_open(IconvName(codePage), "UTF-32LE")
                      : iconv_open("UTF-32LE", IconvName(codePage));
  }
  return slot;
}

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes the character that starts at text[pos]; sets *length to the bytes
// it takes. Returns kInvalid with *length 1 for a byte that starts no valid
// character.
char32_t DecodeOne(const std::string& text, std::size_t pos, CodePage codePage,
                   std::size_t* length) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  if (byte < 0x80) {
    *length = 1;
    return byte;
  }
  iconv_t cd = Converter(codePage, false);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text.data() + pos);
  std::size_t inLeft = text.size() - pos;
  unsigned char out[4];
  char* outPtr = reinterpret_cast<char*>(out);
  std::size_t outLeft = sizeof out;
  const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  if (outLeft == 0) {
    // One character converted; the rest did not fit (E2BIG) or there was no
    // rest.
    *length = (text.size() - pos) - inLeft;
    return out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
  }
  (void)rc;
  *length = 1;
  return kInvalid;
}

// Encodes one character into the code page; false when the code page cannot
// hold it.
bool EncodeOne(char32_t character, CodePage codePage, std::string* out) {
  if (character < 0x80) {
    out->push_back(static_cast<char>(character));
    return true;
  }
  iconv_t cd = Converter(codePage, true);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  unsigned char in[4] = {static_cast<unsigned char>(character),
                         static_cast<unsigned char>(character >> 8),
                         static_cast<unsigned char>(character >> 16),
                         static_cast<unsigned char>(character >> 24)};
  char* inPtr = reinterpret_cast<char*>(in);
  std::size_t inLeft = sizeof in;
  char bytes[8];
  char* outPtr = bytes;
  std::size_t outLeft = sizeof bytes;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
    return false;
  }
  out->append(bytes, sizeof bytes - outLeft);
  return true;
}

bool IsAscii(const std::string& text) {
  for (unsigned char byte : text) {
    if (byte >= 0x80) return false;
  }
  return true;
}

}  // namespace

CodePage CodePageFromEnvironment(std::string* warning) {
  warning->clear();
  const char* value = std::getenv("KOPSOU_CODEPAGE");
  if (value == nullptr || std::strcmp(value, "utf-8") == 0) return CodePage::Utf8;
  if (std::strcmp(value, "936") == 0) return CodePage::Gbk936;
  *warning = std::string("kopsou: KOPSOU_CODEPAGE=") + value +
             " is not supported (use utf-8 or 936); using UTF-8";
  return CodePage::Utf8;
}

CodePage ProcessCodePage() { return processCodePage; }

void SetProcessCodePage(CodePage codePage) { processCodePage = codePage; }

std::string UpperCaseText(const std::string& text, CodePage codePage) {
  std::string upper;
  upper.reserve(text.size());
  if (IsAscii(text)) {
    for (char c : text) upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c);
    return upper;
  }
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t length = 1;
    const char32_t character = DecodeOne(text, pos, codePage, &length);
    const char32_t mapped = character == kInvalid ? character : QChar::toUpper(character);
    if (mapped == character || !EncodeOne(mapped, codePage, &upper)) {
      upper.append(text, pos, length);
    }
    pos += length;
  }
  return upper;
}

std::string ToUtf16LeBytes(const std::string& text, CodePage codePage) {
  std::string wide;
  wide.reserve(text.size() * 2);
  auto putUnit = [&wide](char16_t unit) {
    wide.push_back(static_cast<char>(unit & 0xFF));
    wide.push_back(static_cast<char>(unit >> 8));
  };
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t length = 1;
    char32_t character = DecodeOne(text, pos, codePage, &length);
    if (character == kInvalid) character = kReplacement;
    if (character >= 0x10000) {
      const char32_t v = character - 0x10000;
      putUnit(static_cast<char16_t>(0xD800 + (v >> 10)));
      putUnit(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      putUnit(static_cast<char16_t>(character));
    }
    pos += length;
  }
  return wide;
}

QString DecodeForDisplay(const std::string& bytes, CodePage codePage) {
  if (codePage == CodePage::Utf8) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (std::size_t pos = 0; pos < bytes.size();) {
    std::size_t length = 1;
    const char32_t character = DecodeOne(bytes, pos, codePage, &length);
    if (character == kInvalid) {
      text.append(QChar(QChar::ReplacementCharacter));
    } else {
      const char32_t ucs4[1] = {character};
      text.append(QString::fromUcs4(ucs4, 1));
    }
    pos += length;
  }
  return text;
}

std::string EncodeFromDisplay(const QString& text, CodePage codePage) {
  if (codePage == CodePage::Utf8) return text.toStdString();
  std::string bytes;
  for (char32_t character : text.toUcs4()) {
    if (!EncodeOne(character, codePage, &bytes)) bytes.push_back('?');
  }
  return bytes;
}

std::string FromUtf8(const std::string& utf8, CodePage codePage) {
  if (codePage == CodePage::Utf8) return utf8;
  return EncodeFromDisplay(QString::fromStdString(utf8), codePage);
}

}  // namespace kop
