#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <wctype.h>

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

// Unicode's simple upper-case mapping, from the C library's built-in UTF-8
// locale (whatever locale the process runs in).
char32_t SimpleUpperCase(char32_t character) {
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (unicode == static_cast<locale_t>(0)) return character;
  return static_cast<char32_t>(towupper_l(static_cast<wint_t>(character), unicode));
}

bool IsAscii(const std::string& text) {
  for (unsigned char byte : text) {
    if (byte >= 0x80) return false;
  }
  return true;
}

}  // namespace

DecodedCharacter DecodeCharacterAt(const std::string& text, std::size_t pos, CodePage codePage) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  if (byte < 0x80) return {byte, 1};
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
    (void)rc;
    return {out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24),
            (text.size() - pos) - inLeft};
  }
  return {kNoCharacter, 1};
}

bool EncodeCharacter(char32_t character, CodePage codePage, std::string* out) {
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
    const DecodedCharacter decoded = DecodeCharacterAt(text, pos, codePage);
    const char32_t mapped =
        decoded.character == kNoCharacter ? kNoCharacter : SimpleUpperCase(decoded.character);
    if (mapped == decoded.character || !EncodeCharacter(mapped, codePage, &upper)) {
      upper.append(text, pos, decoded.lengthBytes);
    }
    pos += decoded.lengthBytes;
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
    const DecodedCharacter decoded = DecodeCharacterAt(text, pos, codePage);
    const char32_t character =
        decoded.character == kNoCharacter ? kReplacement : decoded.character;
    if (character >= 0x10000) {
      const char32_t v = character - 0x10000;
      putUnit(static_cast<char16_t>(0xD800 + (v >> 10)));
      putUnit(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      putUnit(static_cast<char16_t>(character));
    }
    pos += decoded.lengthBytes;
  }
  return wide;
}

std::string FromUtf8(const std::string& utf8, CodePage codePage) {
  if (codePage == CodePage::Utf8) return utf8;
  std::string bytes;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const DecodedCharacter decoded = DecodeCharacterAt(utf8, pos, CodePage::Utf8);
    if (decoded.character == kNoCharacter || !EncodeCharacter(decoded.character, codePage, &bytes)) {
      bytes.push_back('?');
    }
    pos += decoded.lengthBytes;
  }
  return bytes;
}

}  // namespace kop
