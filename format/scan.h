#ifndef QUILLFIX_FORMAT_SCAN_H_
#define QUILLFIX_FORMAT_SCAN_H_

// Finding the next byte that needs a decision: thirty-two bytes at a time
// with AVX2 where the processor has it (asked at run time), sixteen with
// SSE2, which every x86-64 processor has, and one at a time in the portable
// twins, which are built everywhere and must give the same answers.

#include <array>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#define QUILLFIX_AVX2 1
#include <immintrin.h>
#endif

/// Returns the position of the first byte of text[from, size) that is one
/// of `kStops`, or `size`.
template <char... kStops>
[[gnu::noinline]] size_t findAnyPortable(const char* text, size_t from,
                                         size_t size) {
  for (; from < size; ++from)
    if (((text[from] == kStops) || ...)) return from;
  return size;
}

/// Returns the position of the first byte of text[from, size) that is none
/// of `kKept`, or `size`.
template <char... kKept>
[[gnu::noinline]] size_t skipAllPortable(const char* text, size_t from,
                                         size_t size) {
  for (; from < size; ++from)
    if (!((text[from] == kKept) || ...)) return from;
  return size;
}

/// True when `c`, after `before`, ends a stretch (see stretchEndPortable).
inline bool isStretchStop(char c, char before) {
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
      return true;
    default:
      return static_cast<unsigned char>(c) <= ' ' &&
             static_cast<unsigned char>(before) <= ' ';
  }
}

/// Returns where the stretch that begins at `from` ends: the first byte of
/// text[from, size) that the layout may treat otherwise than copy it, when
/// the character before `from` was copied as it stands. Those are the bytes
/// with a rule of their own in either language, and a byte of 32 or less
/// after a byte of 32 or less (such as a second blank): a single blank, tab
/// or line feed after a copied character is itself copied, a tab as a
/// blank. The stretch also ends at ] and |, which cost the vector scans
/// nothing to find with the backslash and }; a stretch that ends early at
/// an ordinary character is simply followed by the next. `from` is at
/// least 1.
[[gnu::noinline]] inline size_t stretchEndPortable(const char* text,
                                                   size_t from, size_t size) {
  for (; from < size; ++from)
    if (isStretchStop(text[from], text[from - 1])) return from;
  return size;
}

/// Copies the character at `from` and the stretch after it to `out`, a tab
/// as a blank, and returns where the stretch ends. `out` has room for the
/// rest of the text; what the vector twins write past the stretch's end is
/// written over later.
[[gnu::noinline]] inline size_t copyStretchPortable(const char* text,
                                                    size_t from, size_t size,
                                                    char* out) {
  size_t end = stretchEndPortable(text, from + 1, size);
  for (size_t k = from; k < end; ++k) *out++ = text[k] == '\t' ? ' ' : text[k];
  return end;
}

#if defined(__SSE2__)

namespace scan {

inline __m128i load16(const char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

inline __m128i equal16(__m128i bytes, char c) {
  return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c));
}

inline __m128i with16(__m128i bytes, char bits) {
  return _mm_or_si128(bytes, _mm_set1_epi8(bits));
}

// Bytes of 32 or less: blanks, tabs, line feeds and other control bytes.
inline __m128i low16(__m128i bytes) {
  return _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(' ')), bytes);
}

// A tab and a blank differ in the bits of 0x29.
inline __m128i tabsAsBlanks16(__m128i bytes) {
  return _mm_xor_si128(
      bytes, _mm_and_si128(equal16(bytes, '\t'), _mm_set1_epi8(0x29)));
}

inline size_t firstSet(unsigned mask) {
  return static_cast<size_t>(__builtin_ctz(mask));
}

// The stops of a stretch among the sixteen bytes at `at`, one bit each.
// Stop characters that differ in one bit are found together: "# and () by
// their value with bit 0 set, ' and / with bit 3, ; and { with bit 6, and
// the backslash, ], | and } with bits 0 and 5.
inline unsigned stretchStops16(const char* at) {
  __m128i bytes = load16(at);
  __m128i pairs = with16(bytes, 0x01);
  __m128i stop = _mm_or_si128(equal16(pairs, '#'), equal16(pairs, ')'));
  stop = _mm_or_si128(stop, equal16(with16(bytes, 0x08), '/'));
  stop = _mm_or_si128(stop, equal16(with16(bytes, 0x40), '{'));
  stop = _mm_or_si128(stop, equal16(with16(bytes, 0x21), '}'));
  stop = _mm_or_si128(stop, _mm_and_si128(low16(bytes), low16(load16(at - 1))));
  return static_cast<unsigned>(_mm_movemask_epi8(stop));
}

}  // namespace scan

