// Reading pictures: by content only, upright, no larger than needed, and safe on hostile files.

#include "platform/imaging/picture.h"
#include "support/hostilecd.h"
#include "support/picturefiles.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace {

bool reddish(QRgb c) {
    return qRed(c) > 200 && qBlue(c) < 60;
}
bool bluish(QRgb c) {
    return qBlue(c) > 200 && qRed(c) < 60;
}

} // namespace

class TestPicture : public QObject {
    Q_OBJECT
    HostileCd hostileCd;

  private slots:
    void initTestCase() {
        QVERIFY2(hostileCd.ok(), qPrintable(hostileCd.error()));
        // Beside the hostile CD's own troublemakers, a few made here.
        const QImage image = HalvesImage(40, 30);
        const QList<QPair<QString, QByteArray>> made = {
            {"bmp-named.jpg", Encode(image, "BMP")},
            {"ico-named.jpg", Encode(image, "ICO")},
            {"bmp-cut-in-header.jpg", Encode(image, "BMP").left(30)},
            {"soi-then-junk.jpg", QByteArray("\xff\xd8\xff\x00garbage", 11)},
            {"bmp-just-over-budget.bmp", BmpHeader(15000, 10001)},
            {"gif-frame-far-out.gif", GifDeclaring(10, 10, 60000, 60000, 10, 10)}};
        QDir().mkpath(hostileCd.cd() + "/images/made");
        for (const auto &[name, bytes] : made) {
            QFile file(hostileCd.cd() + "/images/made/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        QDir::setCurrent(hostileCd.cd());
    }

    // First, while the process's memory high-water mark is still low, so growth would show.
    void absurdDeclaredSizesAreRefusedBeforeAllocating() {
        // Warm up the decoders so their own start-up is not counted.
        QVERIFY(platform::LoadPictureFile("images/good/plain.jpg"));
        QVERIFY(platform::LoadPictureFile("images/good/plain.gif"));
        const double before = PeakRssMb();
        QStringList loaded;
        for (const char *name :
             {"huge/jpeg-60000.jpg", "huge/gif-screen-65535.gif", "huge/gif-frame-65535.gif",
              "made/gif-frame-far-out.gif", "huge/bmp-60000.bmp", "huge/bmp-top-down-60000.bmp",
              "huge/bmp-widest.bmp", "huge/bmp-tallest.bmp", "huge/bmp-tallest-top-down.bmp",
              "huge/bmp-height-int-min.bmp", "huge/bmp-32bit-65535.bmp", "huge/bmp-zero-size.bmp",
              "huge/bmp-negative-width.bmp", "made/bmp-just-over-budget.bmp"}) {
            const QString file = QString("images/") + name;
            for (const QSize box : {QSize(), QSize(120, 90), QSize(1024, 768)})
                if (platform::LoadPictureFile(file, box))
                    loaded << file;
            if (platform::SavePictureAsBitmap(file, hostileCd.root() + "/out.bmp") ||
                QFile::exists(hostileCd.root() + "/out.bmp"))
                loaded << "saved " + file;
        }
        const double growth = PeakRssMb() - before;
        qInfo("peak memory growth over the declared-huge pictures: %.1f MB", growth);
        QVERIFY2(growth < 40, qPrintable(QString::number(growth)));
        QVERIFY2(loaded.isEmpty(), qPrintable(loaded.join(", ")));
    }

    // By content, not by name; only regular files: a pipe would block forever and /dev/zero
    // never ends.
    void loadsPicturesAndRefusesTheRestQuickly_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("natural"); // empty: refused
        const QSize refused;
        QTest::newRow("JPEG") << "good/plain.jpg" << QSize(64, 48);
        QTest::newRow("GIF") << "good/plain.gif" << QSize(64, 48);
        QTest::newRow("BMP") << "good/plain.bmp" << QSize(64, 48);
        QTest::newRow("GIF named .jpg") << "good/gif-named.jpg" << QSize(20, 10);
        QTest::newRow("BMP named .jpg") << "made/bmp-named.jpg" << QSize(40, 30);
        // Regression: a bitmap stored top row first came out upside down.
        QTest::newRow("top-down BMP") << "good/top-down.bmp" << QSize(40, 30);
        QTest::newRow("5000 frames") << "frames/frames-5000.gif" << QSize(8, 8);
        for (const char *f :
             {"made/ico-named.jpg", "broken/png.jpg", "broken/empty.jpg", "broken/text.jpg",
              "broken/truncated-header.jpg", "broken/truncated-header.gif",
              "made/bmp-cut-in-header.jpg", "made/soi-then-junk.jpg", "broken/bmp-bits-7.bmp",
              "odd/folder.jpg", "odd/dangling.jpg", "odd/self.gif", "odd/zero.jpg", "odd/pipe.jpg",
              "missing.jpg"})
            QTest::newRow(f) << QString::fromLatin1(f) << refused;
    }
    void loadsPicturesAndRefusesTheRestQuickly() {
        QFETCH(QString, file);
        QFETCH(QSize, natural);
        QElapsedTimer timer;
        timer.start();
        const auto picture = platform::LoadPictureFile("images/" + file);
        const auto throughProgramPath =
            platform::LoadPicture("images\\" + QString(file).replace('/', '\\'));
        QCOMPARE(bool(picture), !natural.isEmpty());
        QCOMPARE(bool(throughProgramPath), !natural.isEmpty());
        if (picture) {
            QCOMPARE(picture->natural, natural);
            QCOMPARE(picture->image.size(), natural);
            QCOMPARE(throughProgramPath->image.size(), natural);
        } else {
            QVERIFY(
                !platform::SavePictureAsBitmap("images/" + file, hostileCd.root() + "/out.bmp"));
            QVERIFY(!platform::LoadPicture(""));
            QVERIFY(timer.elapsed() < 2000);
        }
        if (file.contains("top-down")) { // green grows downwards
            QCOMPARE(qGreen(picture->image.pixel(0, 0)), 0);
            QCOMPARE(qGreen(picture->image.pixel(0, 29)), 255);
        }
    }

    void jpegDecodesAtTheSizeTheBoxNeeds_data() {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("decoded");
        auto row = [](const char *name, QSize stored, QSize box, QSize decoded) {
            QTest::newRow(name) << stored << box << decoded;
        };
        row("no box: whole", {1600, 1200}, {}, {1600, 1200});
        row("preview: an eighth", {1600, 1200}, {120, 90}, {200, 150});
        row("twice the pixels: a quarter", {1600, 1200}, {240, 180}, {400, 300});
        row("just too big for a half", {1600, 1200}, {801, 601}, {1600, 1200});
        row("odd size rounds down", {1601, 1201}, {120, 90}, {200, 150});
        row("thin strip fits by width", {2000, 56}, {120, 90}, {250, 7});
        row("smaller than the box", {100, 80}, {120, 90}, {100, 80});
    }
    void jpegDecodesAtTheSizeTheBoxNeeds() {
        QFETCH(QSize, stored);
        QFETCH(QSize, box);
        QFETCH(QSize, decoded);
        TempCd cd;
        cd.writeFile("p.jpg", Encode(HalvesImage(stored.width(), stored.height()), "JPG"));
        const auto picture = platform::LoadPicture("p.jpg", box);
        QVERIFY(picture);
        QCOMPARE(picture->natural, stored);
        QCOMPARE(picture->image.size(), decoded);
        QCOMPARE(picture->source, cd.path("p.jpg"));
    }

    void otherPicturesAreAveragedDown_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("reduced");
        const QByteArray bmp = Encode(HalvesImage(2000, 1500), "BMP");
        QTest::newRow("BMP by 16, edge blocks kept") << bmp << QSize(120, 90) << QSize(125, 94);
        QTest::newRow("GIF by 16") << MakeGif(2000, 1500) << QSize(120, 90) << QSize(125, 94);
        QTest::newRow("BMP, no box") << bmp << QSize() << QSize(2000, 1500);
        QTest::newRow("BMP, box not half its size")
            << bmp << QSize(1100, 1000) << QSize(2000, 1500);
    }
    void otherPicturesAreAveragedDown() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, box);
        QFETCH(QSize, reduced);
        TempCd cd;
        cd.writeFile("p.bmp", bytes);
        const auto picture = platform::LoadPicture("p.bmp", box);
        QVERIFY(picture);
        QCOMPARE(picture->natural, QSize(2000, 1500));
        QCOMPARE(picture->image.size(), reduced);
        const QImage &shown = picture->image;
        const QRgb left = shown.pixel(0, 0), right = shown.pixel(shown.width() - 1, 0);
        if (bytes.startsWith("BM")) {
            QCOMPARE(left, qRgb(255, 0, 0));
            QCOMPARE(right, qRgb(0, 0, 255));
        } else {
            QCOMPARE(left, right); // one colour all over
        }
    }

    void exifOrientationIsAppliedOnce_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QString>("redSide"); // where the stored left half ends up
        QTest::newRow("1 as stored") << 1 << QSize(640, 320) << "left";
        QTest::newRow("3 half turn") << 3 << QSize(640, 320) << "right";
        QTest::newRow("6 quarter clockwise") << 6 << QSize(320, 640) << "top";
        QTest::newRow("8 quarter anticlockwise") << 8 << QSize(320, 640) << "bottom";
    }
    void exifOrientationIsAppliedOnce() {
        QFETCH(int, orientation);
        QFETCH(QSize, natural);
        QFETCH(QString, redSide);
        TempCd cd;
        cd.writeFile("turned.jpg",
                     WithExifOrientation(Encode(HalvesImage(640, 320), "JPG"), orientation));
        auto redAt = [&redSide](const QImage &image) {
            const int w = image.width(), h = image.height();
            const QPoint red = redSide == "left"    ? QPoint(2, h / 2)
                               : redSide == "right" ? QPoint(w - 3, h / 2)
                               : redSide == "top"   ? QPoint(w / 2, 2)
                                                    : QPoint(w / 2, h - 3);
            return reddish(image.pixel(red)) &&
                   bluish(image.pixel(w - 1 - red.x(), h - 1 - red.y()));
        };
        // Scaled in stored orientation, then turned: an eighth of 640x320 is 80x40.
        const auto preview = platform::LoadPicture("turned.jpg", QSize(80, 80));
        QVERIFY(preview);
        QCOMPARE(preview->natural, natural);
        QCOMPARE(preview->image.size(), natural / 8);
        QVERIFY(redAt(preview->image));
        const auto whole = platform::LoadPicture("turned.jpg");
        QVERIFY(whole);
        QCOMPARE(whole->image.size(), natural);
        QVERIFY(redAt(whole->image));
        QVERIFY(platform::SavePictureAsBitmap(whole->source, "saved.bmp"));
        QImage saved(cd.path("saved.bmp"), "BMP");
        QCOMPARE(saved.size(), natural);
        QVERIFY(redAt(saved));
    }
};

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
