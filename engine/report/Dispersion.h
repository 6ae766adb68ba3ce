// Gries's deviation of proportions (DP) of a word or family over the texts of a run, from exact
// integer counts: DP = 1/2 * sum over texts i of |v_i - s_i|, where s_i is text i's share of all
// tokens and v_i its share of the item's occurrences; DP_norm = DP / (1 - min s_i). 0 means the
// item is spread exactly as the text sizes are, values towards 1 that it keeps to few texts.
#pragma once

#include <cstdint>

namespace quarn {

struct Dispersion {
  double dp = 0;
  double dpNorm = 0;
};

// Sums over the texts an item occurs in, given one text at a time in any order; the texts it
// does not occur in need not be given. freq: the item's occurrences in all texts (the sum of
// the counts given); totalTokens: the tokens of all texts.
class DispersionSums {
 public:
  // Wide enough for the sums of products of 64-bit counts.
  __extension__ using Wide = __int128;

  DispersionSums() = default;
  DispersionSums(int64_t freq, int64_t totalTokens) : freq_(freq), total_(totalTokens) {}
  // count occurrences of the item in a text of textTokens tokens (count > 0).
  void Add(int64_t count, int64_t textTokens) {
    const Wide d = static_cast<Wide>(count) * total_ - static_cast<Wide>(textTokens) * freq_;
    deviation_ += d < 0 ? -d : d;
    tokensHolding_ += textTokens;
  }
  // DP and DP_norm; minTextTokens: the tokens of the smallest text of the run. Both are 0 for
  // an item that never occurs, and DP_norm is 0 when every text holds all tokens (one text).
  Dispersion Finish(int64_t minTextTokens) const;

 private:
  int64_t freq_ = 0;
  int64_t total_ = 0;
  Wide deviation_ = 0;    // sum of |count * total - textTokens * freq| over the texts given
  int64_t tokensHolding_ = 0;  // tokens of the texts given
};

}  // namespace quarn
