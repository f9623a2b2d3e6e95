#pragma once
// The full-screen viewer.

#include <QWidget>

class Form2 : public QWidget {
    Q_OBJECT
public:
    Form2() = default;
    void Form_Load() {}
    // The viewer is not there yet: showing it does nothing.
    void Show() {}
};
