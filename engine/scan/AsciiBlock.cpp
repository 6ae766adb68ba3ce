#include "scan/AsciiBlock.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QUARN_ASCII_AVX2 1
#endif

namespace quarn {

AsciiBlock::AsciiBlock(const char upper[256], const uint8_t classes[256]) {
  bool standard = true;
  for (int c = 0; c < 128; ++c) {
    const int wanted = (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (static_cast<unsigned char>(upper[c]) != wanted) standard = false;
    const uint8_t bit = static_cast<uint8_t>(1u << (c >> 4));
    if (classes[c] == 2) letterRows_[c & 15] |= bit;
    if (classes[c] == 0) separatorRows_[c & 15] |= bit;
  }
#ifdef QUARN_ASCII_AVX2
  usable_ = standard && __builtin_cpu_supports("avx2");
#else
  (void)standard;
#endif
}

#ifdef QUARN_ASCII_AVX2

namespace {

struct Half {
  uint32_t letters;
  uint32_t separators;
};

// One half of a block: 32 characters, known to be ASCII.
__attribute__((target("avx2"))) inline Half FillHalf(__m256i v, char* out, __m256i letterRows,
                                                     __m256i separatorRows) {
  const __m256i lowNibble = _mm256_and_si256(v, _mm256_set1_epi8(0x0f));
  const __m256i highNibble = _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0f));
  // The bit of the character's row that stands for its high nibble (0..7 for ASCII).
  const __m256i bits =
      _mm256_shuffle_epi8(_mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0, 1,
                                           2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0),
                          highNibble);
  const __m256i isLetter =
      _mm256_cmpeq_epi8(_mm256_and_si256(_mm256_shuffle_epi8(letterRows, lowNibble), bits), bits);
  const __m256i isSeparator = _mm256_cmpeq_epi8(
      _mm256_and_si256(_mm256_shuffle_epi8(separatorRows, lowNibble), bits), bits);
  const __m256i isSmall = _mm256_and_si256(_mm256_cmpgt_epi8(v, _mm256_set1_epi8('a' - 1)),
                                           _mm256_cmpgt_epi8(_mm256_set1_epi8('z' + 1), v));
  const __m256i upper = _mm256_sub_epi8(v, _mm256_and_si256(isSmall, _mm256_set1_epi8(0x20)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), upper);
  return Half{static_cast<uint32_t>(_mm256_movemask_epi8(isLetter)),
              static_cast<uint32_t>(_mm256_movemask_epi8(isSeparator))};
}

__attribute__((target("avx2"))) bool FillAvx2(const unsigned char* text, char* out,
                                              const uint8_t* letterRows,
                                              const uint8_t* separatorRows, uint64_t* letters,
                                              uint64_t* separators) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + 32));
  if (_mm256_movemask_epi8(_mm256_or_si256(a, b)) != 0) return false;
  const __m256i lr =
      _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(letterRows)));
  const __m256i sr =
      _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(separatorRows)));
  const Half first = FillHalf(a, out, lr, sr);
  const Half second = FillHalf(b, out + 32, lr, sr);
  *letters = first.letters | static_cast<uint64_t>(second.letters) << 32;
  *separators = first.separators | static_cast<uint64_t>(second.separators) << 32;
  return true;
}

}  // namespace

bool AsciiBlock::Fill(const unsigned char* text, char* out, uint64_t* letters,
                      uint64_t* separators) const {
  return usable_ && FillAvx2(text, out, letterRows_, separatorRows_, letters, separators);
}

#else

bool AsciiBlock::Fill(const unsigned char*, char*, uint64_t*, uint64_t*) const { return false; }

#endif

}  // namespace quarn
