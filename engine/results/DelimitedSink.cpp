#include "results/DelimitedSink.h"

#include <charconv>
#include <utility>

namespace quarn {

DelimitedSink::DelimitedSink(ExportFiles& files, std::string folder, Format format)
    : files_(files), folder_(std::move(folder)), format_(format) {}

void DelimitedSink::BeginTable(std::string_view name, std::span<const std::string> columns) {
  if (!status_.ok()) return;
  const std::string path =
      folder_ + std::string(name) + (format_ == Format::kCsv ? ".csv" : ".tsv");
  status_ = files_.Open(path, &out_);
  if (!status_.ok()) return;
  line_.clear();
  fields_ = 0;
  for (const std::string& column : columns) AppendField(column);
  EndLine();
}

void DelimitedSink::Row(std::span<const Cell> cells) {
  if (!status_.ok()) return;
  line_.clear();
  fields_ = 0;
  for (const Cell& cell : cells) {
    switch (cell.kind) {
      case Cell::Kind::kEmpty:
        AppendField({});
        break;
      case Cell::Kind::kInteger: {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, cell.integer).ptr;
        AppendField(std::string_view(digits, static_cast<size_t>(end - digits)));
        break;
      }
      case Cell::Kind::kDecimal:
      case Cell::Kind::kText:
        AppendField(cell.text);
        break;
    }
  }
  EndLine();
}

void DelimitedSink::EndTable() {
  if (!status_.ok() || out_ == nullptr) return;
  status_ = out_->Close();
  out_.reset();
}

void DelimitedSink::AppendField(std::string_view text) {
  if (fields_++ > 0) line_ += format_ == Format::kCsv ? ',' : '\t';
  if (format_ == Format::kCsv && text.find_first_of(",\"\r\n") != std::string_view::npos) {
    line_ += '"';
    for (const char c : text) {
      if (c == '"') line_ += '"';
      line_ += c;
    }
    line_ += '"';
  } else if (format_ == Format::kTsv && text.find_first_of("\\\t\r\n") != std::string_view::npos) {
    // A TSV cell cannot be quoted: a tab, CR or LF (a file name may hold one) is written as
    // \t, \r or \n, and so a backslash as \\, the rule of PostgreSQL's text format.
    for (const char c : text) {
      switch (c) {
        case '\\':
          line_ += "\\\\";
          break;
        case '\t':
          line_ += "\\t";
          break;
        case '\r':
          line_ += "\\r";
          break;
        case '\n':
          line_ += "\\n";
          break;
        default:
          line_ += c;
      }
    }
  } else {
    line_.append(text);
  }
}

void DelimitedSink::EndLine() {
  line_ += format_ == Format::kCsv ? "\r\n" : "\n";
  out_->Append(line_);
  status_ = out_->status();
}

}  // namespace quarn
