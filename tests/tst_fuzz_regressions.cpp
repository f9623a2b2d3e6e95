// The fuzz targets' checks over their seeds, the inputs they found and the edge cases worth
// keeping: run in every build, not only the fuzzing one.

#include "fuzz/fuzz_checks.h"
#include "support/hostilecd.h"

#include <QDirIterator>
#include <QFile>
#include <QTest>

#include <limits>

namespace {

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The committed seeds and reproducers of one target.
QStringList corpus(const char *target) {
    QStringList files;
    QDirIterator it(QStringLiteral(ORVANE_FUZZ_CORPUS "/") + target, QDir::Files);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

QByteArray withBreakAt(qsizetype offset, const QByteArray &lineBreak) {
    return QByteArray(offset, 'x') + lineBreak + "9\r\nthree\r\n";
}

} // namespace

class TestFuzzRegressions : public QObject {
    Q_OBJECT
    fuzzcheck::ScratchFile settingsScratch{"orvane.ini"};
    fuzzcheck::ScratchFile pictureScratch{"picture.jpg"};

  private slots:
    void settingsInputs_data() {
        QTest::addColumn<QByteArray>("bytes");
        for (const QString &file : corpus("settings"))
            QTest::newRow(qPrintable("corpus " + QFileInfo(file).fileName())) << readAll(file);
        // Line breaks that fall on the reader's 16 KB chunk boundary, split or not.
        for (const qsizetype at : {16383, 16384, 16385, 32767})
            for (const QByteArray &lineBreak :
                 {QByteArray("\r\n"), QByteArray("\r"), QByteArray("\n"), QByteArray("\r\r\n")})
                QTest::newRow(qPrintable(
                    QStringLiteral("break at %1 (%2 bytes)").arg(at).arg(lineBreak.size())))
                    << withBreakAt(at, lineBreak);
        // Found by fuzz_settings: digits followed by NULs are no number (the check had taken
        // QString::toInt's word for it).
        QTest::newRow("digit and NULs") << QByteArray("1") + QByteArray(61, '\0');
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("only breaks") << QByteArray("\r\n\r\n\r\r\n\n\n\n\n");
        QTest::newRow("line 2 NUL") << QByteArray("a\r\n\0\r\n", 6);
    }
    void settingsInputs() {
        QFETCH(QByteArray, bytes);
        const QString problem = fuzzcheck::CheckSettings(bytes, settingsScratch);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void pictureInputs_data() {
        QTest::addColumn<QString>("file");
        for (const QString &file : corpus("picture"))
            QTest::newRow(qPrintable("corpus " + QFileInfo(file).fileName())) << file;
        // The seeds the fuzzer starts from: the sample CD's pictures.
        const QString sample = qEnvironmentVariable("ORVANE_SAMPLE_CD");
        QDirIterator it(sample + "/images", {"*.jpg", "*.JPG", "*.gif", "*.Gif", "*.bmp"},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (QFileInfo(file).size() < 200'000)
                QTest::newRow(qPrintable("sample " + QFileInfo(file).fileName())) << file;
        }
    }
    void pictureInputs() {
        QFETCH(QString, file);
        const QString problem = fuzzcheck::CheckPicture(readAll(file), pictureScratch);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // Inputs fuzz_picture found.
    void pictureFindings_data() {
        QTest::addColumn<QByteArray>("bytes");
        // A GIF frame reaching past its 1 x 65528 screen: the loader reported the screen as the
        // natural size of a larger decoded picture.
        QTest::newRow("frame past the screen") << QByteArray::fromBase64(
            "R0lGODlhAQD4/4EAAAAAAAD/AAD/AAAA/yH5BAAAAAAALAAAAAD/AAABAAAAAAAAAQAwACw=");
        // A few bytes declaring sizes just inside the budget: slow (seconds under the sanitizers)
        // but bounded, read no larger than needed, and not kept beyond the budget.
        QTest::newRow("26-byte GIF, 60420 x 2052 screen")
            << QByteArray::fromBase64("R0lGODlhBOwECAAAACwAAAAABAAEAAIAADs=");
        QTest::newRow("GIF screen 0 high, 1024 x 39940 frame") << QByteArray::fromBase64(
            "R0lGODlh+QQAAAAAACwAAAAABAAEnJycnJycnJycnJycnJycnJycnJycnJycnJycnJycnJycnJycn"
            "JycnJycnJycnJycnJycnJycnJycnJycnJycnJycnJycnJycnJycnJycnJycnJycnJycAhA7");
        QTest::newRow("119-byte RLE bitmap, 16 x 7798800") << QByteArray::fromBase64(
            "Qk1iAQAAAAAAAAEAAAAoAAAAEAAAABAAdwABAAQAAgAAACgBAAATCwAAEwsAABAAAAAAAAAAWlpaWl"
            "paWlpaWlpaWlpeWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpa"
            "WlpaWlo=");
    }
    void pictureFindings() {
        QFETCH(QByteArray, bytes);
        const QString problem = fuzzcheck::CheckPicture(bytes, pictureScratch);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void searchInputs_data() {
        QTest::addColumn<QByteArray>("bytes");
        for (const QString &file : corpus("search_rules"))
            QTest::newRow(qPrintable("corpus " + QFileInfo(file).fileName())) << readAll(file);
        // Case changes that alter a text's length, lone surrogates, only spaces.
        QTest::newRow("dotted capital I") << QByteArray("0\xc4\xb0stanbul\nistanbul.jpg\n");
        QTest::newRow("sharp s") << QByteArray("0STRASSE\nstra\xc3\x9f"
                                               "e.jpg\n");
        QTest::newRow("only spaces") << QByteArray("0     \na.jpg\n");
        QTest::newRow("lone surrogate") << QByteArray("1\x00\xd8 \x00x\x00\n\x00\x00\xd8", 10);
        QTest::newRow("no entries") << QByteArray("0a b c d");
        QTest::newRow("empty") << QByteArray();
    }
    void searchInputs() {
        QFETCH(QByteArray, bytes);
        const QString problem = fuzzcheck::CheckSearchRules(bytes);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void previewInputs_data() {
        QTest::addColumn<QByteArray>("bytes");
        for (const QString &file : corpus("preview_rules"))
            QTest::newRow(qPrintable("corpus " + QFileInfo(file).fileName())) << readAll(file);
        // Sizes at and around the box, and the extremes, with the hostile CD's names.
        struct Case {
            float w, h;
            quint16 pw, ph;
            qint64 size;
            qint32 step;
            const char *entry;
        };
        const Case cases[] = {
            {640, 480, 640, 480, 1023, 0, "0animals\\tiger cub.JPG"},
            {120, 90, 120, 90, 1024, 1, "0a\\b\\c.bmp"},
            {0, 0, 0, 0, -1, -1, "0jpg"},
            {1e30f, 1e-30f, 65535, 1, std::numeric_limits<qint64>::max(), 3, "0line\nbreak.gif"},
            {std::numeric_limits<float>::quiet_NaN(), -1, 1, 65535,
             std::numeric_limits<qint64>::min(), 2147483647, "0.bmp"},
        };
        for (const Case &c : cases) {
            QByteArray bytes;
            for (const auto &field : {QByteArray(reinterpret_cast<const char *>(&c.w), 4),
                                      QByteArray(reinterpret_cast<const char *>(&c.h), 4),
                                      QByteArray(reinterpret_cast<const char *>(&c.pw), 2),
                                      QByteArray(reinterpret_cast<const char *>(&c.ph), 2),
                                      QByteArray(reinterpret_cast<const char *>(&c.size), 8),
                                      QByteArray(reinterpret_cast<const char *>(&c.step), 4)})
                bytes += field;
            bytes += char(14); // 15 twips a pixel
            QTest::newRow(c.entry + 1) << bytes + c.entry;
        }
    }
    void previewInputs() {
        QFETCH(QByteArray, bytes);
        const QString problem = fuzzcheck::CheckPreviewRules(bytes);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void viewerInputs_data() {
        QTest::addColumn<QByteArray>("bytes");
        for (const QString &file : corpus("viewer_rules"))
            QTest::newRow(qPrintable("corpus " + QFileInfo(file).fileName())) << readAll(file);
        // The worked pictures on a 1024 x 768 screen, zoomed in all the way and out again.
        auto numbers = [](quint16 w, quint16 h, quint8 keys) {
            const quint16 fields[] = {w, h, 1024, 768};
            return QByteArray(reinterpret_cast<const char *>(fields), sizeof fields) + char(keys);
        };
        QTest::newRow("640 x 480") << numbers(640, 480, 0x0f) + "0sunset.jpg";
        QTest::newRow("800 x 1200") << numbers(800, 1200, 0xff) + "0BEACH.GIF";
        QTest::newRow("2048 x 768") << numbers(2048, 768, 0xf0) + "0trips\\Rome.bmp";
        QTest::newRow("2400 x 2400") << numbers(2400, 2400, 0x55) + "0a.jpg";
        QTest::newRow("1 x 65535") << numbers(1, 65535, 0xaa) + "0x";
    }
    void viewerInputs() {
        QFETCH(QByteArray, bytes);
        const QString problem = fuzzcheck::CheckViewerRules(bytes);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // Every troublemaker on the hostile CD, read as bytes.
    void hostilePictures() {
        HostileCd hostileCd;
        QVERIFY(hostileCd.ok());
        QDirIterator it(hostileCd.cd() + "/images", QDir::Files, QDirIterator::Subdirectories);
        int checked = 0;
        while (it.hasNext()) {
            const QString file = it.next();
            if (!it.fileInfo().isFile())
                continue;
            const QString problem = fuzzcheck::CheckPicture(readAll(file), pictureScratch);
            QVERIFY2(problem.isEmpty(), qPrintable(file + ": " + problem));
            ++checked;
        }
        QVERIFY(checked > 40);
    }
};

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzz_regressions.moc"
