#pragma once
// Files on disk. The program names files the way the CD's platform does: relative to the current
// directory, with '\' separators; this layer maps those names onto the file system.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>
#include <vector>

namespace platform {

// The on-disk path a program path names when every component's letter case is as written: runs
// of `\` or `/` become one `/`. Nothing on disk is asked.
QString ExactPath(const QString &path);

// On-disk path for a program path such as "images\\animals\\cat.jpg" (runs of '\' read as one).
// A component with no exact match falls back to one that differs only in letter case, as a CD
// mounted with upper-case names needs.
QString NativePath(const QString &path);

// The name when a file (not a folder) of that name exists, else "".
QString Dir(const QString &name);

// Length of a file in bytes; nothing when it cannot be read.
std::optional<qint64> FileLen(const QString &path);

// Reads up to maxLines text lines. A line ends at CR LF, a lone CR or a lone LF; a line longer
// than maxLineLength is cut there and the rest of it skipped, so later lines keep their numbers.
// Nothing when the file cannot be opened or is not a regular file (a pipe, a device).
std::optional<std::vector<QByteArray>> ReadLines(const QString &path, int maxLines,
                                                 int maxLineLength);

// Opens an on-disk path for reading, by its name's bytes (names.h), when it is a regular file:
// never a folder, a pipe or a device.
bool OpenRegularFile(QFile &file, const QString &nativePath);

// The on-disk path made absolute against the current directory, its names' bytes kept.
QString AbsoluteNativePath(const QString &nativePath);

// The current directory at start, which stands in for the application's start folder.
QString StartFolder();

} // namespace platform
