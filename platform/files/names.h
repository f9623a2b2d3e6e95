#pragma once
// Names on disk as the program holds them. A name is whatever bytes the file system has; the
// program holds it as text that keeps every byte, so each name opens its own file again. A name
// that is valid UTF-8 is held as its characters. Any other byte of a name, and a '\' in a name
// (the program's paths put '\' between folders), is held as a code unit of its own, U+DC00 plus
// the byte: a lone low surrogate, which no decoded name holds.

#include <QByteArray>
#include <QString>

namespace platform {

// Writes a name's bytes as held to out, which has room for as many code units as there are bytes
// (a held name is never longer), and tells whether that took any code units standing for bytes.
// Returns the code units written.
qsizetype WriteHeldName(QByteArrayView bytes, char16_t *out, bool &rawBytes);
QString HeldName(QByteArrayView bytes);

// Whether a held name or path has code units standing for bytes.
bool HoldsRawBytes(QStringView held);

// The bytes on disk of a held name or of a path of them.
QByteArray NameBytes(QStringView held);

// Text in bytes of unknown encoding: UTF-8 when they are valid UTF-8, else Windows-1252, the code
// page a CD made on Windows writes its names and files in.
QString TextOfBytes(QByteArrayView bytes);

// Stands for a '\' inside a name where a name is shown: a '\' there would read as a folder.
inline constexpr QChar BackslashStandIn = QChar(0x2216); // SET MINUS, "∖"

// A held program path as shown and searched: each name as text (TextOfBytes of its bytes), a '\'
// inside a name as the stand-in; the '\' between folders stays.
QString NameText(const QString &held);

} // namespace platform
