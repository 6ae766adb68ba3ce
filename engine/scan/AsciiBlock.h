// Upper-casing and classifying 64 characters at a time when all of them are ASCII, with the
// processor's vector instructions (AVX2) where it has them. Running text is mostly ASCII, and a
// branch or two table look-ups per character cost the word cutter more than all the rest.
#pragma once

#include <cstdint>

namespace quarn {

class AsciiBlock {
 public:
  // upper and classes: the cutter's upper-case map and the classes of the upper-cased
  // characters. Usable iff the processor has AVX2 and upper maps a-z to A-Z and every other
  // ASCII character to itself.
  AsciiBlock(const char upper[256], const uint8_t classes[256]);
  AsciiBlock() = default;  // not usable
  bool usable() const { return usable_; }

  // If the 64 characters at text are all ASCII, writes them upper-cased to out, sets bit i of
  // *letters iff character i is a letter (class 2) and of *separators iff it is a separator
  // (class 0), and returns true. Otherwise returns false; out may have been written.
  bool Fill(const unsigned char* text, char* out, uint64_t* letters, uint64_t* separators) const;

 private:
  bool usable_ = false;
  // Bit h of row[l] is set iff character 16 * h + l is in the set.
  alignas(16) uint8_t letterRows_[16] = {};
  alignas(16) uint8_t separatorRows_[16] = {};
};

}  // namespace quarn
