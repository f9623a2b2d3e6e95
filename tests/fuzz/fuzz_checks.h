#pragma once
// What must hold for any input, shared by the fuzz targets and the regression test that replays
// their findings. Each check returns "" when all is well, else what went wrong.

#include <QByteArrayView>
#include <QString>

namespace fuzzcheck {

// The settings file read as the start-up reads it, against the line rules said plainly; line 2's
// number conversion against plain whole numbers.
QString CheckSettings(QByteArrayView bytes);

// The picture loader on any bytes, as the preview, the viewer and a save read them.
QString CheckPicture(QByteArrayView bytes);

// The keyword search against a plain split and filter. After a first byte choosing the encoding
// (even: UTF-8, odd: UTF-16), the typed text and the catalogue's entries, one a line.
QString CheckSearch(QByteArrayView bytes);

} // namespace fuzzcheck
