// Reading pictures: by content only, upright, no larger than needed, and safe on bad files.

#include "platform/picture.h"
#include "support/picturefiles.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

double peakResidentMb() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

bool reddish(QRgb c) {
    return qRed(c) > 200 && qBlue(c) < 60;
}
bool bluish(QRgb c) {
    return qBlue(c) > 200 && qRed(c) < 60;
}

} // namespace

class TestPicture : public QObject {
    Q_OBJECT
  private slots:
    // First, so that the process's peak memory still says what these cost.
    void absurdDeclaredSizesAreRefusedBeforeAllocating_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("JPEG 60000x60000") << JpegDeclaring(60000, 60000);
        QTest::newRow("JPEG 65500x65500") << JpegDeclaring(65500, 65500);
        QTest::newRow("BMP 60000x60000") << BmpHeader(60000, 60000);
        QTest::newRow("BMP 60000x60000 top-down") << BmpHeader(60000, -60000);
        QTest::newRow("BMP just over the budget") << BmpHeader(15000, 10001);
        QTest::newRow("GIF 60000x60000") << GifDeclaring(60000, 60000, 0, 0, 60000, 60000);
        QTest::newRow("GIF small frame, huge screen") << GifDeclaring(20000, 20000, 0, 0, 10, 10);
        QTest::newRow("GIF huge frame, small screen") << GifDeclaring(10, 10, 0, 0, 60000, 60000);
        QTest::newRow("GIF frame placed far out") << GifDeclaring(10, 10, 60000, 60000, 10, 10);
    }
    void absurdDeclaredSizesAreRefusedBeforeAllocating() {
        QFETCH(QByteArray, bytes);
        TempCd cd;
        cd.writeFile("huge.jpg", bytes);
        const double before = peakResidentMb();
        QVERIFY(!platform::LoadPicture("huge.jpg"));
        QVERIFY(!platform::LoadPicture("huge.jpg", QSize(120, 90)));
        QVERIFY(!platform::SavePictureAsBitmap(cd.path("huge.jpg"), "out"));
        QVERIFY2(peakResidentMb() - before < 64, "memory grew while refusing");
        QVERIFY(!QFile::exists(cd.path("out")));
    }

    void decidesByContentNotByName_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loads");
        const QImage image = HalvesImage(40, 30);
        QTest::newRow("GIF named .jpg") << MakeGif(40, 30) << true;
        QTest::newRow("BMP named .jpg") << Encode(image, "BMP") << true;
        QTest::newRow("JPEG named .jpg") << Encode(image, "JPG") << true;
        QTest::newRow("PNG named .jpg") << Encode(image, "PNG") << false;
        QTest::newRow("ICO named .jpg") << Encode(image, "ICO") << false;
        QTest::newRow("zero bytes") << QByteArray() << false;
        QTest::newRow("text") << QByteArray("not a picture at all\n") << false;
        QTest::newRow("JPEG cut in its header") << Encode(image, "JPG").left(60) << false;
        QTest::newRow("GIF cut in its header") << MakeGif(40, 30).left(12) << false;
        QTest::newRow("BMP cut in its header") << Encode(image, "BMP").left(30) << false;
        QTest::newRow("SOI then junk") << QByteArray("\xff\xd8\xff\x00garbage", 11) << false;
    }
    void decidesByContentNotByName() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loads);
        TempCd cd;
        cd.writeFile("x.jpg", bytes);
        const auto picture = platform::LoadPicture("x.jpg");
        QCOMPARE(bool(picture), loads);
        if (picture) {
            QCOMPARE(picture->natural, QSize(40, 30));
            QCOMPARE(picture->image.size(), QSize(40, 30));
        }
    }

    void truncatedPicturesDoNotCrash_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QImage image = HalvesImage(200, 150);
        for (const char *format : {"JPG", "BMP"}) {
            const QByteArray whole = Encode(image, format);
            QTest::newRow(format) << whole.left(whole.size() / 2);
        }
        const QByteArray gif = MakeGif(200, 150);
        QTest::newRow("GIF") << gif.left(gif.size() / 2);
    }
    void truncatedPicturesDoNotCrash() {
        QFETCH(QByteArray, bytes);
        TempCd cd;
        cd.writeFile("cut.jpg", bytes);
        // Whatever part a decoder recovers is fine; the size is the declared one.
        if (const auto picture = platform::LoadPicture("cut.jpg"))
            QCOMPARE(picture->natural, QSize(200, 150));
    }

    void onlyRegularFilesAreRead() {
        TempCd cd;
        cd.mkdir("folder.jpg");
        QVERIFY(QFile::link(cd.path("gone.jpg"), cd.path("dangling.jpg")));
        QCOMPARE(::mkfifo(QFile::encodeName(cd.path("pipe.jpg")).constData(), 0600), 0);
        for (const char *name : {"folder.jpg", "dangling.jpg", "pipe.jpg", "missing.jpg", ""})
            QVERIFY2(!platform::LoadPicture(name), name);
        QVERIFY(!platform::SavePictureAsBitmap(cd.path("folder.jpg"), "out"));
    }

    void topDownBitmapLoads() {
        TempCd cd;
        cd.writeFile("down.bmp", TopDownBmp(5, 4));
        const auto picture = platform::LoadPicture("down.bmp");
        QVERIFY(picture);
        QCOMPARE(picture->natural, QSize(5, 4));
        QVERIFY(reddish(picture->image.pixel(0, 0)));
        QVERIFY(bluish(picture->image.pixel(0, 3)));
    }

    void jpegDecodesAtTheSizeTheBoxNeeds_data() {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("decoded");
        QTest::newRow("no box: whole") << QSize(1600, 1200) << QSize() << QSize(1600, 1200);
        QTest::newRow("preview: an eighth")
            << QSize(1600, 1200) << QSize(120, 90) << QSize(200, 150);
        QTest::newRow("twice the pixels: a quarter")
            << QSize(1600, 1200) << QSize(240, 180) << QSize(400, 300);
        QTest::newRow("just too big for a half")
            << QSize(1600, 1200) << QSize(801, 601) << QSize(1600, 1200);
        QTest::newRow("odd size rounds down")
            << QSize(1601, 1201) << QSize(120, 90) << QSize(200, 150);
        QTest::newRow("thin strip fits by width")
            << QSize(2000, 56) << QSize(120, 90) << QSize(250, 7);
        QTest::newRow("smaller than the box") << QSize(100, 80) << QSize(120, 90) << QSize(100, 80);
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
        const QImage image = HalvesImage(2000, 1500);
        QTest::newRow("BMP by 16, edge blocks kept")
            << Encode(image, "BMP") << QSize(120, 90) << QSize(125, 94);
        QTest::newRow("GIF by 16") << MakeGif(2000, 1500) << QSize(120, 90) << QSize(125, 94);
        QTest::newRow("BMP, no box") << Encode(image, "BMP") << QSize() << QSize(2000, 1500);
        QTest::newRow("BMP, box not half its size")
            << Encode(image, "BMP") << QSize(1100, 1000) << QSize(2000, 1500);
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
            const QPoint blue(w - 1 - red.x(), h - 1 - red.y());
            return reddish(image.pixel(red)) && bluish(image.pixel(blue));
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
