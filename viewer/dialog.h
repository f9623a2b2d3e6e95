#pragma once
// The slideshow-delay dialog: 5, 15 or 30 seconds, then the viewer opens on the current picture
// with the show running.

#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

class Dialog : public QDialog {
    Q_OBJECT
  public:
    Dialog();

    void Form_Load();
    void OKButton_Click();
    void CancelButton_Click();

    QPushButton *OKButton;
    QPushButton *CancelButton;
    QGroupBox *Frame1;
    QRadioButton *Option3; // 30 Seconds
    QRadioButton *Option2; // 15 Seconds
    QRadioButton *Option1; // 5 Seconds

  public slots:
    // Escape and the close button close the window, as Cancel does.
    void reject() override;
};
