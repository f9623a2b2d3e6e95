#pragma once
// The save dialog's text rules: the name it proposes and the file it writes.

#include <QString>

// The name proposed for a list entry: the entry without its last four characters (the dot and
// the three-letter extension). An entry of four characters or fewer proposes no name.
QString DefaultSaveName(const QString &listEntry);

// The file written for a folder and a typed name: ".bmp" is always appended and the name is not
// examined; one "\" goes between folder and name unless the folder already ends in a separator
// (a root such as "C:\" or "\").
QString SaveTargetPath(const QString &folder, const QString &name);
