#pragma once
// The search dialog: a text box for up to three keywords, shown modally over the main window.

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

class Form4 : public QWidget {
    Q_OBJECT
  public:
    Form4();

    void Form_Load();
    void Command1_Click(); // OK
    void Command2_Click(); // Cancel
    // True when the key was taken as the OK button.
    bool Text1_KeyDown(int keyCode, int shift);

    QGroupBox *Frame1;
    QLineEdit *Text1;
    QPushButton *Command1;
    QPushButton *Command2;

  protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
