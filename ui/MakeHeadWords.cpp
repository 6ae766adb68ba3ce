#include "MakeHeadWords.h"

#include <QFont>
#include <algorithm>

#include "MainScreen.h"
#include "state/Engine.h"

MakeHeadWordsDialog::MakeHeadWordsDialog(quarn::Engine& engine, QWidget* parent)
    : QDialog(parent), engine_(engine) {
  setWindowTitle("Make Headword List");
  QFont font("MS Sans Serif", 8);
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  move(192, 107);

  auto label = [this](const char* text, int left, int top) {
    auto* l = new QLabel(text, this);
    l->move(left, top);
    l->adjustSize();
    return l;
  };
  auto edit = [this](const char* text, int left, int top) {
    auto* e = new QLineEdit(text, this);
    e->setGeometry(left, top, 65, 21);
    return e;
  };
  auto button = [this](const char* text, int left, int top) {
    auto* b = new QPushButton(text, this);
    b->setGeometry(left, top, 75, 25);
    b->setAutoDefault(false);
    return b;
  };

  Title = label("Make A Headword list", 16, 8);
  QFont titleFont = font;
  titleFont.setPointSize(14);
  Title->setFont(titleFont);
  Title->adjustSize();
  text0 = label("Copy", 32, 66);
  FileCopyFrom = edit("basewrd1", 64, 62);
  text1 = label("headwords ", 136, 66);
  text2 = label("to file", 192, 66);
  FileCopyTo = edit("headwords", 224, 62);
  CopyOK = button("OK", 16, 120);
  CopyCancel = button("Cancel", 104, 120);

  KeepApart({{text0}, {FileCopyFrom}, {text1}, {text2}, {FileCopyTo}});
  setFixedSize(std::max(304, ChildrenExtent(this).x() + 8), 163);

  connect(CopyOK, &QPushButton::clicked, this, &MakeHeadWordsDialog::CopyOKClick);
  connect(CopyCancel, &QPushButton::clicked, this, &MakeHeadWordsDialog::CopyCancelClick);
}

quarn::HeadwordListSettings MakeHeadWordsDialog::Settings() const {
  quarn::HeadwordListSettings s;
  s.FileCopyFrom = ToEnginePath(FileCopyFrom->text());
  s.FileCopyTo = ToEnginePath(FileCopyTo->text());
  return s;
}

void MakeHeadWordsDialog::CopyOKClick() {
  quarn::MakeHeadwordList(engine_, Settings());
  accept();
}

void MakeHeadWordsDialog::CopyCancelClick() { reject(); }
