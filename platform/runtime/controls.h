#pragma once
// Controls that the window runtime offers and Qt lacks as such: an image control whose position
// and size are twips held as float, and a clickable label.

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

namespace platform {

// Shows its picture stretched to its own size, smoothly filtered and drawn from device pixels.
class ImageBox : public QWidget {
    Q_OBJECT
  public:
    explicit ImageBox(QWidget *parent = nullptr);

    void SetPicture(const QImage &image);
    const QImage &Picture() const { return image_; }

    // Position and size in twips, kept exactly as set; the pixels follow from them.
    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    void SetLeft(float v);
    void SetTop(float v);
    void SetWidth(float v);
    void SetHeight(float v);
    void SetVisible(bool visible) { setVisible(visible); }

  signals:
    void Click();
    void MouseDown(Qt::MouseButton button, QPoint globalPos);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    void relayout();

    QImage image_;
    QPixmap scaled_; // the picture at the size last drawn, so repaints don't rescale
    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// A label that reports clicks and mouse presses, as the runtime's labels do. Its text is shown
// as it is, never as markup: titles and names come from the CD.
class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ClickLabel(QWidget *parent = nullptr) : ClickLabel(QString(), parent) {}
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr) : QLabel(text, parent) {
        setTextFormat(Qt::PlainText);
    }

  signals:
    void Click();
    void MouseDown(Qt::MouseButton button, QPoint globalPos);

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A black picture box that reports clicks; the preview frame.
class PictureFrame : public QWidget {
    Q_OBJECT
  public:
    explicit PictureFrame(QWidget *parent = nullptr);

  signals:
    void Click();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace platform
