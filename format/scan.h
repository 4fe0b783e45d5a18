#ifndef QUILLFIX_FORMAT_SCAN_H_
#define QUILLFIX_FORMAT_SCAN_H_

// Finding the next byte that needs a decision. Each scan is written once,
// over a width type: a block of bytes with the few operations the scans need
// (load, store, compare with a byte, |, &, ^, "at most" and a mask of one bit
// per byte). Avx2 holds thirty-two bytes, Sse2 sixteen, Portable one; a scan
// finishes the last bytes of a text with the next narrower width. The
// Scanner picks the width once for a text.

#include <array>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#define QUILLFIX_AVX2 1
#include <immintrin.h>
#endif

namespace scan {

inline size_t firstSet(unsigned mask) {
  return static_cast<size_t>(__builtin_ctz(mask));
}

}  // namespace scan

/// One byte at a time: the width every build has, and the one the others
/// must agree with.
struct Portable {
  static constexpr size_t kSize = 1;
  static constexpr unsigned kAllBits = 1;
  unsigned char byte;

  static Portable load(const char* at) {
    return {static_cast<unsigned char>(*at)};
  }
  static Portable all(char c) { return {static_cast<unsigned char>(c)}; }
  void store(char* at) const { *at = static_cast<char>(byte); }
  Portable operator==(Portable other) const {
    return {static_cast<unsigned char>(byte == other.byte ? 0xFF : 0)};
  }
  Portable operator|(Portable other) const {
    return {static_cast<unsigned char>(byte | other.byte)};
  }
  Portable operator&(Portable other) const {
    return {static_cast<unsigned char>(byte & other.byte)};
  }
  Portable operator^(Portable other) const {
    return {static_cast<unsigned char>(byte ^ other.byte)};
  }
  /// All bits set where the byte, unsigned, is `c` or less.
  Portable atMost(char c) const {
    return {static_cast<unsigned char>(
        byte <= static_cast<unsigned char>(c) ? 0xFF : 0)};
  }
  unsigned mask() const { return byte >> 7; }
};

#if defined(__SSE2__)

/// Sixteen bytes: every x86-64 processor has SSE2.
struct Sse2 {
  using Narrower = Portable;
  static constexpr size_t kSize = 16;
  static constexpr unsigned kAllBits = 0xFFFF;
  __m128i bytes;

  static Sse2 load(const char* at) {
    return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))};
  }
  static Sse2 all(char c) { return {_mm_set1_epi8(c)}; }
  void store(char* at) const {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), bytes);
  }
  Sse2 operator==(Sse2 other) const {
    return {_mm_cmpeq_epi8(bytes, other.bytes)};
  }
  Sse2 operator|(Sse2 other) const {
    return {_mm_or_si128(bytes, other.bytes)};
  }
  Sse2 operator&(Sse2 other) const {
    return {_mm_and_si128(bytes, other.bytes)};
  }
  Sse2 operator^(Sse2 other) const {
    return {_mm_xor_si128(bytes, other.bytes)};
  }
  Sse2 atMost(char c) const {
    return {_mm_cmpeq_epi8(_mm_min_epu8(bytes, all(c).bytes), bytes)};
  }
  unsigned mask() const {
    return static_cast<unsigned>(_mm_movemask_epi8(bytes));
  }
};

/// The widest width that needs no question to the processor.
using Baseline = Sse2;

#else

using Baseline = Portable;

#endif

#if defined(QUILLFIX_AVX2)

#define QUILLFIX_AVX2_FUNCTION __attribute__((target("avx2"))) inline

namespace scan {

// Thirty-two copies of each byte value, read from memory: built in
// registers, the constants would cost more than the one or two blocks that
// a scan usually takes.
extern const std::array<std::array<char, 32>, 256> kRepeated32;

}  // namespace scan

