#include "viewer/form2.h"

// Placeholder until the viewer is built: the window exists but shows nothing.
Form2::Form2()
    : Image1(new platform::ImageBox(this)), Label1(new platform::ClickLabel(this)),
      Timer1(new QTimer(this)), mnuOptions(new QMenu(this)), mnuOptionsTitle(nullptr),
      mnuOptionsNext(nullptr), mnuOptionsPrevious(nullptr), mnuOptionsSlideshow(nullptr),
      mnuOptionsZoomIn(nullptr), mnuOptionsZoomOut(nullptr), mnuOptionsSave(nullptr),
      mnuOptionsWallpaper(nullptr), mnuOptionsOpen(nullptr), mnuOptionsExit(nullptr) {}

void Form2::Show() {}
void Form2::Form_Load() {}
void Form2::Form_Activate() {}
void Form2::Form_Unload() {}
void Form2::DisplayImage() {}
void Form2::zoom() {}
void Form2::unzoom() {}
void Form2::mnuOptionsZoomIn_Click() {}
void Form2::mnuOptionsZoomOut_Click() {}
void Form2::Form_KeyDown(int, int) {}
void Form2::Form_KeyPress(int) {}
void Form2::mnuOptionsNext_Click() {}
void Form2::mnuOptionsPrevious_Click() {}
void Form2::mnuOptionsExit_Click() {}
void Form2::Timer1_Timer() {}
void Form2::Form_MouseDown(Qt::MouseButton, QPoint) {}
void Form2::Image1_MouseDown(Qt::MouseButton, QPoint) {}
void Form2::Label1_MouseDown(Qt::MouseButton, QPoint) {}
void Form2::mnuOptionsSlideshow_Click() {}
