// Reading pictures, folders and settings files: by content only, upright, no larger than needed,
// within time and memory on hostile files, a picture kept for display only while its file is
// unchanged, and folders listed ahead at start-up as they are.

#include "app/globals.h"
#include "catalogue/scan.h"
#include "mainwindow/settings_rules.h"
#include "platform/files/files.h"
#include "platform/files/folders.h"
#include "platform/imaging/lookahead.h"
#include "platform/runtime/listbox.h"
#include "support/hostilecd.h"
#include "support/picturefiles.h"
#include "support/rootless.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <thread>

class TestPicture : public QObject {
    Q_OBJECT
    HostileCd hostileCd;
    double peakBase = 0;

    // The peak memory a case added, since the case began.
    double peakGrowth() const { return PeakRssMb() - peakBase; }

  private slots:
    void initTestCase() {
        QVERIFY2(hostileCd.ok, qPrintable(hostileCd.error));
        QDir::setCurrent(hostileCd.cd() + "/images");
        // A small frame far out on a small screen: the decoder allocates up to the frame's end.
        QByteArray far = hostile::Gif(10, 10, 10, 10, 1);
        far.replace(far.indexOf(',') + 1, 4, QByteArray::fromHex("60ea60ea")); // at 60000
        QFile file("gif-frame-far-out.gif");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(far));
    }
    void init() { peakBase = ResetPeakMemory(); }

    // By content, not by name; only regular files: a pipe would block forever and /dev/zero
    // never ends. Absurd declared sizes are refused before anything is allocated.
    void loadsPicturesAndRefusesTheRest_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("natural"); // empty: refused
        QTest::newRow("JPEG") << "good/plain.jpg" << QSize(64, 48);
        QTest::newRow("GIF named .jpg") << "good/gif-named.jpg" << QSize(20, 10);
        // Regression: a bitmap stored top row first came out upside down.
        QTest::newRow("top-down BMP") << "good/top-down.bmp" << QSize(40, 30);
        QTest::newRow("5000 frames") << "frames/frames-5000.gif" << QSize(8, 8);
        for (const char *f :
             {"broken/png.jpg", "odd/pipe.jpg", "odd/zero.jpg", "huge/jpeg-60000.jpg",
              "huge/gif-screen-65535.gif", "huge/gif-frame-65535.gif", "gif-frame-far-out.gif",
              "huge/bmp-60000.bmp"})
            QTest::newRow(f) << QString::fromLatin1(f) << QSize();
    }
    void loadsPicturesAndRefusesTheRest() {
        QFETCH(QString, file);
        QFETCH(QSize, natural);
        QElapsedTimer timer;
        timer.start();
        for (const QSize box : {QSize(), QSize(120, 90)}) {
            const auto picture = platform::LoadPictureFile(file, box);
            QCOMPARE(picture ? picture->natural : QSize(), natural);
            if (file.endsWith("/top-down.bmp")) { // green grows downwards
                QCOMPARE(qGreen(picture->image.pixel(0, 0)), 0);
                QCOMPARE(qGreen(picture->image.pixel(0, 29)), 255);
            }
        }
        const QString saved = hostileCd.dir.filePath("out.bmp");
        QCOMPARE(platform::SavePictureAsBitmap(file, saved), !natural.isEmpty());
        QCOMPARE(QFile::remove(saved), !natural.isEmpty());
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY2(peakGrowth() < 40, qPrintable(QString::number(peakGrowth())));
    }

    // A JPEG is decoded at the smallest DCT scale that covers the box, other pictures averaged
    // down in whole blocks, the edge blocks kept; left red and right blue, as stored.
    void decodesNoLargerThanTheBoxNeedsAndUpright() {
        // Stored size, box and decoded size; the last BMP is not half as large as the picture.
        for (const auto &[format, stored, box, decoded] :
             {std::tuple{"JPG", QSize(1600, 1200), QSize(120, 90), QSize(200, 150)},
              {"JPG", QSize(1600, 1200), QSize(240, 180), QSize(400, 300)},
              {"JPG", QSize(1600, 1200), QSize(801, 601), QSize(1600, 1200)}, // too big for a half
              {"JPG", QSize(1601, 1201), QSize(120, 90), QSize(200, 150)}, // odd sizes round down
              {"JPG", QSize(2000, 56), QSize(120, 90), QSize(250, 7)},     // a strip fits by width
              {"BMP", QSize(2000, 1500), QSize(120, 90), QSize(125, 94)},
              {"BMP", QSize(2000, 1500), QSize(1100, 1000), QSize(2000, 1500)},
              // Regression: blocks over 257 pixels wide overflowed the sums' 16-bit lanes.
              {"BMP", QSize(40000, 300), QSize(120, 90), QSize(134, 1)},
              {"GIF", QSize(40000, 300), QSize(120, 90), QSize(134, 1)}}) {
            TempCd cd;
            const QImage halves = HalvesImage(stored.width(), stored.height());
            cd.writeFile("p",
                         qstrcmp(format, "GIF") ? Encode(halves, format) : hostile::GifOf(halves));
            const auto picture = platform::LoadPicture("p", box);
            QVERIFY(picture);
            QCOMPARE(picture->natural, stored);
            QCOMPARE(picture->image.size(), decoded);
            QVERIFY(qRed(picture->image.pixel(0, 0)) > 200);
            QVERIFY(qBlue(picture->image.pixel(decoded.width() - 1, 0)) > 200);
        }
        // Turned once (a quarter anticlockwise here), whether decoded small, whole or saved.
        TempCd cd;
        cd.writeFile("turned.jpg", WithExifOrientation(Encode(HalvesImage(640, 320), "JPG"), 8));
        const auto preview = platform::LoadPicture("turned.jpg", QSize(80, 80));
        const auto whole = platform::LoadPicture("turned.jpg");
        QVERIFY(preview && whole);
        QVERIFY(platform::SavePictureAsBitmap(whole->source, "saved.bmp"));
        const QSize natural(320, 640);
        for (const auto &[image, size] :
             {std::pair{preview->image, natural / 8}, std::pair{whole->image, natural},
              std::pair{QImage(cd.path("saved.bmp")), natural}}) {
            QCOMPARE(image.size(), size);
            // The stored left half, red, is now at the bottom.
            QVERIFY(qRed(image.pixel(20, image.height() - 3)) > 200);
            QVERIFY(qBlue(image.pixel(20, 2)) > 200);
        }
    }

    // Only a regular file has lines; a first line of 100 MB is cut without being held, and the
    // later lines keep their numbers.
    void settingsLines() {
        for (const char *folder : {"ini-pipe", "ini-dev-zero", "ini-folder", "ini-missing"})
            QVERIFY2(!platform::ReadLines(hostileCd.dir.filePath(folder) + "/orvane.ini", 6, 4096),
                     folder);
        const QString ini = hostileCd.dir.filePath("huge.ini");
        QVERIFY(hostile::WriteHugeSettings(ini));
        QElapsedTimer timer;
        timer.start();
        const auto lines = platform::ReadLines(ini, SettingsLines, SettingsLineLength);
        QVERIFY(lines && lines->size() == 6);
        QCOMPARE((*lines)[0].size(), SettingsLineLength);
        QCOMPARE((*lines)[1] + (*lines)[4], QByteArray("9Huge settings file"));
        QVERIFY(peakGrowth() < 8);
        QVERIFY(timer.elapsed() < (UnderAddressSanitizer ? 30000 : 5000));
    }

    // A picture shown again, full-screen or as the preview, is the one decoded before, as a fresh
    // decode gives it, but only while its file is as it was when it was read.
    void keptPictureOnlyWhileItsFileIsUnchanged_data() {
        QTest::addColumn<bool>("preview");
        QTest::newRow("display") << false;
        QTest::newRow("preview") << true;
    }
    void keptPictureOnlyWhileItsFileIsUnchanged() {
        QFETCH(bool, preview);
        const auto show = [preview](const QString &path) {
            return preview ? platform::LoadPictureForPreview(path, QSize(120, 90))
                           : platform::LoadPictureForDisplay(path,
                                                             [](QSize) { return QSize(300, 200); });
        };
        const struct {
            const char *change;
            void (*make)(const TempCd &);
            bool kept, shown; // not shown: the previous picture stays
        } cases[] = {
            {"none", [](const TempCd &) {}, true, true},
            {"written again", [](const TempCd &cd) { cd.writePicture("a.jpg", 900, 600, "JPG"); },
             false, true},
            {"removed", [](const TempCd &cd) { QFile::remove(cd.path("a.jpg")); }, false, false},
            {"made unreadable",
             [](const TempCd &cd) { ::chmod(QFile::encodeName(cd.path("a.jpg")).constData(), 0); },
             false, false}};
        for (const auto &c : cases) {
            TempCd cd;
            cd.writePicture("a.jpg", 900, 600, "JPG", Qt::red);
            const auto before = show("a.jpg");
            c.make(cd);
            QFile::copy(cd.path("a.jpg"), cd.path("fresh.jpg"));
            const WithoutFileOverride asAUser;
            QVERIFY(before && asAUser.ok());
            const auto after = show("a.jpg");
            QVERIFY2(bool(after) == c.shown, c.change);
            if (after) {
                QVERIFY2((after->image.cacheKey() == before->image.cacheKey()) == c.kept, c.change);
                QVERIFY2(after->image == show("fresh.jpg")->image, c.change);
            }
        }
    }

    // The catalogue made at start-up, with the folders listed ahead on another thread, is the one
    // made without, whichever thread reaches a folder first; a walk after the start lists afresh.
    void foldersListedAheadAreTheFoldersAsTheyAre() {
        TempCd cd;
        for (int i = 0; i < 120; ++i)
            cd.writeFile(QStringLiteral("images/a%1/b%2/p%3.jpg").arg(i % 9).arg(i % 23).arg(i),
                         "");
        // Links back into the walk, to a folder reached by another way too, and to one reached
        // only through the link: each folder is walked once, by the first path that reaches it.
        QVERIFY(QFile::link(cd.path("images"), cd.path("images/a4/b13/back")));
        QVERIFY(QFile::link(cd.path("images/a2"), cd.path("images/a7/b11/twin")));
        cd.writeFile("outside/p.jpg", "");
        QVERIFY(QFile::link(cd.path("outside"), cd.path("images/a5/out")));
        const auto scan = [] {
            ScanParams params;
            params.Recurse = params.AddToList = true;
            g.ImagesFolder = params.Folder = QStringLiteral("images\\");
            platform::ListBox list;
            ScanFolder(params, list);
            g.ImageCount = params.FileCount;
            return Catalogue();
        };
        const QStringList direct = scan();
        QCOMPARE(direct.size(), 121);
        for (int round = 0; round < 30; ++round) {
            platform::BeginReadingAhead();
            std::thread other([] { platform::ReadAhead(QStringLiteral("images\\")); });
            if (round % 3 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(round % 2 + 1));
            const QStringList ahead = scan();
            other.join();
            platform::EndReadingAhead();
            QCOMPARE(ahead, direct);
        }
        platform::BeginReadingAhead();
        platform::ReadAhead(QStringLiteral("images\\"));
        cd.writeFile("images/a0/new.jpg", "");
        platform::EndReadingAhead();
        QVERIFY(scan().contains("a0\\new.jpg"));
    }
};

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
