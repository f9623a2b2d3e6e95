#include "viewer/dialog.h"

// Placeholder until the slideshow-delay dialog is built.
Dialog::Dialog() : QWidget(nullptr, Qt::Dialog) {}

void Dialog::Form_Load() {}
