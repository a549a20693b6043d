#include "search/keyword_scanner.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/file_system.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// Pieces of 256 KiB read into a page-aligned buffer: large enough that the
// system calls cost little, small enough to stay in the cache while scanned.
constexpr std::size_t kPieceBytes = 256 * 1024;
constexpr std::size_t kPageBytes = 4096;

inline unsigned char Fold(unsigned char byte) {
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 0x20) : byte;
}

}  // namespace

// One form, folded (a-z as A-Z), with the two probe bytes that a candidate
// offset must show before the whole form is compared. A probe compares the
// content byte with bit 0x20 set against its key: for a letter that accepts
// exactly both cases; for any other byte it lets through one more value,
// which the whole comparison then turns down. One OR and one compare per
// probe is what keeps the scan near memory speed.
struct KeywordScanner::Form {
  std::string folded;
  std::size_t probeOffset = 0;  // second probe, from the form's start
  unsigned char firstKey = 0;
  unsigned char probeKey = 0;

  explicit Form(const std::string& bytes) {
    folded.reserve(bytes.size());
    for (unsigned char byte : bytes) folded.push_back(static_cast<char>(Fold(byte)));
    if (folded.empty()) return;
    // The last byte is the usual second probe; in a UTF-16LE form of ASCII
    // text it is a zero that every unit of such text holds, so the last
    // non-zero byte serves better there.
    probeOffset = folded.size() - 1;
    while (probeOffset > 0 && folded[probeOffset] == '\0') --probeOffset;
    firstKey = static_cast<unsigned char>(folded[0] | 0x20);
    probeKey = static_cast<unsigned char>(folded[probeOffset] | 0x20);
  }

  bool MatchesAt(const unsigned char* at) const {
    const auto* form = reinterpret_cast<const unsigned char*>(folded.data());
    for (std::size_t i = 0; i < folded.size(); ++i) {
      if (Fold(at[i]) != form[i]) return false;
    }
    return true;
  }

  // Offsets [from, to) of data, each only where the form lies wholly inside
  // `sizeBytes`.
  bool ScalarFind(const unsigned char* data, std::size_t from, std::size_t sizeBytes) const {
    if (folded.empty() || folded.size() > sizeBytes) return false;
    const std::size_t last = sizeBytes - folded.size();
    for (std::size_t p = from; p <= last; ++p) {
      if ((data[p] | 0x20) == firstKey && MatchesAt(data + p)) return true;
    }
    return false;
  }
};

namespace {

using Form = KeywordScanner::Form;

#if defined(__x86_64__)

// Verifies the candidates of one block; true on a whole-form match.
inline bool CheckCandidates(const Form& form, unsigned mask, const unsigned char* data,
                            std::size_t p, std::size_t sizeBytes) {
  while (mask != 0) {
    const std::size_t at = p + static_cast<std::size_t>(__builtin_ctz(mask));
    if (at + form.folded.size() <= sizeBytes && form.MatchesAt(data + at)) return true;
    mask &= mask - 1;
  }
  return false;
}

// Tests the first and the probe byte of both forms for 32 offsets at a time;
// only offsets where both bytes fit are compared in full.
__attribute__((target("avx2"))) bool Avx2FindEither(const Form& a, const Form& b,
                                                    const unsigned char* data,
                                                    std::size_t sizeBytes) {
  const std::size_t reach = std::max(a.probeOffset, b.probeOffset) + 32;
  std::size_t p = 0;
  if (sizeBytes >= reach) {
    const __m256i caseBit = _mm256_set1_epi8(0x20);
    const __m256i aFirst = _mm256_set1_epi8(static_cast<char>(a.firstKey));
    const __m256i aProbe = _mm256_set1_epi8(static_cast<char>(a.probeKey));
    const __m256i bFirst = _mm256_set1_epi8(static_cast<char>(b.firstKey));
    const __m256i bProbe = _mm256_set1_epi8(static_cast<char>(b.probeKey));
    for (; p + reach <= sizeBytes; p += 32) {
      const __m256i v = _mm256_or_si256(
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p)), caseBit);
      const __m256i va = _mm256_or_si256(
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p + a.probeOffset)), caseBit);
      const __m256i vb = _mm256_or_si256(
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p + b.probeOffset)), caseBit);
      const __m256i hitA =
          _mm256_and_si256(_mm256_cmpeq_epi8(v, aFirst), _mm256_cmpeq_epi8(va, aProbe));
      const __m256i hitB =
          _mm256_and_si256(_mm256_cmpeq_epi8(v, bFirst), _mm256_cmpeq_epi8(vb, bProbe));
      const __m256i either = _mm256_or_si256(hitA, hitB);
      if (_mm256_testz_si256(either, either)) continue;
      const auto maskA = static_cast<unsigned>(_mm256_movemask_epi8(hitA));
      const auto maskB = static_cast<unsigned>(_mm256_movemask_epi8(hitB));
      if (CheckCandidates(a, maskA, data, p, sizeBytes) ||
          CheckCandidates(b, maskB, data, p, sizeBytes)) {
        return true;
      }
    }
  }
  return a.ScalarFind(data, p, sizeBytes) || b.ScalarFind(data, p, sizeBytes);
}

