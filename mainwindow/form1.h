#pragma once
// The main window: the picture list, the preview with its information line, the command buttons
// and the title from the settings file.

#include "platform/imaging/lookahead.h"
#include "platform/imaging/picture.h"
#include "platform/imaging/reads.h"
#include "platform/runtime/controls.h"
#include "platform/runtime/listbox.h"

#include <QFrame>
#include <QImage>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

class Form1 : public QWidget {
    Q_OBJECT
  public:
    Form1();

    // Start-up and shut-down.
    void Form_Load();
    void Form_Activate();
    void Form_KeyDown(int keyCode, int shift);
    void Form_QueryUnload(int unloadMode);
    void Form_Terminate();

    // The list and the preview.
    void List1_Click();
    void Thumbnail();
    void Convert(std::optional<qint64> size);
    void Timer1_Timer();

    // Commands.
    void HideButtons();
    void Showbuttons();
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Image1_Click();
    void Picture1_Click();
    void List1_DblClick();
    void Label1_Click();
    void Label3_Click();

    // Keyword search.
    void CheckSearchString();
    void SearchArray();

    // Controls, in tab order first.
    platform::ListBox *List1;
    QPushButton *Command1; // View
    QPushButton *Command6; // Search
    QPushButton *Command7; // Reset
    QPushButton *Command4; // Slideshow
    QPushButton *Command5; // Wallpaper
    QPushButton *Command2; // Save
    platform::ClickLabel *Label2;
    platform::ClickLabel *Label1;
    platform::ClickLabel *Label3;
    platform::PictureFrame *Picture1;
    platform::ImageBox *Image1;
    QTimer *Timer1;
    QFrame *Shape1;
    // The hidden measuring box: the picture last loaded for the preview, with its natural size.
    platform::Picture Picture5;

    // The window's background picture, drawn unscaled from the top-left corner.
    QImage Picture;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void designControls();
    // Thumbnail once the picture of that entry has been read.
    void ShowThumbnail(const QString &entry, platform::PreviewRead read);
    void ReadAhead();
    // A command that arrives while the preview is being read acts on the new picture once it is
    // shown: true when it was put off until then.
    bool WaitsForPreview(void (Form1::*command)());
    const QEvent *previewedKey_ = nullptr;
    platform::LatestRead previewRead_;
    QString readingEntry_;  // the entry previewRead_ reads
    quint64 askedAt_ = 0;   // when it was last asked for
    int readAheadStep_ = 1; // towards the row the list is moving to
    std::vector<void (Form1::*)()> afterPreview_;
};
