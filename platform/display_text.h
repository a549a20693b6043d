// Bytes in the code page to and from the text the window shows and edits.
// The engine never sees QString; this is where bytes meet the toolkit.
#pragma once

#include <QString>
#include <string>

#include "platform/code_page.h"

namespace kop {

// Decodes bytes for display; bytes that do not decode show as U+FFFD.
QString DecodeForDisplay(const std::string& bytes, CodePage codePage);

// Encodes display text into the code page; characters the code page cannot
// hold become "?".
std::string EncodeFromDisplay(const QString& text, CodePage codePage);

}  // namespace kop
