#include "results/XlsxSink.h"

#include <xlsxwriter.h>

#include <cstdlib>
#include <vector>

namespace quarn {

XlsxSink::XlsxSink(ExportFiles& files, const std::string& path, int64_t sheetRows)
    : path_(path), sheetRows_(sheetRows) {
  // The library opens the work file by its name when the workbook is finished; it is created
  // here first, new, so that the name holds no link or earlier file by then.
  status_ = files.Reserve(path, &work_);
  if (!status_.ok()) return;
  // The library's own temporary files go beside the workbook rather than into /tmp, so that
  // an export needs room on one disk only.
  std::string folder = path.substr(0, path.rfind('/') + 1);
  if (folder.empty()) folder = ".";
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = folder.data();
  options.use_zip64 = LXW_TRUE;
  book_ = workbook_new_opt(work_.c_str(), &options);
  if (book_ == nullptr) {
    status_ = Status::IOError(path_, "cannot create the workbook");
    return;
  }
  bold_ = workbook_add_format(book_);
  format_set_bold(bold_);
}

XlsxSink::~XlsxSink() {
  // An unfinished workbook (a failed or stopped export) is dropped unwritten: writing it out
  // would compress every sheet, the longest step of an export, for a file that goes anyway.
  if (book_ != nullptr) lxw_workbook_free(book_);
}

void XlsxSink::Check(int error) {
  if (error != LXW_NO_ERROR && status_.ok()) {
    status_ = Status::IOError(path_, lxw_strerror(static_cast<lxw_error>(error)));
  }
}

void XlsxSink::NewSheet() {
  ++sheetsOfTable_;
  const std::string name =
      sheetsOfTable_ == 1 ? table_ : table_ + " (" + std::to_string(sheetsOfTable_) + ")";
  sheet_ = workbook_add_worksheet(book_, name.c_str());
  if (sheet_ == nullptr) {
    Check(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE);
    return;
  }
  worksheet_freeze_panes(sheet_, 1, 0);
  for (size_t c = 0; c < columns_.size() && status_.ok(); ++c) {
    Check(worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(c), columns_[c].c_str(), bold_));
  }
  row_ = 1;
}

void XlsxSink::BeginTable(std::string_view name, std::span<const std::string> columns) {
  if (!status_.ok()) return;
  table_ = std::string(name);
  columns_.assign(columns.begin(), columns.end());
  sheetsOfTable_ = 0;
  NewSheet();
}

void XlsxSink::Row(std::span<const Cell> cells) {
  if (!status_.ok()) return;
  if (row_ >= sheetRows_) NewSheet();
  if (!status_.ok()) return;
  std::string text;
  const auto row = static_cast<lxw_row_t>(row_);
  for (size_t c = 0; c < cells.size() && status_.ok(); ++c) {
    const Cell& cell = cells[c];
    const auto col = static_cast<lxw_col_t>(c);
    switch (cell.kind) {
      case Cell::Kind::kEmpty:
        break;
      case Cell::Kind::kInteger:
        Check(worksheet_write_number(sheet_, row, col, static_cast<double>(cell.integer), nullptr));
        break;
      case Cell::Kind::kDecimal:
        text.assign(cell.text);
        Check(worksheet_write_number(sheet_, row, col, std::strtod(text.c_str(), nullptr), nullptr));
        break;
      case Cell::Kind::kText:
        text.assign(cell.text);
        Check(worksheet_write_string(sheet_, row, col, text.c_str(), nullptr));
        break;
    }
  }
  ++row_;
}

Status XlsxSink::Finish() {
  if (book_ == nullptr) return status_;
  const lxw_error closed = workbook_close(book_);
  book_ = nullptr;
  Check(closed);
  return status_;
}

}  // namespace quarn
