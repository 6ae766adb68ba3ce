// The help window: the program's HTML help, shipped inside the program, opened at a topic.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows the help document at the anchor named topic.
  void ShowTopic(const QString& topic);
  QTextBrowser* browser() const { return browser_; }

  static constexpr const char* kDocument = "qrc:/help/quarn.html";

 private:
  QTextBrowser* browser_;
};
