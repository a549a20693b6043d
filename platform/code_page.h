// The process's "ANSI" code page: UTF-8 by default, code page 936 (GBK) when
// KOPSOU_CODEPAGE=936. Every rule that depends on lead bytes, upper-casing or
// conversion to UTF-16 takes the code page as a value so it can be tested
// under both. Conversions go through iconv, case mapping through the C
// library's Unicode tables; no toolkit is needed, so the command line starts
// without one.
#pragma once

#include <string>

namespace kop {

enum class CodePage { Utf8, Gbk936 };

// What KOPSOU_CODEPAGE asks for. Unset or "utf-8" gives UTF-8, "936" gives
// code page 936; any other value gives UTF-8 and sets *warning to a one-line
// text for the user (otherwise *warning is left empty).
CodePage CodePageFromEnvironment(std::string* warning);

// The code page of this process, chosen once by SetProcessCodePage at start-up
// (UTF-8 until then).
CodePage ProcessCodePage();
void SetProcessCodePage(CodePage codePage);

// True when the byte starts a double-byte character (0x81-0xFE in 936).
// UTF-8 has no lead bytes in this sense: every byte stands for itself.
inline bool IsLeadByte(unsigned char byte, CodePage codePage) {
  return codePage == CodePage::Gbk936 && byte >= 0x81 && byte <= 0xFE;
}

// Upper-cases text as the system defines it: decodes with the code page,
// maps each character by Unicode's simple upper-case mapping and encodes it
// back. Bytes that do not decode, and characters whose upper case the code
// page cannot hold, stay as they are.
std::string UpperCaseText(const std::string& text, CodePage codePage);

// The UTF-16LE bytes of the text, low byte first, no terminator. Every byte
// that does not decode becomes U+FFFD.
std::string ToUtf16LeBytes(const std::string& text, CodePage codePage);

// The characters of the text, each with the bytes it takes; a byte that
// starts no valid character comes as kNoCharacter with length 1.
constexpr char32_t kNoCharacter = 0xFFFFFFFF;
struct DecodedCharacter {
  char32_t character;
  std::size_t lengthBytes;
};
DecodedCharacter DecodeCharacterAt(const std::string& text, std::size_t pos, CodePage codePage);

// Appends the character encoded in the code page to *out; false (and *out
// unchanged) when the code page cannot hold it.
bool EncodeCharacter(char32_t character, CodePage codePage, std::string* out);

// Converts UTF-8 text (such as a message of our own) into the code page;
// characters the code page cannot hold become "?".
std::string FromUtf8(const std::string& utf8, CodePage codePage);

}  // namespace kop