/// Thirty-two bytes, where the processor has AVX2; only functions built for
/// AVX2 (QUILLFIX_AVX2_FUNCTION) may use it.
struct Avx2 {
  using Narrower = Sse2;
  static constexpr size_t kSize = 32;
  static constexpr unsigned kAllBits = 0xFFFFFFFF;
  __m256i bytes;

  QUILLFIX_AVX2_FUNCTION static Avx2 load(const char* at) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at))};
  }
  QUILLFIX_AVX2_FUNCTION static Avx2 all(char c) {
    return load(scan::kRepeated32[static_cast<unsigned char>(c)].data());
  }
  QUILLFIX_AVX2_FUNCTION void store(char* at) const {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), bytes);
  }
  QUILLFIX_AVX2_FUNCTION Avx2 operator==(Avx2 other) const {
    return {_mm256_cmpeq_epi8(bytes, other.bytes)};
  }
  QUILLFIX_AVX2_FUNCTION Avx2 operator|(Avx2 other) const {
    return {_mm256_or_si256(bytes, other.bytes)};
  }
  QUILLFIX_AVX2_FUNCTION Avx2 operator&(Avx2 other) const {
    return {_mm256_and_si256(bytes, other.bytes)};
  }
  QUILLFIX_AVX2_FUNCTION Avx2 operator^(Avx2 other) const {
    return {_mm256_xor_si256(bytes, other.bytes)};
  }
  QUILLFIX_AVX2_FUNCTION Avx2 atMost(char c) const {
    return {_mm256_cmpeq_epi8(_mm256_min_epu8(bytes, all(c).bytes), bytes)};
  }
  QUILLFIX_AVX2_FUNCTION unsigned mask() const {
    return static_cast<unsigned>(_mm256_movemask_epi8(bytes));
  }
};

#endif

/// True when the processor has AVX2 and the system keeps its registers.
bool hasAvx2();

// The scans, each for any width. They are inlined into the function that
// picks the width, so that a width built for AVX2 is used only there.

/// Returns the position of the first byte of text[from, size) that is one
/// of `kStops`, or `size`.
template <class W, char... kStops>
[[gnu::always_inline]] inline size_t findAnyOver(const char* text, size_t from,
                                                 size_t size) {
  for (; from + W::kSize <= size; from += W::kSize) {
    W bytes = W::load(text + from);
    if (unsigned found = ((bytes == W::all(kStops)) | ...).mask())
      return from + scan::firstSet(found);
  }
  if constexpr (W::kSize == 1) {
    return size;
  } else {
    return findAnyOver<typename W::Narrower, kStops...>(text, from, size);
  }
}

/// Returns the position of the first byte of text[from, size) that is none
/// of `kKept`, or `size`.
template <class W, char... kKept>
[[gnu::always_inline]] inline size_t skipAllOver(const char* text, size_t from,
                                                 size_t size) {
  for (; from + W::kSize <= size; from += W::kSize) {
    W bytes = W::load(text + from);
    if (unsigned other = ~((bytes == W::all(kKept)) | ...).mask() & W::kAllBits)
      return from + scan::firstSet(other);
  }
  if constexpr (W::kSize == 1) {
    return size;
  } else {
    return skipAllOver<typename W::Narrower, kKept...>(text, from, size);
  }
}

/// The stops of a stretch among the bytes of `bytes`, one bit each, where
/// `before` holds the bytes one position earlier: the bytes with a rule of
/// their own in either language, and a byte of 32 or less after a byte of 32
/// or less (such as a second blank); a single blank, tab or line feed after
/// a copied character is itself copied, a tab as a blank. Stop characters
/// that differ in one bit are found together: "# and () by their value with
/// bit 0 set, ' and / with bit 3, ; and { with bit 6.
template <class W>
[[gnu::always_inline]] inline unsigned stretchStops(const W& bytes,
                                                    const W& before) {
  W pairs = bytes | W::all(0x01);
  W stop = (pairs == W::all('#')) | (pairs == W::all(')'));
  stop = stop | ((bytes | W::all(0x08)) == W::all('/'));
  stop = stop | ((bytes | W::all(0x40)) == W::all('{'));
  stop = stop | (bytes == W::all('\\')) | (bytes == W::all('}'));
  stop = stop | (bytes.atMost(' ') & before.atMost(' '));
  return stop.mask();
}

