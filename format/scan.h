#ifndef QUILLFIX_FORMAT_SCAN_H_
#define QUILLFIX_FORMAT_SCAN_H_

// Finding the next byte that needs a decision: sixteen bytes at a time with
// SSE2, which every x86-64 processor has, one at a time in the portable
// twins, which are built everywhere and must give the same answers.

#include <array>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// AVX2, where the processor has it, scans thirty-two bytes at a time; it is
// asked for at run time, so the program still runs on one without it.
#if defined(__x86_64__) && defined(__GNUC__)
#define QUILLFIX_AVX2 1
#include <immintrin.h>
#endif

/// Returns the position of the first byte of text[from, size) that is one
/// of `kStops`, or `size`.
template <char... kStops>
size_t findAnyPortable(const char* text, size_t from, size_t size) {
  for (; from < size; ++from)
    if (((text[from] == kStops) || ...)) return from;
  return size;
}

/// Returns the position of the first byte of text[from, size) that is none
/// of `kKept`, or `size`.
template <char... kKept>
size_t skipAllPortable(const char* text, size_t from, size_t size) {
  for (; from < size; ++from)
    if (!((text[from] == kKept) || ...)) return from;
  return size;
}

/// Returns where the stretch that begins at `from` ends: the first byte of
/// text[from, size) that the layout may treat otherwise than copy it, when
/// the character before `from` was copied as it stands. Those are the bytes
/// with a rule of their own in either language, a tab, and a byte of 32 or
/// less after a byte of 32 or less (such as a second blank): a single blank
/// or line feed after a copied character is itself copied. The stretch also
/// ends at ] and |, which cost the vector scan nothing to find with the
/// backslash and }; a stretch that ends early at an ordinary character is
/// simply followed by the next. `from` is at least 1.
inline size_t stretchEndPortable(const char* text, size_t from, size_t size) {
  for (; from < size; ++from) {
    unsigned char c = text[from];
    unsigned char before = text[from - 1];
    switch (c) {
      case '"':
      case '#':
      case '\'':
      case '(':
      case ')':
      case '/':
      case ';':
      case '\\':
      case ']':
      case '{':
      case '|':
      case '}':
      case '\t':
        return from;
      default:
        if (c <= ' ' && before <= ' ') return from;
    }
  }
  return size;
}

/// Copies the character at `from` and the stretch after it to `out`, and
/// returns where the stretch ends. `out` has room for the rest of the text
/// and sixteen bytes more, which may be written over.
[[gnu::noinline]] inline size_t copyStretchPortable(const char* text,
                                                    size_t from, size_t size,
                                                    char* out) {
  size_t end = stretchEndPortable(text, from + 1, size);
  for (size_t k = from; k < end; ++k) *out++ = text[k];
  return end;
}

#if defined(__SSE2__)

namespace scan {

inline __m128i load(const char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

inline __m128i equal(__m128i bytes, char c) {
  return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c));
}

// Bytes of 32 or less: blanks, tabs, line feeds and other control bytes.
inline __m128i low(__m128i bytes) {
  return _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(' ')), bytes);
}

inline size_t firstSet(int mask) {
  return static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
}

// The stops of a stretch among the sixteen bytes at `at`, one bit each.
// Stop characters that differ in one bit are found together: "# and () by
// their value with bit 0 set, ' and / with bit 3, ; and { with bit 6, and
// the backslash, ], | and } with bits 0 and 5.
inline int stretchStops(const char* at) {
  __m128i bytes = load(at);
  __m128i pairs = _mm_or_si128(bytes, _mm_set1_epi8(0x01));
  __m128i stop = _mm_or_si128(equal(pairs, '#'), equal(pairs, ')'));
  stop =
      _mm_or_si128(stop, equal(_mm_or_si128(bytes, _mm_set1_epi8(0x08)), '/'));
  stop =
      _mm_or_si128(stop, equal(_mm_or_si128(bytes, _mm_set1_epi8(0x40)), '{'));
  stop =
      _mm_or_si128(stop, equal(_mm_or_si128(bytes, _mm_set1_epi8(0x21)), '}'));
  __m128i lowAfterLow = _mm_or_si128(low(load(at - 1)), equal(bytes, '\t'));
  stop = _mm_or_si128(stop, _mm_and_si128(low(bytes), lowAfterLow));
  return _mm_movemask_epi8(stop);
}

}  // namespace scan

#if defined(QUILLFIX_AVX2)

