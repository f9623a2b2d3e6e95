// The fuzz targets' checks over the inputs they found, the hostile CD's files, the sample CD's
// pictures and the edge cases worth keeping: run in every build, not only the fuzzing one.

#include "fuzz/fuzz_checks.h"
#include "support/hostilecd.h"

#include <QDirIterator>
#include <QTest>

using namespace fuzzcheck;

class TestFuzzRegressions : public QObject {
    Q_OBJECT
    QStringList failures;

    void check(QString (*target)(QByteArrayView), const QString &name, const QByteArray &bytes) {
        if (const QString problem = target(bytes); !problem.isEmpty())
            failures << name + ": " + problem;
    }
    // Regular files only: a pipe would never end.
    void checkFiles(QString (*target)(QByteArrayView), const QString &folder) {
        for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            QFile file(it.next());
            if (it.fileInfo().isFile() && file.size() < 200'000 && file.open(QIODevice::ReadOnly))
                check(target, file.fileName(), file.readAll());
        }
    }

  private slots:
    void inputs() {
        // What the fuzzers found, a file each, named for what it triggered.
        checkFiles(CheckSettings, ORVANE_FUZZ_CORPUS "/settings");
        checkFiles(CheckPicture, ORVANE_FUZZ_CORPUS "/picture");
        checkFiles(CheckSearch, ORVANE_FUZZ_CORPUS "/search");
        checkFiles(CheckFit, ORVANE_FUZZ_CORPUS "/fit");
        // Line breaks on and around the reader's 16 KB chunk boundary; the last line has none.
        for (const int at : {0, 16383, 16384, 16385})
            for (const QByteArray lineBreak : {"\r\n", "\r", "\n", "\r\r\n"})
                check(CheckSettings, lineBreak.toHex() + " at " + QString::number(at),
                      QByteArray(at, 'x') + lineBreak + "9" + lineBreak + "three");
        // Every target over the hostile CD's files, the picture loader also over the sample's.
        const HostileCd hostileCd;
        QVERIFY(hostileCd.ok);
        for (const auto target : {CheckSettings, CheckPicture, CheckSearch, CheckFit})
            checkFiles(target, hostileCd.cd());
        checkFiles(CheckPicture, qEnvironmentVariable("ORVANE_SAMPLE_CD"));
        // Case changes that alter a text's length; only the first three of seven words count.
        check(CheckSearch, "dotted capital I",
              "0\xc4\xb0stanbul\nistanbul.jpg\n\xc4\xb0stanbul.jpg");
        check(CheckSearch, "sharp s", "0STRASSE\nstra\303\237e.jpg\nSTRASSE.JPG");
        check(CheckSearch, "seven words", "0a b c d e f g\nabc.jpg\nab.bmp\nabcdefg.gif");
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    }
};

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzz_regressions.moc"
