// The Move/Copy basewords dialog: moves or copies whole families from one baseword file to
// another, chosen by their counts. The dialog only maps its controls to the engine's action.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "lists/MoveCopy.h"

namespace quarn {
struct Engine;
}

class CopyHeadWordsDialog : public QDialog {
  Q_OBJECT
 public:
  CopyHeadWordsDialog(quarn::Engine& engine, QWidget* parent = nullptr);

  // The settings the controls hold now.
  quarn::MoveCopySettings Settings() const;

  QLabel* Title;
  QLabel* text0;
  QLineEdit* FileCopyFrom;
  QLabel* text1;
  QRadioButton* greater_than;
  QRadioButton* equal_to;
  QRadioButton* less_than;
  QLineEdit* FilterNum;
  QLabel* text2;
  QLineEdit* FileCopyTo;
  QCheckBox* Copy_Words;
  QCheckBox* headwrds_only;
  QCheckBox* usefamilytotal;
  QCheckBox* appendtofile;
  QPushButton* CopyOK;
  QPushButton* CopyCancel;

 public slots:
  void CopyOKClick();
  void CopyCancelClick();

 private:
  quarn::Engine& engine_;
};
