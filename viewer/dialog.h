#pragma once
// Placeholder for the slideshow-delay dialog until it is built: an empty window.

#include <QWidget>

class Dialog : public QWidget {
    Q_OBJECT
  public:
    Dialog();
    void Form_Load();
};
