#pragma once
// The full-screen viewer: the current picture fitted to the screen on black, its title near the
// bottom, stepping, zoom, the slideshow and the pop-up menu.

#include "platform/imaging/lookahead.h"
#include "platform/imaging/reads.h"
#include "platform/runtime/controls.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

class QCloseEvent;
class QKeyEvent;
class QMouseEvent;

class Form2 : public QWidget {
    Q_OBJECT
  public:
    Form2();

    // Modeless show: loads the window if needed, covers the screen and activates it.
    void Show();

    // Start-up and display.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void DisplayImage();

    // Zoom.
    void zoom();
    void unzoom();
    void mnuOptionsZoomIn_Click();
    void mnuOptionsZoomOut_Click();

    // Navigation and keys.
    void Form_KeyDown(int keyCode, int shift);
    void Form_KeyPress(int keyAscii);
    void mnuOptionsNext_Click();
    void mnuOptionsPrevious_Click();
    void mnuOptionsExit_Click();

    // Slideshow and the pop-up menu.
    void Timer1_Timer();
    void Form_MouseDown(Qt::MouseButton button, QPoint globalPos);
    void Image1_MouseDown(Qt::MouseButton button, QPoint globalPos);
    void Label1_MouseDown(Qt::MouseButton button, QPoint globalPos);
    void mnuOptionsSlideshow_Click();

    // Handing the picture on: the save dialog, the wallpaper, Open With.
    void mnuOptionsSave_Click();
    void mnuOptionsWallpaper_Click();
    void mnuOptionsOpen_Click();
    void ShowOpenWithDialog(const QString &sFileName);

    // The device pixels a picture of a given natural size is shown at on the screen of `on` (the
    // main window's, which the viewer opens on).
    static platform::DisplaySizeFor ScreenSizeFor(const QWidget *on, qreal devicePixelRatio);

    // The loader: the current picture, with its natural size.
    platform::Picture Picture1;
    platform::ImageBox *Image1;
    platform::ClickLabel *Label1;
    QTimer *Timer1;

    QMenu *mnuOptions;
    QAction *mnuOptionsTitle;
    QAction *mnuOptionsNext;
    QAction *mnuOptionsPrevious;
    QAction *mnuOptionsSlideshow;
    QAction *mnuOptionsZoomIn;
    QAction *mnuOptionsZoomOut;
    QAction *mnuOptionsSave;
    QAction *mnuOptionsWallpaper;
    QAction *mnuOptionsOpen;
    QAction *mnuOptionsExit;

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void designControls();
    void designMenu();
    void coverScreen();
    // The window's own edges on its screen, twips.
    float FormLeft() const;
    float FormTop() const;
    void SetTimerInterval(int milliseconds);
    // The loader's inner size, twips: the picture's natural size, whatever it was decoded at.
    // It has no border, so its outer size is the same.
    float ScaleWidth() const;
    float ScaleHeight() const;

    // The forward and backward steps' change and wrap of CurrentIndex; the caller displays.
    void StepForward();
    void StepBackward();
    // Keys step at once but show the picture when the event queue has caught up, so a held key
    // never queues up displays that a later step has overtaken.
    void DisplaySoon();
    // DisplayImage once the picture at that index has been read (nothing: it could not be).
    void LayOut(int index, std::optional<platform::Picture> picture);
    // Zoom, the menu and its commands work on the picture as laid out: one that arrives while a
    // picture is being read runs once it is shown. True when the command was put off until then.
    bool WaitsForDisplay(std::function<void()> command);
    // The title of the picture at that index, in the caption.
    void ShowTitle(int index);
    // Started once the picture is on screen, so the worker does not compete with the painting.
    void LookAheadOnward();
    // The picture at a catalogue index, wrapped as the steps wrap, read on the worker.
    void LookAheadAt(int index);
    void RightButtonDown(Qt::MouseButton button, QPoint globalPos);

    QTimer *displayTimer_;
    QTimer *lookAheadTimer_;
    bool steppingBack_ = false; // the last step went backward: read ahead that way
    platform::LatestRead displayRead_;
    int readingIndex_ = -1; // the index displayRead_ reads for
    quint64 askedAt_ = 0;   // when it was last asked for
    std::vector<std::function<void()>> afterDisplay_;
};
