// The content test: does a file's raw content hold one of two byte forms,
// with only a-z counted equal to A-Z? Reads the file in pieces into one
// buffer that lives as long as the scanner, so memory does not grow with the
// file and fresh pages are not touched for every file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace kop {
class ReadableFile;
}

class KeywordScanner {
 public:
  KeywordScanner();
  ~KeywordScanner();
  KeywordScanner(const KeywordScanner&) = delete;
  KeywordScanner& operator=(const KeywordScanner&) = delete;

  // Sets the two forms to look for. Either may be empty (then it never
  // matches).
  void SetForms(const std::string& ansiForm, const std::string& wideForm);

  // True when the file holds either form wholly within its bytes. False when
  // it ends before that. Throws std::runtime_error when a read fails or the
  // file ends before the size it had when opened.
  bool FileHolds(kop::ReadableFile& file);

  // The same test on bytes in memory.
  bool BytesHold(const char* data, std::size_t sizeBytes) const;

  // One form prepared for the scan; defined where the scan lives.
  struct Form;

 private:
  void EnsureBuffer();

  std::unique_ptr<Form> ansi_;
  std::unique_ptr<Form> wide_;
  std::size_t carryBytes_ = 0;   // longest form length - 1
  std::size_t carryRoom_ = 0;    // carryBytes_ rounded up to a page
  char* buffer_ = nullptr;       // carryRoom_ + kPieceBytes, page-aligned
};
