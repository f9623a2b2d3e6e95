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

    // Regular files only: a pipe would never end.
    void checkFiles(QString (*target)(QByteArrayView), const QString &folder) {
        for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            QFile file(it.next());
            if (it.fileInfo().isFile() && file.size() < 200'000 && file.open(QIODevice::ReadOnly))
                if (const QString problem = target(file.readAll()); !problem.isEmpty())
                    failures << file.fileName() + ": " + problem;
        }
    }

  private slots:
    void inputs() {
        // What the fuzzers found, a file each, named for what it triggered, and the edge cases
        // worth keeping: line breaks on and around the settings reader's 16 KB chunk boundary
        // (the last line has none), and case changes that alter a search text's length.
        checkFiles(CheckSettings, ORVANE_FUZZ_CORPUS "/settings");
        checkFiles(CheckPicture, ORVANE_FUZZ_CORPUS "/picture");
        checkFiles(CheckSearch, ORVANE_FUZZ_CORPUS "/search");
        // Every target over the hostile CD's files, the picture loader also over the sample's.
        const HostileCd hostileCd;
        QVERIFY(hostileCd.ok);
        for (const auto target : {CheckSettings, CheckPicture, CheckSearch})
            checkFiles(target, hostileCd.cd());
        checkFiles(CheckPicture, qEnvironmentVariable("ORVANE_SAMPLE_CD"));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    }
};

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzz_regressions.moc"
