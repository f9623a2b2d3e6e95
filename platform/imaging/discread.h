#pragma once
// Reading a picture file from a slow or failing disc, on a worker: in pieces, one piece on the
// drive at a time, given up once nobody wants it, and decoded while it arrives, so that the
// picture is ready a moment after its last piece rather than a decode later. Two workers asking
// for one file at once share one read.

#include <QIODevice>
#include <QString>

#include <functional>

namespace platform {

// Runs use on a device over the file's bytes, which waits for each byte to arrive; true when use
// succeeded and the whole file was then read without an error: an error in the middle of the
// file (a scratched or ejected CD) makes the whole file unreadable, rather than a picture decoded
// halfway. Only a regular file. False at once when the worker's work is no longer wanted.
bool ReadAsItArrives(const QString &nativePath, const std::function<bool(QIODevice &)> &use);

} // namespace platform
