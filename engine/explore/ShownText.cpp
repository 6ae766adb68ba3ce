#include "explore/ShownText.h"

#include <algorithm>
#include <memory>

#include "scan/TextScan.h"
#include "text/CharCase.h"
#include "text/LineReader.h"
#include "text/TextEncoding.h"

namespace quarn {
namespace {

// Appends raw (UTF-8 when utf8, else Windows-1252) to out as well-formed UTF-8.
void AppendUtf8(std::string_view raw, bool utf8, std::string* out) {
  if (!utf8) {
    Cp1252ToUtf8(raw, out);
    return;
  }
  for (size_t i = 0; i < raw.size();) {
    uint32_t cp = 0;
    const size_t n = DecodeSequence(raw, i, &cp);
    if (n == 0) {
      Cp1252ToUtf8(raw.substr(i, 1), out);
      ++i;
    } else {
      out->append(raw, i, n);
      i += n;
    }
  }
}

// Start of the character that ends at or before byte end of utf8, width characters back from
// end; then forward to the start of the next word when that cut falls inside one.
size_t LeftCut(const std::string& utf8, size_t end, size_t width) {
  size_t at = end;
  size_t chars = 0;
  while (at > 0 && chars < width) {
    --at;
    while (at > 0 && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80) --at;
    ++chars;
  }
  if (at == 0 || utf8[at - 1] == ' ' || utf8[at - 1] == '\t') return at;
  const size_t blank = utf8.find_first_of(" \t", at);
  return blank == std::string::npos || blank >= end ? end : blank + 1;
}

// End of at most width characters from start; back to the end of the last whole word.
size_t RightCut(const std::string& utf8, size_t start, size_t width) {
  size_t at = start;
  size_t chars = 0;
  while (at < utf8.size() && chars < width) {
    ++at;
    while (at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80) ++at;
    ++chars;
  }
  if (at >= utf8.size() || utf8[at] == ' ' || utf8[at] == '\t') return at;
  const size_t blank = utf8.find_last_of(" \t", at);
  return blank == std::string::npos || blank < start ? start : blank;
}

const std::string* WordAtPlace(const ContextLine& l, int place) {
  const auto& side = place < 0 ? l.leftWords : l.rightWords;
  const size_t k = static_cast<size_t>(place < 0 ? -place : place) - 1;
  return k < side.size() ? &side[k] : nullptr;
}

}  // namespace

Status ForEachShownLine(FileSystem& fs, const std::string& path, const TextCutting& cutting,
                        const std::function<bool(int64_t number, const std::string& utf8,
                                                 const std::vector<LineWord>& words)>& line) {
  std::unique_ptr<LineReader> reader;
  Status s = OpenCountedText(fs, path, cutting, &reader);
  if (!s.ok() || reader == nullptr) return s;
  reader->KeepRawLines(true);
  const bool utf8 = reader->encoding().utf8();
  std::string text, upper, shown;
  std::vector<LineWord> words;
  int64_t number = 0;
  while (reader->Next(&text)) {
    if (number == 0 && IsWordPerfectLine(text)) return Status::OK();
    ++number;
    // The words as the scan cuts them, at their places in the converted line.
    CutCountedWords(text, cutting, &upper, &words);
    // The same words over the line as the file has it.
    const std::string& raw = utf8 ? reader->rawLine() : text;
    const std::vector<uint32_t>& offsets = reader->rawOffsets();
    auto rawAt = [&](size_t i) -> size_t { return utf8 && i < offsets.size() ? offsets[i] : i; };
    shown.clear();
    size_t at = 0;
    for (LineWord& w : words) {
      const size_t from = rawAt(w.start);
      const size_t to = rawAt(w.start + w.length);
      AppendUtf8(std::string_view(raw).substr(at, from - at), utf8, &shown);
      w.start = shown.size();
      AppendUtf8(std::string_view(raw).substr(from, to - from), utf8, &shown);
      w.length = shown.size() - w.start;
      at = to;
    }
    AppendUtf8(std::string_view(raw).substr(std::min(at, raw.size())), utf8, &shown);
    if (!line(number, shown, words)) return Status::OK();
  }
  return reader->status();
}

Status FindContexts(FileSystem& fs, const std::vector<std::string>& paths,
                    const TextCutting& cutting, const std::unordered_set<std::string>& words,
                    size_t width, std::vector<ContextLine>* lines, const SearchControl& control) {
  bool cancelled = false;
  for (size_t t = 0; t < paths.size(); ++t) {
    Status s = ForEachShownLine(
        fs, paths[t], cutting,
        [&](int64_t number, const std::string& text, const std::vector<LineWord>& cut) {
          if (control.cancel != nullptr && control.cancel->load(std::memory_order_relaxed)) {
            cancelled = true;
            return false;
          }
          for (size_t k = 0; k < cut.size(); ++k) {
            const LineWord& w = cut[k];
            if (words.count(w.upper) == 0) continue;
            ContextLine c;
            c.text = static_cast<int>(t);
            c.line = number;
            const size_t from = LeftCut(text, w.start, width);
            c.left = text.substr(from, w.start - from);
            c.word = text.substr(w.start, w.length);
            const size_t after = w.start + w.length;
            c.right = text.substr(after, RightCut(text, after, width) - after);
            for (size_t n = 1; n <= 3 && n <= k; ++n) c.leftWords.push_back(cut[k - n].upper);
            for (size_t n = k + 1; n <= k + 3 && n < cut.size(); ++n)
              c.rightWords.push_back(cut[n].upper);
            lines->push_back(std::move(c));
          }
          return true;
        });
    if (cancelled || (control.cancel != nullptr && control.cancel->load()))
      return Status::IOError("", "search cancelled");
    if (!s.ok()) return s;
    if (control.textsDone) control.textsDone(t + 1);
  }
  return Status::OK();
}

bool ContextLess(const ContextLine& a, const ContextLine& b, int key) {
  const int sign = key < 0 ? -1 : 1;
  const int depth = key * sign;
  // The chosen place, the places further out, then the nearer ones.
  int places[3];
  int n = 0;
  for (int d = depth; d <= 3; ++d) places[n++] = d * sign;
  for (int d = 1; d < depth; ++d) places[n++] = d * sign;
  for (const int place : places) {
    const std::string* x = WordAtPlace(a, place);
    const std::string* y = WordAtPlace(b, place);
    if (x == nullptr || y == nullptr) {
      if (x != y) return x == nullptr;
      continue;
    }
    if (*x != *y) return *x < *y;
  }
  return false;
}

}  // namespace quarn