template <char... kStops>
size_t findAny16(const char* text, size_t from, size_t size) {
  for (; from + 16 <= size; from += 16) {
    __m128i bytes = scan::load16(text + from);
    __m128i hit = _mm_setzero_si128();
    ((hit = _mm_or_si128(hit, scan::equal16(bytes, kStops))), ...);
    if (unsigned mask = _mm_movemask_epi8(hit))
      return from + scan::firstSet(mask);
  }
  return findAnyPortable<kStops...>(text, from, size);
}

template <char... kKept>
size_t skipAll16(const char* text, size_t from, size_t size) {
  for (; from + 16 <= size; from += 16) {
    __m128i bytes = scan::load16(text + from);
    __m128i kept = _mm_setzero_si128();
    ((kept = _mm_or_si128(kept, scan::equal16(bytes, kKept))), ...);
    if (unsigned mask = _mm_movemask_epi8(kept) ^ 0xFFFFu)
      return from + scan::firstSet(mask);
  }
  return skipAllPortable<kKept...>(text, from, size);
}

inline size_t stretchEnd(const char* text, size_t from, size_t size) {
  for (; from + 16 <= size; from += 16)
    if (unsigned mask = scan::stretchStops16(text + from))
      return from + scan::firstSet(mask);
  return stretchEndPortable(text, from, size);
}

// As copyStretchPortable, sixteen bytes at a time; `from` is at least 1.
// Each block is stored whole as it is scanned; what lies past the stretch's
// end is written over later.
inline size_t copyStretch16(const char* text, size_t from, size_t size,
                            char* out) {
  unsigned copied = 1;  // the character at `from` is copied, whatever it is
  for (; from + 16 <= size; from += 16, out += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     scan::tabsAsBlanks16(scan::load16(text + from)));
    if (unsigned mask = scan::stretchStops16(text + from) & ~copied)
      return from + scan::firstSet(mask);
    copied = 0;
  }
  if (copied) return copyStretchPortable(text, from, size, out);
  return copyStretchPortable(text, from - 1, size, out - 1);
}

#else

inline size_t stretchEnd(const char* text, size_t from, size_t size) {
  return stretchEndPortable(text, from, size);
}

#endif

#if defined(QUILLFIX_AVX2)

#define QUILLFIX_AVX2_FUNCTION __attribute__((target("avx2"))) inline

namespace scan {

// Thirty-two copies of each byte value, read from memory: built in
// registers, the constants would cost more than the one or two blocks that
// a scan usually takes.
extern const std::array<std::array<char, 32>, 256> kRepeated32;

QUILLFIX_AVX2_FUNCTION __m256i all32(char c) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
      kRepeated32[static_cast<unsigned char>(c)].data()));
}

QUILLFIX_AVX2_FUNCTION __m256i load32(const char* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

QUILLFIX_AVX2_FUNCTION __m256i equal32(__m256i bytes, char c) {
  return _mm256_cmpeq_epi8(bytes, all32(c));
}

QUILLFIX_AVX2_FUNCTION __m256i with32(__m256i bytes, char bits) {
  return _mm256_or_si256(bytes, all32(bits));
}

QUILLFIX_AVX2_FUNCTION __m256i tabsAsBlanks32(__m256i bytes) {
  return _mm256_xor_si256(bytes,
                          _mm256_and_si256(equal32(bytes, '\t'), all32(0x29)));
}

QUILLFIX_AVX2_FUNCTION __m256i low32(__m256i bytes) {
  return _mm256_cmpeq_epi8(_mm256_min_epu8(bytes, all32(' ')), bytes);
}

// As stretchStops16, for the thirty-two bytes at `at`.
QUILLFIX_AVX2_FUNCTION unsigned stretchStops32(const char* at) {
  __m256i bytes = load32(at);
  __m256i pairs = with32(bytes, 0x01);
  __m256i stop = _mm256_or_si256(equal32(pairs, '#'), equal32(pairs, ')'));
  stop = _mm256_or_si256(stop, equal32(with32(bytes, 0x08), '/'));
  stop = _mm256_or_si256(stop, equal32(with32(bytes, 0x40), '{'));
  stop = _mm256_or_si256(stop, equal32(with32(bytes, 0x21), '}'));
  stop = _mm256_or_si256(stop,
                         _mm256_and_si256(low32(bytes), low32(load32(at - 1))));
  return static_cast<unsigned>(_mm256_movemask_epi8(stop));
}

}  // namespace scan

