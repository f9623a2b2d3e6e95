#include "mainwindow/form1.h"

void Form1::Command6_Click() {}
void Form1::Command7_Click() {}
void Form1::CheckSearchString() {}
void Form1::SearchArray() {}
