#include "CopyHeadWords.h"

#include <QFont>
#include <algorithm>

#include "MainScreen.h"
#include "state/Engine.h"

CopyHeadWordsDialog::CopyHeadWordsDialog(quarn::Engine& engine, QWidget* parent)
    : QDialog(parent), engine_(engine) {
  setWindowTitle("FormCopyHeadwords");
  QFont font("MS Sans Serif", 8);
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  move(274, 251);

  auto label = [this](const char* text, int left, int top) {
    auto* l = new QLabel(text, this);
    l->move(left, top);
    l->adjustSize();
    return l;
  };
  auto edit = [this](const char* text, int left, int top, int width) {
    auto* e = new QLineEdit(text, this);
    e->setGeometry(left, top, width, 21);
    return e;
  };
  auto check = [this](const char* text, int left, int top, bool checked) {
    auto* c = new QCheckBox(text, this);
    c->setGeometry(left, top, 97, 17);
    c->setChecked(checked);
    return c;
  };
  auto radio = [this](const char* text, int left, int top) {
    auto* r = new QRadioButton(text, this);
    r->setGeometry(left, top, 0, 17);
    return r;
  };
  auto button = [this](const char* text, int left, int top) {
    auto* b = new QPushButton(text, this);
    b->setGeometry(left, top, 75, 25);
    b->setAutoDefault(false);
    return b;
  };

  Title = label("Move/Copy basewords to other files", 16, 8);
  QFont titleFont = font;
  titleFont.setPointSize(14);
  Title->setFont(titleFont);
  Title->adjustSize();
  text0 = label("Copy", 32, 66);
  FileCopyFrom = edit("basewrd1", 64, 62, 65);
  text1 = label("words", 136, 66);
  // Radio buttons sharing a parent form one exclusive group.
  greater_than = radio("greater than", 184, 48);
  equal_to = radio("equal to", 184, 64);
  less_than = radio("less than", 184, 80);
  equal_to->setChecked(true);
  FilterNum = edit("0", 320, 62, 25);
  text2 = label("to file", 352, 66);
  FileCopyTo = edit("basewrd4", 392, 62, 65);
  Copy_Words = check("Copy Words", 392, 104, false);
  headwrds_only = check("Headwords Only", 392, 120, false);
  usefamilytotal = check("Use Family Totals", 392, 136, false);
  appendtofile = check("Append to file", 392, 152, true);
  CopyOK = button("OK", 16, 168);
  CopyCancel = button("Cancel", 104, 168);

  WidenToText(
      {greater_than, equal_to, less_than, Copy_Words, headwrds_only, usefamilytotal, appendtofile});
  KeepApart({{text0},
             {FileCopyFrom},
             {text1},
             {greater_than, equal_to, less_than},
             {FilterNum},
             {text2},
             {FileCopyTo, Copy_Words, headwrds_only, usefamilytotal, appendtofile}});
  setFixedSize(std::max(520, ChildrenExtent(this).x() + 8), 201);

  connect(CopyOK, &QPushButton::clicked, this, &CopyHeadWordsDialog::CopyOKClick);
  connect(CopyCancel, &QPushButton::clicked, this, &CopyHeadWordsDialog::CopyCancelClick);
}

quarn::MoveCopySettings CopyHeadWordsDialog::Settings() const {
  using Relation = quarn::MoveCopySettings::Relation;
  quarn::MoveCopySettings s;
  s.FileCopyFrom = ToEnginePath(FileCopyFrom->text());
  s.FileCopyTo = ToEnginePath(FileCopyTo->text());
  s.relation = greater_than->isChecked() ? Relation::kGreaterThan
               : less_than->isChecked()  ? Relation::kLessThan
                                         : Relation::kEqualTo;
  s.FilterNum = FilterNum->text().toStdString();
  s.Copy_Words = Copy_Words->isChecked();
  s.headwrds_only = headwrds_only->isChecked();
  s.usefamilytotal = usefamilytotal->isChecked();
  s.appendtofile = appendtofile->isChecked();
  return s;
}

void CopyHeadWordsDialog::CopyOKClick() {
  quarn::MoveCopyBasewords(engine_, Settings());
  accept();
}

void CopyHeadWordsDialog::CopyCancelClick() { reject(); }
