#include "GeneratedCorpus.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <random>
#include <set>
#include <sstream>

#include "TempDir.h"

namespace quarn::testing {
namespace {

// Uniform in [0, 1) from the generator's raw bits; the standard distributions may differ
// between library versions.
double Unit(std::mt19937_64& rng) { return static_cast<double>(rng() >> 11) * 0x1.0p-53; }

size_t Below(std::mt19937_64& rng, size_t n) { return static_cast<size_t>(Unit(rng) * n); }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Capitalised(std::string s) {
  if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
  return s;
}

}  // namespace

GeneratedCorpus::GeneratedCorpus() {
  std::set<std::string> listed;
  for (int n = 1; n <= 3; ++n) {
    lists_.push_back(ReadFile(QUARN_SOURCE_DIR "/sample/BASEWRD" + std::to_string(n) + ".txt"));
    std::istringstream in(lists_.back());
    std::string line;
    while (std::getline(in, line)) {
      const size_t start = line.find_first_not_of("\t ");
      if (start == std::string::npos) continue;
      const std::string word = Lower(line.substr(start, line.find(' ', start) - start));
      if (!word.empty() && listed.insert(word).second) words_.push_back(word);
    }
  }
  // Zipf-like: the word at rank r is drawn in proportion to 1 / (r + 8).
  double sum = 0;
  for (size_t r = 0; r < words_.size(); ++r) cumulative_.push_back(sum += 1.0 / (r + 8));

  // Made-up words from syllables, kept only when no list holds them.
  static const char* kOnsets[] = {"b", "br", "d",  "dr", "f", "g",  "gl", "k",  "kr", "l", "m", "n",
                                  "p", "pl", "qu", "r",  "s", "st", "t",  "tr", "v",  "z", "zh"};
  static const char* kRimes[] = {"a", "ax", "el", "en", "ik", "in", "o", "or", "ul", "um", "ys"};
  std::mt19937_64 rng(20261209);
  while (outside_.size() < 400) {
    std::string word;
    const size_t syllables = 2 + Below(rng, 2);
    for (size_t s = 0; s < syllables; ++s) {
      word += kOnsets[Below(rng, std::size(kOnsets))];
      word += kRimes[Below(rng, std::size(kRimes))];
    }
    if (listed.count(word) == 0 && listed.insert(word).second) {
      std::string upper = word;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      outside_.push_back(upper);
    }
  }
}

std::string GeneratedCorpus::TextName(size_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "g%03zu.txt", index + 1);
  return name;
}

std::string GeneratedCorpus::Text(size_t index, size_t tokens) const {
  std::mt19937_64 rng(0x51a7c0de + index * 7919);
  const bool longLine = tokens == 0 && index % 25 == 7;
  if (tokens == 0) tokens = longLine ? 4500 : 300 + Below(rng, 1200);
  const std::string newline = index % 10 == 3 ? "\r\n" : "\n";
  auto listWord = [&] {
    const double at = Unit(rng) * cumulative_.back();
    const size_t r =
        std::upper_bound(cumulative_.begin(), cumulative_.end(), at) - cumulative_.begin();
    return words_[std::min(r, words_.size() - 1)];
  };
  // Outside words are drawn mostly from the first hundred, so that some recur across texts.
  auto outsideWord = [&] {
    const size_t r = Unit(rng) < 0.7 ? Below(rng, 100) : Below(rng, outside_.size());
    return Lower(outside_[r]);
  };

  std::string text;
  size_t onLine = 0;
  size_t lineBreakAt = 8 + Below(rng, 8);
  const size_t longParagraphAt = 100;
  bool inLongLine = false;
  for (size_t t = 0, inSentence = 0, sentenceLength = 0; t < tokens; ++t) {
    if (inSentence == 0) sentenceLength = 4 + Below(rng, 20);
    const double kind = Unit(rng);
    std::string word;
    if (kind < 0.02) {
      word = std::to_string(1 + Below(rng, 2000));
      if (Unit(rng) < 0.3) word += "." + std::to_string(Below(rng, 10));
    } else if (kind < 0.05) {
      word = Capitalised(outsideWord());
    } else if (kind < 0.10) {
      word = outsideWord();
    } else if (kind < 0.12) {
      word = listWord() + (Unit(rng) < 0.5 ? "'s" : "n't");
    } else if (kind < 0.13) {
      word = listWord() + "-" + listWord();
    } else {
      word = listWord();
    }
    if (inSentence == 0) word = Capitalised(word);
    const double mark = Unit(rng);
    if (mark < 0.02)
      word = "\"" + word + "\"";
    else if (mark < 0.03)
      word = "(" + word + ")";
    ++inSentence;
    if (inSentence == sentenceLength || t + 1 == tokens) {
      const double end = Unit(rng);
      word += end < 0.8 ? "." : end < 0.9 ? "?" : end < 0.95 ? "!" : "...";
      inSentence = 0;
    } else if (Unit(rng) < 0.08) {
      word += Unit(rng) < 0.8 ? "," : ";";
    }
    text += word;

    if (longLine && t == longParagraphAt) inLongLine = true;
    if (inLongLine) {
      text += ' ';
      // The long line ends once it holds more than 20,000 bytes.
      if (text.size() - text.rfind('\n') > 20000) {
        inLongLine = false;
        text += newline;
      }
      continue;
    }
    if (++onLine == lineBreakAt) {
      text += newline;
      if (inSentence == 0 && Unit(rng) < 0.15) text += newline;  // a paragraph ends
      onLine = 0;
      lineBreakAt = 8 + Below(rng, 8);
    } else {
      text += ' ';
    }
  }
  if (text.empty() || text.back() != '\n') text += newline;
  return text;
}

std::string GeneratedCorpus::StopList() const {
  std::string stop;
  for (size_t r = 0; r < 40; ++r) stop += words_[r] + "\n";
  for (size_t r = 0; r < 5; ++r) stop += Lower(outside_[r]) + "\n";
  return stop;
}

}  // namespace quarn::testing
