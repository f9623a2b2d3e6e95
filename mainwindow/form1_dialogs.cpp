#include "mainwindow/form1.h"

// The main window's commands that open the dialogs: Save, Wallpaper and the About box.
void Form1::Command2_Click() {}
void Form1::Command5_Click() {}
void Form1::Label1_Click() {}
void Form1::Label3_Click() {}