namespace scan {

// Thirty-two copies of each byte that the scan compares with, read from
// memory: built in registers instead, the constants would cost more than the
// one or two blocks a stretch usually takes.
enum Repeated : int {
  kAll01,
  kAll08,
  kAll21,
  kAll40,
  kAllTab,
  kAllBlank,
  kAllHash,
  kAllClose,
  kAllSlash,
  kAllOpenBrace,
  kAllCloseBrace,
  kRepeatedCount
};
extern const std::array<std::array<char, 32>, kRepeatedCount> kRepeated32;

__attribute__((target("avx2"))) inline __m256i all32(Repeated byte) {
  return _mm256_loadu_si256(
      reinterpret_cast<const __m256i*>(kRepeated32[byte].data()));
}

__attribute__((target("avx2"))) inline __m256i load32(const char* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

__attribute__((target("avx2"))) inline __m256i equal32(__m256i bytes,
                                                       Repeated byte) {
  return _mm256_cmpeq_epi8(bytes, all32(byte));
}

__attribute__((target("avx2"))) inline __m256i with32(__m256i bytes,
                                                      Repeated bits) {
  return _mm256_or_si256(bytes, all32(bits));
}

__attribute__((target("avx2"))) inline __m256i low32(__m256i bytes) {
  return _mm256_cmpeq_epi8(_mm256_min_epu8(bytes, all32(kAllBlank)), bytes);
}

// As stretchStops, for the thirty-two bytes at `at`.
__attribute__((target("avx2"))) inline unsigned stretchStops32(const char* at) {
  __m256i bytes = load32(at);
  __m256i pairs = with32(bytes, kAll01);
  __m256i stop =
      _mm256_or_si256(equal32(pairs, kAllHash), equal32(pairs, kAllClose));
  stop = _mm256_or_si256(stop, equal32(with32(bytes, kAll08), kAllSlash));
  stop = _mm256_or_si256(stop, equal32(with32(bytes, kAll40), kAllOpenBrace));
  stop = _mm256_or_si256(stop, equal32(with32(bytes, kAll21), kAllCloseBrace));
  __m256i lowAfterLow =
      _mm256_or_si256(low32(load32(at - 1)), equal32(bytes, kAllTab));
  stop = _mm256_or_si256(stop, _mm256_and_si256(low32(bytes), lowAfterLow));
  return static_cast<unsigned>(_mm256_movemask_epi8(stop));
}

}  // namespace scan

// As copyStretch16, thirty-two bytes at a time.
__attribute__((target("avx2"))) inline size_t copyStretch32(const char* text,
                                                            size_t from,
                                                            size_t size,
                                                            char* out) {
  unsigned copied = 1;  // the character at `from` is copied, whatever it is
  for (; from + 32 <= size; from += 32, out += 32) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        scan::load32(text + from));
    if (unsigned mask = scan::stretchStops32(text + from) & ~copied)
      return from + static_cast<size_t>(__builtin_ctz(mask));
    copied = 0;
  }
  if (copied) return copyStretchPortable(text, from, size, out);
  return copyStretchPortable(text, from - 1, size, out - 1);
}

#endif

template <char... kStops>
size_t findAny(const char* text, size_t from, size_t size) {
  for (; from + 16 <= size; from += 16) {
    __m128i bytes = scan::load(text + from);
    __m128i hit = _mm_setzero_si128();
    ((hit = _mm_or_si128(hit, scan::equal(bytes, kStops))), ...);
    if (int mask = _mm_movemask_epi8(hit)) return from + scan::firstSet(mask);
  }
  return findAnyPortable<kStops...>(text, from, size);
}

template <char... kKept>
size_t skipAll(const char* text, size_t from, size_t size) {
  for (; from + 16 <= size; from += 16) {
    __m128i bytes = scan::load(text + from);
    __m128i kept = _mm_setzero_si128();
    ((kept = _mm_or_si128(kept, scan::equal(bytes, kKept))), ...);
    if (int mask = _mm_movemask_epi8(kept) ^ 0xFFFF)
      return from + scan::firstSet(mask);
  }
  return skipAllPortable<kKept...>(text, from, size);
}

inline size_t stretchEnd(const char* text, size_t from, size_t size) {
  for (; from + 16 <= size; from += 16)
    if (int mask = scan::stretchStops(text + from))
      return from + scan::firstSet(mask);
  return stretchEndPortable(text, from, size);
}

// As copyStretch, sixteen bytes at a time; `from` is at least 1. Each
// block is stored whole as it is scanned; what lies past the stretch's end is
// written over later.
inline size_t copyStretch16(const char* text, size_t from, size_t size,
                            char* out) {
  int copied = 1;  // the character at `from` is copied, whatever it is
  for (; from + 16 <= size; from += 16, out += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), scan::load(text + from));
    if (int mask = scan::stretchStops(text + from) & ~copied)
      return from + scan::firstSet(mask);
    copied = 0;
  }
  if (copied) return copyStretchPortable(text, from, size, out);
  return copyStretchPortable(text, from - 1, size, out - 1);
}

inline size_t copyStretch(const char* text, size_t from, size_t size,
                          char* out) {
  if (from == 0) return copyStretchPortable(text, from, size, out);
#if defined(QUILLFIX_AVX2)
  if (__builtin_cpu_supports("avx2"))
    return copyStretch32(text, from, size, out);
#endif
  return copyStretch16(text, from, size, out);
}

#else

template <char... kStops>
size_t findAny(const char* text, size_t from, size_t size) {
  return findAnyPortable<kStops...>(text, from, size);
}

template <char... kKept>
size_t skipAll(const char* text, size_t from, size_t size) {
  return skipAllPortable<kKept...>(text, from, size);
}

inline size_t stretchEnd(const char* text, size_t from, size_t size) {
  return stretchEndPortable(text, from, size);
}

inline size_t copyStretch(const char* text, size_t from, size_t size,
                          char* out) {
  return copyStretchPortable(text, from, size, out);
}

#endif

#endif  // QUILLFIX_FORMAT_SCAN_H_
