#include "platform/display_text.h"

#include <QList>

namespace kop {

QString DecodeForDisplay(const std::string& bytes, CodePage codePage) {
  if (codePage == CodePage::Utf8) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (std::size_t pos = 0; pos < bytes.size();) {
    const DecodedCharacter decoded = DecodeCharacterAt(bytes, pos, codePage);
    if (decoded.character == kNoCharacter) {
      text.append(QChar(QChar::ReplacementCharacter));
    } else {
      const char32_t ucs4[1] = {decoded.character};
      text.append(QString::fromUcs4(ucs4, 1));
    }
    pos += decoded.lengthBytes;
  }
  return text;
}

std::string EncodeFromDisplay(const QString& text, CodePage codePage) {
  if (codePage == CodePage::Utf8) return text.toStdString();
  std::string bytes;
  for (char32_t character : text.toUcs4()) {
    if (!EncodeCharacter(character, codePage, &bytes)) bytes.push_back('?');
  }
  return bytes;
}

}  // namespace kop