template <char... kStops>
QUILLFIX_AVX2_FUNCTION size_t findAny32(const char* text, size_t from,
                                        size_t size) {
  for (; from + 32 <= size; from += 32) {
    __m256i bytes = scan::load32(text + from);
    __m256i hit = _mm256_setzero_si256();
    ((hit = _mm256_or_si256(hit, scan::equal32(bytes, kStops))), ...);
    if (unsigned mask = _mm256_movemask_epi8(hit))
      return from + scan::firstSet(mask);
  }
  return findAny16<kStops...>(text, from, size);
}

template <char... kKept>
QUILLFIX_AVX2_FUNCTION size_t skipAll32(const char* text, size_t from,
                                        size_t size) {
  for (; from + 32 <= size; from += 32) {
    __m256i bytes = scan::load32(text + from);
    __m256i kept = _mm256_setzero_si256();
    ((kept = _mm256_or_si256(kept, scan::equal32(bytes, kKept))), ...);
    if (unsigned mask = ~static_cast<unsigned>(_mm256_movemask_epi8(kept)))
      return from + scan::firstSet(mask);
  }
  return skipAll16<kKept...>(text, from, size);
}

// As copyStretch16, thirty-two bytes at a time.
QUILLFIX_AVX2_FUNCTION size_t copyStretch32(const char* text, size_t from,
                                            size_t size, char* out) {
  unsigned copied = 1;  // the character at `from` is copied, whatever it is
  for (; from + 32 <= size; from += 32, out += 32) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        scan::tabsAsBlanks32(scan::load32(text + from)));
    if (unsigned mask = scan::stretchStops32(text + from) & ~copied)
      return from + scan::firstSet(mask);
    copied = 0;
  }
  if (copied) return copyStretch16(text, from, size, out);
  return copyStretch16(text, from - 1, size, out - 1);
}

#undef QUILLFIX_AVX2_FUNCTION

#endif

/// True when the processor has AVX2 and the system keeps its registers.
bool hasAvx2();

// The scans the engine uses: AVX2 when it was asked for and the processor
// has it, else SSE2 where the build has it, else the portable twins. Asking
// the processor costs little, but instructions that a virtual machine traps
// on, so only a large text asks.
class Scanner {
 public:
  explicit Scanner(bool wide) : avx2_(wide && hasAvx2()) {}

  template <char... kStops>
  size_t findAny(const char* text, size_t from, size_t size) const {
#if defined(QUILLFIX_AVX2)
    if (avx2_) return findAny32<kStops...>(text, from, size);
#endif
#if defined(__SSE2__)
    return findAny16<kStops...>(text, from, size);
#else
    return findAnyPortable<kStops...>(text, from, size);
#endif
  }

  template <char... kKept>
  size_t skipAll(const char* text, size_t from, size_t size) const {
#if defined(QUILLFIX_AVX2)
    if (avx2_) return skipAll32<kKept...>(text, from, size);
#endif
#if defined(__SSE2__)
    return skipAll16<kKept...>(text, from, size);
#else
    return skipAllPortable<kKept...>(text, from, size);
#endif
  }

  /// Copies the character at `from` and the stretch after it, as
  /// copyStretchPortable does.
  size_t copyStretch(const char* text, size_t from, size_t size,
                     char* out) const {
    if (from == 0) return copyStretchPortable(text, from, size, out);
#if defined(QUILLFIX_AVX2)
    if (avx2_) return copyStretch32(text, from, size, out);
#endif
#if defined(__SSE2__)
    return copyStretch16(text, from, size, out);
#else
    return copyStretchPortable(text, from, size, out);
#endif
  }

 private:
  bool avx2_;
};

#endif  // QUILLFIX_FORMAT_SCAN_H_
