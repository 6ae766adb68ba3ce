#include "results/JsonSink.h"

#include <charconv>
#include <cstdio>
#include <utility>

#include "results/ResultsModel.h"
#include "text/TextEncoding.h"

namespace quarn {

void AppendJsonString(std::string_view text, std::string& out) {
  out += '"';
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

JsonSink::JsonSink(ExportFiles& files, std::string path)
    : files_(files), path_(std::move(path)) {
  status_ = files_.Open(path_, &out_);
}

void JsonSink::Write(std::string_view text) {
  if (!status_.ok()) return;
  out_->Append(text);
  status_ = out_->status();
}

void JsonSink::Run(const ResultsRun& run) {
  std::string s = "{\"format\": \"quarn-profile\", \"version\": 1, \"run\": {\"results_file\": ";
  AppendJsonString(MessageToUtf8(run.resultsFile), s);
  s += ", \"sort\": ";
  AppendJsonString(run.sortOrder, s);
  auto flag = [&s](const char* name, bool value) {
    s += ", \"";
    s += name;
    s += value ? "\": true" : "\": false";
  };
  flag("batch", run.batch);
  flag("stop_list", run.stopList);
  flag("forms", run.forms);
  flag("others", run.others);
  flag("numbers", run.numbers);
  flag("ignore_angle", run.ignoreAngle);
  if (!run.charClasses.empty()) {
    s += ", \"char_classes\": [";
    for (size_t c = 0; c < run.charClasses.size(); ++c) {
      if (c > 0) s += ',';
      s += std::to_string(run.charClasses[c]);
    }
    s += ']';
  }
  s += ", \"texts\": [";
  for (size_t i = 0; i < run.texts.size(); ++i) {
    const ResultsText& t = run.texts[i];
    s += i == 0 ? "\n  {\"file\": " : ",\n  {\"file\": ";
    AppendJsonString(MessageToUtf8(t.file), s);
    s += ", \"lines\": " + std::to_string(t.lines) + ", \"words\": " + std::to_string(t.words) + "}";
  }
  s += "], \"lists\": [";
  for (size_t i = 0; i < run.lists.size(); ++i) {
    const ResultsList& l = run.lists[i];
    s += i == 0 ? "\n  {\"list\": " : ",\n  {\"list\": ";
    s += std::to_string(l.list) + ", \"file\": ";
    AppendJsonString(MessageToUtf8(l.file), s);
    s += l.used ? ", \"used\": true}" : ", \"used\": false}";
  }
  s += "]}";
  Write(s);
}

void JsonSink::BeginTable(std::string_view name, std::span<const std::string> columns) {
  std::string s = ",\n";
  AppendJsonString(name, s);
  s += ": [";
  Write(s);
  keys_.clear();
  for (const std::string& column : columns) {
    std::string key;
    AppendJsonString(column, key);
    keys_.push_back(key + ": ");
  }
  firstRow_ = true;
}

void JsonSink::Row(std::span<const Cell> cells) {
  if (!status_.ok()) return;
  line_.assign(firstRow_ ? "\n{" : ",\n{");
  firstRow_ = false;
  for (size_t i = 0; i < cells.size() && i < keys_.size(); ++i) {
    if (i > 0) line_ += ", ";
    line_ += keys_[i];
    const Cell& cell = cells[i];
    switch (cell.kind) {
      case Cell::Kind::kEmpty:
        line_ += "null";
        break;
      case Cell::Kind::kInteger: {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, cell.integer).ptr;
        line_.append(digits, end);
        break;
      }
      case Cell::Kind::kDecimal:
        line_ += cell.text;
        break;
      case Cell::Kind::kText:
        AppendJsonString(cell.text, line_);
        break;
    }
  }
  line_ += '}';
  Write(line_);
}

void JsonSink::EndTable() { Write(firstRow_ ? "]" : "\n]"); }

Status JsonSink::Finish() {
  Write("}\n");
  if (out_ == nullptr) return status_;
  const Status closed = out_->Close();
  out_.reset();
  if (status_.ok()) status_ = closed;
  return status_;
}

}  // namespace quarn