// The same with 16 offsets at a time, for processors without AVX2.
bool Sse2FindEither(const Form& a, const Form& b, const unsigned char* data,
                    std::size_t sizeBytes) {
  const std::size_t reach = std::max(a.probeOffset, b.probeOffset) + 16;
  std::size_t p = 0;
  if (sizeBytes >= reach) {
    const __m128i caseBit = _mm_set1_epi8(0x20);
    const __m128i aFirst = _mm_set1_epi8(static_cast<char>(a.firstKey));
    const __m128i aProbe = _mm_set1_epi8(static_cast<char>(a.probeKey));
    const __m128i bFirst = _mm_set1_epi8(static_cast<char>(b.firstKey));
    const __m128i bProbe = _mm_set1_epi8(static_cast<char>(b.probeKey));
    for (; p + reach <= sizeBytes; p += 16) {
      const __m128i v =
          _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p)), caseBit);
      const __m128i va = _mm_or_si128(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + a.probeOffset)), caseBit);
      const __m128i vb = _mm_or_si128(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + b.probeOffset)), caseBit);
      const auto maskA = static_cast<unsigned>(_mm_movemask_epi8(
          _mm_and_si128(_mm_cmpeq_epi8(v, aFirst), _mm_cmpeq_epi8(va, aProbe))));
      const auto maskB = static_cast<unsigned>(_mm_movemask_epi8(
          _mm_and_si128(_mm_cmpeq_epi8(v, bFirst), _mm_cmpeq_epi8(vb, bProbe))));
      if ((maskA | maskB) == 0) continue;
      if (CheckCandidates(a, maskA, data, p, sizeBytes) ||
          CheckCandidates(b, maskB, data, p, sizeBytes)) {
        return true;
      }
    }
  }
  return a.ScalarFind(data, p, sizeBytes) || b.ScalarFind(data, p, sizeBytes);
}

using FindEither = bool (*)(const Form&, const Form&, const unsigned char*, std::size_t);

FindEither ChooseFindEither() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? Avx2FindEither : Sse2FindEither;
}

const FindEither findEither = ChooseFindEither();

#else

bool ScalarFindEither(const Form& a, const Form& b, const unsigned char* data,
                      std::size_t sizeBytes) {
  return a.ScalarFind(data, 0, sizeBytes) || b.ScalarFind(data, 0, sizeBytes);
}

const auto findEither = ScalarFindEither;

#endif

}  // namespace

KeywordScanner::KeywordScanner() : ansi_(std::make_unique<Form>("")), wide_(std::make_unique<Form>("")) {}

KeywordScanner::~KeywordScanner() { std::free(buffer_); }

void KeywordScanner::SetForms(const std::string& ansiForm, const std::string& wideForm) {
  ansi_ = std::make_unique<Form>(ansiForm);
  wide_ = std::make_unique<Form>(wideForm);
  // An empty form stands in as a copy of the other so that the scan never
  // needs a case for it; it matches only where the other does.
  if (ansi_->folded.empty()) *ansi_ = *wide_;
  if (wide_->folded.empty()) *wide_ = *ansi_;
  const std::size_t longest = std::max(ansiForm.size(), wideForm.size());
  carryBytes_ = longest > 0 ? longest - 1 : 0;
}

bool KeywordScanner::BytesHold(const char* data, std::size_t sizeBytes) const {
  if (ansi_->folded.empty()) return false;
  return findEither(*ansi_, *wide_, reinterpret_cast<const unsigned char*>(data), sizeBytes);
}

void KeywordScanner::EnsureBuffer() {
  const std::size_t room = (carryBytes_ + kPageBytes - 1) / kPageBytes * kPageBytes;
  if (buffer_ != nullptr && room <= carryRoom_) return;
  std::free(buffer_);
  buffer_ = nullptr;
  // Reads land on a page boundary: the copy out of the page cache is several
  // times faster there.
  buffer_ = static_cast<char*>(std::aligned_alloc(kPageBytes, room + kPieceBytes));
  if (buffer_ == nullptr) throw std::bad_alloc();
  carryRoom_ = room;
}

bool KeywordScanner::FileHolds(kop::ReadableFile& file) {
  if (ansi_->folded.empty()) return false;
  const std::size_t shortest = std::min(ansi_->folded.size(), wide_->folded.size());
  std::uint64_t remaining = file.SizeBytes();
  if (remaining < shortest) return false;
  EnsureBuffer();
  char* const pieceStart = buffer_ + carryRoom_;
  std::size_t carried = 0;
  while (remaining > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kPieceBytes));
    const std::int64_t got = file.Read(pieceStart, want);
    if (got < 0) throw std::runtime_error("read failed");
    if (got == 0) throw std::runtime_error("file shrank while read");
    remaining -= static_cast<std::uint64_t>(got);
    const char* scanStart = pieceStart - carried;
    const std::size_t scanBytes = carried + static_cast<std::size_t>(got);
    if (BytesHold(scanStart, scanBytes)) return true;
    // Keep the tail that a form crossing into the next piece could start in.
    carried = std::min(carryBytes_, scanBytes);
    std::memmove(pieceStart - carried, scanStart + scanBytes - carried, carried);
  }
  return false;
}
