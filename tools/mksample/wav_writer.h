#pragma once

#include <QString>

// Writes a short two-note chime: 16-bit PCM, mono, 22050 Hz, about 0.8 s.
bool writeChime(const QString &path);
