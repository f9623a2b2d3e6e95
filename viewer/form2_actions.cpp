#include "viewer/form2.h"

// The items that hand the picture on; they come alive with the dialogs.
void Form2::mnuOptionsSave_Click() {}
void Form2::mnuOptionsWallpaper_Click() {}
void Form2::mnuOptionsOpen_Click() {}
void Form2::ShowOpenWithDialog(const QString &) {}
