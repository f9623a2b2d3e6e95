#pragma once
// The hostile CD: every broken, extreme or strange thing a CD made by someone else may hold, for
// the end-to-end robustness tests. Written the same way on every run.
//
// Layout under the output folder:
//   cd/            the CD: settings, splash, background and images/ full of trouble
//   ini-<case>/    one more CD per settings-file case, holding only its orvane.ini

#include <QByteArray>
#include <QList>
#include <QString>

namespace hostile {

inline constexpr char CdFolder[] = "cd";

// Pictures in the full CD's images/many folder: one more than the catalogue holds.
inline constexpr int ManyPictures = 10001;

// The 100 MB settings file's folder; written only for the full CD.
inline constexpr char HugeSettingsFolder[] = "ini-100mb";
inline constexpr qint64 HugeSettingsBytes = 100LL * 1024 * 1024;

struct SettingsCase {
    QString folder;
    QByteArray lineTwo; // the colour line, as written
};

// The settings files whose line 2 is a number the title colour has to cope with.
QList<SettingsCase> NumberSettingsCases();

// A settings file of the given size whose first line takes all but its last few bytes (a hole
// where the file system allows, so it costs no disk space); lines 2 to 6 follow, with line 2
// "9" and line 5 "Huge settings file".
bool WriteHugeSettings(const QString &path, qint64 bytes = HugeSettingsBytes);

// Writes the whole hostile CD. Small leaves out the 10,001 pictures and the 100 MB file.
// Existing files are replaced. False (with a reason) when something could not be written.
bool WriteHostileCd(const QString &outDir, bool small, QString *error = nullptr);

} // namespace hostile
