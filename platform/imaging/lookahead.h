#pragma once
// Pictures decoded for the screen: no larger than they will be drawn, one of them decoded a
// moment ahead on a worker thread so that stepping does not wait for the decoder, and the two
// shown last kept for showing again. A picture read ahead or kept is used only while its file
// is unchanged (device, inode, size, modification and change times), checked at each use.
//
// Every read, and every look at a file to tell whether it changed, runs on a worker (reads.h);
// the user-interface thread only hands out the work and takes over the pictures. Nothing of the
// program's shared state is touched on a worker.

#include "platform/imaging/picture.h"

#include <QSize>
#include <QString>
#include <functional>
#include <optional>

namespace platform {

// From a picture's natural size in pixels, the size in device pixels it will be drawn at.
using DisplaySizeFor = std::function<QSize(QSize natural)>;

// What a read for the preview brings back: the picture, nothing when the file can't be read, and
// the file's length for the information line.
struct PreviewRead {
    std::optional<Picture> picture;
    std::optional<qint64> fileLength;
};

// The work, to run on a worker, of LoadPictureForDisplay and of a preview's read. Made on the
// user-interface thread: a look-ahead of the same file is taken over there and then, so that a
// newer look-ahead can't drop it.
std::function<std::optional<Picture>()> DisplayRead(const QString &path, DisplaySizeFor sizeFor);
std::function<PreviewRead()> PreviewReadOf(const QString &path, QSize box);

// Reads the picture at a program path for showing it: a JPEG at the smallest fast decoder scale
// that still covers the display size, then any picture larger than that smoothly scaled down to
// it exactly; a smaller picture is kept whole. When the look-ahead read this same file for the
// same display size, its picture is taken over instead (waiting for it if it is still being
// decoded), and a picture kept from one of the last two displays is used again. Nothing when the
// file is missing or cannot be read. sizeFor must be a pure function: the worker calls it too.
std::optional<Picture> LoadPictureForDisplay(const QString &path, const DisplaySizeFor &sizeFor);

// LoadPicture for a box: the preview shown last when it is of the same file and box, the picture
// read ahead for that box, or one made from a kept display of that picture when one covers the box.
std::optional<Picture> LoadPictureForPreview(const QString &path, QSize box);
// Forgets the kept pictures but the one shown last.
void KeepLastShownOnly();

// Starts reading the picture at a program path ahead, replacing the one read ahead before.
void LookAhead(const QString &path, DisplaySizeFor sizeFor);
// Once the given time has passed without another look-ahead asked for or dropped: LookAhead of
// path, and once that is read, previewPath read for a preview box (replacing the preview read
// ahead before).
void LookAheadSoon(int milliseconds, const QString &path, DisplaySizeFor sizeFor,
                   const QString &previewPath, QSize previewBox);
// Forgets the picture read ahead for the viewer (a decode already running finishes and is thrown
// away).
void DropLookAhead();
// Forgets both pictures read ahead, the preview's too.
void DropReadsAhead();
// Forgets the kept pictures too, so that the next display reads its file; for measurements.
void ForgetPictures();
// How many displays had to decode their file themselves, nothing read ahead or kept; for tests.
int DisplaysThatDecoded();
// Waits until the workers are idle; for measurements and tests.
void WaitForLookAhead();

} // namespace platform
