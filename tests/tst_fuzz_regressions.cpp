// The fuzz targets' checks over the inputs they found, the hostile CD's and the sample CD's
// pictures and the edge cases worth keeping: run in every build, not only the fuzzing one.

#include "fuzz/fuzz_checks.h"
#include "support/hostilecd.h"

#include <QDirIterator>
#include <QTest>

namespace {

using Check = QString (*)(QByteArrayView);
const std::pair<const char *, Check> targets[] = {{"settings", fuzzcheck::CheckSettings},
                                                  {"picture", fuzzcheck::CheckPicture},
                                                  {"search", fuzzcheck::CheckSearch},
                                                  {"fit", fuzzcheck::CheckFit}};
enum Target { Settings, Picture, Search, Fit };

void row(Target target, const QString &name, const QByteArray &bytes) {
    QTest::addRow("%s %s", targets[target].first, qPrintable(name)) << int(target) << bytes;
}

// Regular files only: a pipe would never end.
void rowsFromFiles(Target target, const QString &folder, qint64 maxBytes = 200'000) {
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (it.fileInfo().isFile() && file.size() < maxBytes && file.open(QIODevice::ReadOnly))
            row(target, it.fileInfo().fileName(), file.readAll());
    }
}

// Sizes in pixels at 15 twips a pixel on a 1024 x 768 screen, and the zoom keys.
QByteArray fit(quint16 width, quint16 height, quint8 keys) {
    const quint16 sizes[] = {width, height, 1024, 768};
    return QByteArray(reinterpret_cast<const char *>(sizes), sizeof sizes) + char(14) + char(keys);
}

} // namespace

class TestFuzzRegressions : public QObject {
    Q_OBJECT
    HostileCd hostileCd;

  private slots:
    void inputs_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<QByteArray>("bytes");
        // What the fuzzers found, a file each, named for what it triggered.
        for (const Target target : {Settings, Picture, Search, Fit})
            rowsFromFiles(target, QStringLiteral(ORVANE_FUZZ_CORPUS "/") + targets[target].first);
        // Line breaks on and around the reader's 16 KB chunk boundary; the last line has none.
        for (const int at : {0, 16383, 16384, 16385})
            for (const QByteArray lineBreak : {"\r\n", "\r", "\n", "\r\r\n"})
                row(Settings, lineBreak.toHex() + " at " + QString::number(at),
                    QByteArray(at, 'x') + lineBreak + "9" + lineBreak + "three");
        QVERIFY(hostileCd.ok);
        rowsFromFiles(Picture, hostileCd.cd());
        rowsFromFiles(Picture, qEnvironmentVariable("ORVANE_SAMPLE_CD"));
        // Case changes that alter a text's length; only the first three of seven words count.
        row(Search, "dotted capital I", "0\xc4\xb0stanbul\nistanbul.jpg\n\xc4\xb0stanbul.jpg");
        row(Search, "sharp s",
            "0STRASSE\nstra\xc3\x9f"
            "e.jpg\nSTRASSE.JPG");
        row(Search, "seven words", "0a b c d e f g\nabc.jpg\nab.bmp\nabcdefg.gif");
        // Pictures taller than the screen, zoomed in all the way and out again.
        row(Fit, "800 x 1200", fit(800, 1200, 0xff));
        row(Fit, "1 x 65535", fit(1, 65535, 0xaa));
    }
    void inputs() {
        QFETCH(int, target);
        QFETCH(QByteArray, bytes);
        const QString problem = targets[target].second(bytes);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzz_regressions.moc"
