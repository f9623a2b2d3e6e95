#pragma once
// The About box: the maker's name, the product's name as a picture, a small photograph and the
// rights notice. It goes away after five seconds or at the first click on it.

#include "platform/runtime/controls.h"

#include <QFrame>
#include <QTimer>
#include <QWidget>

class Form3 : public QWidget {
    Q_OBJECT
  public:
    Form3();

    void Form_Click();
    void Frame1_Click();
    void Label1_Click();
    void Label2_Click();
    void Picture1_Click();
    void Image1_Click();
    void Timer1_Timer();

    QFrame *Frame1;
    platform::ClickLabel *Label1;
    platform::ImageBox *Picture1;
    platform::ImageBox *Image1;
    platform::ClickLabel *Label2;
    QTimer *Timer1;

  protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void designControls();
};
