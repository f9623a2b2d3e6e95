#pragma once
// The save dialog: writes the picture on screen as a bitmap into a chosen folder under a chosen
// name. It saves the main window's picture or the viewer's, whichever was active last.

#include "platform/runtime/folderlists.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

class Form5 : public QWidget {
    Q_OBJECT
  public:
    Form5();

    void Form_Load();
    void Form_Activate();
    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void Command2_Click();

    QGroupBox *Frame1;
    platform::DirListBox *Dir1;
    platform::DriveListBox *Drive1;
    QLabel *Label1;
    QLineEdit *Text1;
    QPushButton *Command1; // Save
    QPushButton *Command2; // Cancel
    platform::FileListBox *File1;

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void designControls();
};
