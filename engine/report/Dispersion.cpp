#include "report/Dispersion.h"

namespace quarn {

Dispersion DispersionSums::Finish(int64_t minTextTokens) const {
  Dispersion d;
  if (freq_ <= 0 || total_ <= 0) return d;
  // Each text not given has v_i = 0: it adds s_i, that is textTokens * freq over freq * total.
  // Everything over the common denominator freq * total, kept in integers until the division.
  const Wide numerator = deviation_ + static_cast<Wide>(total_ - tokensHolding_) * freq_;
  const long double twice = static_cast<long double>(numerator);
  d.dp = static_cast<double>(twice / (2.0L * static_cast<long double>(freq_) * total_));
  // DP / (1 - min/total) = numerator / (2 * freq * (total - min)).
  const int64_t rest = total_ - minTextTokens;
  if (rest > 0) d.dpNorm = static_cast<double>(twice / (2.0L * static_cast<long double>(freq_) * rest));
  return d;
}

}  // namespace quarn
