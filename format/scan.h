#ifndef QUILLFIX_FORMAT_SCAN_H_
#define QUILLFIX_FORMAT_SCAN_H_

// Finding the next byte that needs a decision: sixteen bytes at a time with
// SSE2, which every x86-64 processor has, one at a time in the portable
// twins, which are built everywhere and must give the same answers.

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
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
/// or line feed after a copied character is itself copied. `from` is at
/// least 1.
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
      case '{':
      case '}':
      case '\t':
        return from;
      default:
        if (c <= ' ' && before <= ' ') return from;
    }
  }
  return size;
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

}  // namespace scan

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
  using namespace scan;
  for (; from + 16 <= size; from += 16) {
    __m128i bytes = load(text + from);
    __m128i pairs = _mm_or_si128(bytes, _mm_set1_epi8(1));  // "#, () alike
    __m128i stop = _mm_or_si128(equal(pairs, '#'), equal(pairs, ')'));
    stop = _mm_or_si128(stop, equal(bytes, '\''));
    stop = _mm_or_si128(stop, equal(bytes, '/'));
    stop = _mm_or_si128(stop, equal(bytes, ';'));
    stop = _mm_or_si128(stop, equal(bytes, '\\'));
    stop = _mm_or_si128(stop, equal(bytes, '{'));
    stop = _mm_or_si128(stop, equal(bytes, '}'));
    __m128i lowAfterLow =
        _mm_or_si128(low(load(text + from - 1)), equal(bytes, '\t'));
    stop = _mm_or_si128(stop, _mm_and_si128(low(bytes), lowAfterLow));
    if (int mask = _mm_movemask_epi8(stop)) return from + firstSet(mask);
  }
  return stretchEndPortable(text, from, size);
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

#endif

#endif  // QUILLFIX_FORMAT_SCAN_H_
