#pragma once
// The About box's two pictures, drawn by code so they ship inside the program.

#include <QImage>

// A small grey-scale photograph, 73 x 30, 256 shades of grey.
QImage AboutPhotograph();
// The product's name, ORVANE, in light capitals each in its own dark box, 85 x 24, 24-bit.
QImage ProductLettering();
