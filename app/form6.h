#pragma once
// The splash window: shows "splash.jpg" for three seconds, then hands over to the main window.

#include <QImage>
#include <QTimer>
#include <QWidget>

class Form6 : public QWidget {
    Q_OBJECT
  public:
    Form6();

    void Form_Load();
    void Timer1_Timer();

    QTimer *Timer1;
    QImage Picture;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void handOver();

    int frame_; // the frame's thickness in pixels
};
