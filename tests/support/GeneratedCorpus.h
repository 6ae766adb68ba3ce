// A reproducible stand-in for a corpus of ordinary texts, so that the tests which need many
// texts carry their own data. The texts are drawn from the repository's sample lists
// (sample/BASEWRD1..3.txt: headwords and family members, the first list's words most often, as
// in running English), mixed with words that are in no list, capitalised names, numbers,
// contractions, hyphenated words, punctuation and, in some texts, one very long line.
//
// The same index always gives the same bytes on every machine: the generator uses its own
// arithmetic on a fixed-seed mt19937_64 rather than the standard distributions, whose results
// the library is free to change.
#ifndef QUARN_TESTS_SUPPORT_GENERATEDCORPUS_H_
#define QUARN_TESTS_SUPPORT_GENERATEDCORPUS_H_

#include <cstddef>
#include <string>
#include <vector>

namespace quarn::testing {

class GeneratedCorpus {
 public:
  GeneratedCorpus();

  // The bytes of sample list n (1..3), as shipped.
  const std::string& List(int n) const { return lists_[n - 1]; }

  // "g001.txt", "g002.txt", ...: names that sort in index order.
  static std::string TextName(size_t index);

  // Text index (0-based). Its length in tokens varies with the index between 300 and 1,500
  // unless tokens is given; then, every 25th text (index 7, 32, ...) has 4,500 tokens and a
  // line of more than 20,000 bytes. Every tenth text ends its lines with CR LF.
  std::string Text(size_t index, size_t tokens = 0) const;

  // Words the texts use that no list holds, in capitals (e.g. for stop lists).
  const std::vector<std::string>& OutsideWords() const { return outside_; }

  // A stop list of the most frequent list words and a few outside words, one word a line.
  std::string StopList() const;

 private:
  std::vector<std::string> lists_;
  std::vector<std::string> words_;    // list words, lower case, most frequent first
  std::vector<double> cumulative_;    // Zipf weights of words_, summed
  std::vector<std::string> outside_;  // in no list, capitals
};

}  // namespace quarn::testing

#endif  // QUARN_TESTS_SUPPORT_GENERATEDCORPUS_H_