#if defined(QUILLFIX_AVX2)

namespace scan {

// A byte's classes, by the low and the high half of its value: a byte is a
// stop character when its halves share a class ("#'()/ in 0x01, ;{ in 0x02,
// the backslash in 0x04, } in 0x08). Each table stands twice, once for each
// half of a 32-byte block.
inline constexpr std::array<char, 32> kLowHalfClasses = {
    0, 0, 1, 1, 0, 0, 0, 1, 1, 1, 0, 2, 4, 8, 0, 1,
    0, 0, 1, 1, 0, 0, 0, 1, 1, 1, 0, 2, 4, 8, 0, 1};
inline constexpr std::array<char, 32> kHighHalfClasses = {
    0, 0, 1, 2, 0, 4, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 1, 2, 0, 4, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0};

}  // namespace scan

/// The same stops as stretchStops gives, with the stop characters found by
/// the classes of each byte's halves: fewer operations and fewer constants
/// to keep, which the steps' calls would make the loop save and restore.
QUILLFIX_AVX2_FUNCTION unsigned stretchStops(const Avx2& bytes,
                                             const Avx2& before) {
  const __m256i halfMask = _mm256_set1_epi8(0x0F);
  const __m256i low = _mm256_and_si256(bytes.bytes, halfMask);
  const __m256i high =
      _mm256_and_si256(_mm256_srli_epi16(bytes.bytes, 4), halfMask);
  const __m256i classes = _mm256_and_si256(
      _mm256_shuffle_epi8(Avx2::load(scan::kLowHalfClasses.data()).bytes, low),
      _mm256_shuffle_epi8(Avx2::load(scan::kHighHalfClasses.data()).bytes,
                          high));
  const Avx2 other = {_mm256_cmpeq_epi8(classes, _mm256_setzero_si256())};
  const Avx2 pairs = bytes.atMost(' ') & before.atMost(' ');
  return ~(other.mask()) | pairs.mask();
}

#endif

// A tab and a blank differ in the bits of 0x29.
template <class W>
[[gnu::always_inline]] inline W tabsAsBlanks(const W& bytes) {
  return bytes ^ ((bytes == W::all('\t')) & W::all(0x29));
}

/// What a stretch's step returns when it takes its stop's byte as it
/// stands, which the walk has copied already: no position of a text.
inline constexpr size_t kTakenAsItStands = ~size_t{0} >> 1;

/// Set in what a stretch's step returns when the stretch ends where the step
/// goes on.
inline constexpr size_t kEndsStretch = size_t{1} << (sizeof(size_t) * 8 - 1);

