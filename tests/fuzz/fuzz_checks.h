#pragma once
// What must hold for any input, shared by the fuzz targets and the regression test that replays
// their seeds and reproducers. Each check returns "" when all is well, else what went wrong.

#include <QByteArrayView>
#include <QString>

namespace fuzzcheck {

// A file for one input at a time, in memory-backed storage where the machine has it.
class ScratchFile {
  public:
    explicit ScratchFile(const char *name);
    // Replaces the file's contents; the path to read it back.
    const QString &write(QByteArrayView bytes);
    QString sibling(const char *name) const;

  private:
    QString folder_;
    QString path_;
};

// The settings file: read the way the start-up reads it, checked against a plain restatement of
// the line rules, then turned into the title and its colour; line 2's number conversion.
QString CheckSettings(QByteArrayView bytes, ScratchFile &scratch);

// The picture loader on arbitrary bytes, without and with a box to cover, and the bitmap save of
// what loaded.
QString CheckPicture(QByteArrayView bytes, ScratchFile &scratch);

// The keyword search's rules: the typed text split into keywords and matched against catalogue
// entries, compared with the rules said plainly. After a first byte choosing the encoding (even:
// UTF-8, odd: UTF-16), the input holds the typed text and the entries, one a line.
QString CheckSearchRules(QByteArrayView bytes);

// The preview's rules: fitting any size into the preview box, the title, the kind and the size
// texts of any catalogue entry, and the information line's cycle. The input's first 25 bytes are
// numbers, the rest the entry (first byte's parity choosing UTF-8 or UTF-16, as above).
QString CheckPreviewRules(QByteArrayView bytes);

// The viewer's rules: fitting to any screen, zoom steps in and out, and the viewer's, the
// caption's, the save dialog's and the wallpaper question's texts of any entry. The input's first
// 9 bytes are numbers, the rest the entry (as above).
QString CheckViewerRules(QByteArrayView bytes);

} // namespace fuzzcheck
