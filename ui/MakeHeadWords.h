// The Make headword list dialog: writes the headwords of a baseword file into another file.
// The dialog only maps its controls to the engine's action.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "lists/HeadwordList.h"

namespace quarn {
struct Engine;
}

class MakeHeadWordsDialog : public QDialog {
  Q_OBJECT
 public:
  MakeHeadWordsDialog(quarn::Engine& engine, QWidget* parent = nullptr);

  quarn::HeadwordListSettings Settings() const;

  QLabel* Title;
  QLabel* text0;
  QLineEdit* FileCopyFrom;
  QLabel* text1;
  QLabel* text2;
  QLineEdit* FileCopyTo;
  QPushButton* CopyOK;
  QPushButton* CopyCancel;

 public slots:
  void CopyOKClick();
  void CopyCancelClick();

 private:
  quarn::Engine& engine_;
};