/// Walks the stretch from `from`, copying it to `to` (a tab as a blank), and
/// returns where it ends. At each stop, in order, the byte at `from`
/// included, `take(stop, to)` is asked, with `to` where the stop's byte
/// would go. It returns kTakenAsItStands when it takes the byte as it
/// stands; else it moves `to` past what it writes and returns where the walk
/// goes on: after the stop, with kEndsStretch set when the stretch ends
/// there; at the stop itself, with `to` unmoved, to end the stretch there. On
/// return `to` is where the byte at the end would go. `to` has room for what
/// the walk writes and for the rest of the text; what the wider widths write
/// past the stretch's end is written over later. `from` is at least 1.
template <class W, class Take>
[[gnu::always_inline]] inline size_t walkStretch(const char* text, size_t from,
                                                 size_t size, char*& to,
                                                 Take&& take) {
  size_t block = from;
  // Where a byte goes: `anchorTo` for the byte at `anchor`, and so on.
  size_t anchor = from;
  char* anchorTo = to;
  while (block + W::kSize <= size) {
    W bytes = W::load(text + block);
    tabsAsBlanks(bytes).store(anchorTo + (block - anchor));
    unsigned stops = stretchStops(bytes, W::load(text + block - 1));
    size_t next = block + W::kSize;
    while (stops != 0) {
      size_t stop = block + scan::firstSet(stops);
      char* stopTo = anchorTo + (stop - anchor);
      char* at = stopTo;
      size_t goesOn = take(stop, at);
      if (goesOn == kTakenAsItStands) {
        stops &= stops - 1;
        continue;
      }
      // One test for both ends: kEndsStretch makes a position negative.
      if (static_cast<ptrdiff_t>(goesOn) <= static_cast<ptrdiff_t>(stop)) {
        to = at;
        return goesOn & ~kEndsStretch;
      }
      // The walk goes on at `goesOn`, written at `at`: what is left of the
      // block is copied again there, and its stops asked about still.
      anchor = goesOn;
      anchorTo = at;
      if (goesOn >= next || goesOn + W::kSize > size) {
        next = goesOn;
        break;
      }
      tabsAsBlanks(W::load(text + goesOn)).store(at);
      stops &= ~0u << (goesOn - block);
    }
    block = next;
  }
  to = anchorTo + (block - anchor);
  if constexpr (W::kSize == 1) {
    return size;
  } else {
    if (block >= size) return block;
    return walkStretch<typename W::Narrower>(text, block, size, to, take);
  }
}

#if defined(QUILLFIX_AVX2)

template <char... kStops>
QUILLFIX_AVX2_FUNCTION size_t findAnyAvx2(const char* text, size_t from,
                                          size_t size) {
  return findAnyOver<Avx2, kStops...>(text, from, size);
}

template <char... kKept>
QUILLFIX_AVX2_FUNCTION size_t skipAllAvx2(const char* text, size_t from,
                                          size_t size) {
  return skipAllOver<Avx2, kKept...>(text, from, size);
}

// `take` is held by value, as a lambda that holds a pointer is best kept:
// in a register rather than behind one more load at every stop.
template <class Take>
QUILLFIX_AVX2_FUNCTION size_t copyStretchAvx2(const char* text, size_t from,
                                              size_t size, char*& to,
                                              Take take) {
  return walkStretch<Avx2>(text, from, size, to, take);
}

#endif

// The scans the engine uses: AVX2 when it was asked for and the processor
// has it, else the baseline width.
class Scanner {
 public:
  explicit Scanner(bool wide) : avx2_(wide && hasAvx2()) {}

  template <char... kStops>
  size_t findAny(const char* text, size_t from, size_t size) const {
#if defined(QUILLFIX_AVX2)
    if (avx2_) return findAnyAvx2<kStops...>(text, from, size);
#endif
    return findAnyOver<Baseline, kStops...>(text, from, size);
  }

  template <char... kKept>
  size_t skipAll(const char* text, size_t from, size_t size) const {
#if defined(QUILLFIX_AVX2)
    if (avx2_) return skipAllAvx2<kKept...>(text, from, size);
#endif
    return skipAllOver<Baseline, kKept...>(text, from, size);
  }

  /// Copies the stretch from `from` to `to`, as walkStretch does, and
  /// returns where the stretch ends.
  template <class Take>
  size_t copyStretch(const char* text, size_t from, size_t size, char*& to,
                     Take&& take) const {
#if defined(QUILLFIX_AVX2)
    if (avx2_) return copyStretchAvx2(text, from, size, to, take);
#endif
    return walkStretch<Baseline>(text, from, size, to, take);
  }

 private:
  bool avx2_;
};

#undef QUILLFIX_AVX2_FUNCTION

#endif  // QUILLFIX_FORMAT_SCAN_H_
