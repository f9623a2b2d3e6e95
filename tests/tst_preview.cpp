// The main window's preview and information line, driven through the real window.

#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "mainwindow/preview_rules.h"
#include "platform/files/files.h"
#include "support/picturefiles.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

namespace {

int rowOf(Form1 &form, const QString &name) {
    for (int row = 0; row < form.List1->ListCount(); ++row)
        if (form.List1->List(row) == name)
            return row;
    return -1;
}

// Where the picture sits in twips; floats widen to double exactly, so the comparison is exact.
QRectF placeOf(const platform::ImageBox &box) {
    return QRectF(box.Left(), box.Top(), box.Width(), box.Height());
}

QStringList ticks(Form1 &form, int count) {
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        form.Timer1_Timer();
        texts << form.Label2->text();
    }
    return texts;
}

} // namespace

class TestPreview : public QObject {
    Q_OBJECT
  private slots:
    void init() { ResetProgram(); }
    void cleanupTestCase() { ResetProgram(); }

    void previewsTheSelectedPicture_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QSize>("decoded"); // what the preview keeps: no more than it draws
        QTest::addColumn<QRectF>("twips");
        auto row = [](const char *name, const QByteArray &bytes, QSize natural, QSize decoded,
                      QRectF twips) {
            QTest::newRow(name) << bytes << natural << decoded << twips;
        };
        auto bmp = [](int w, int h) { return Encode(HalvesImage(w, h), "BMP"); };
        row("640x480", bmp(640, 480), {640, 480}, {128, 96}, {0, 0, 1800, 1350});
        row("1000x300", bmp(1000, 300), {1000, 300}, {125, 38}, {0, 405, 1800, 540});
        row("60x40", bmp(60, 40), {60, 40}, {60, 40}, {450, 375, 900, 600});
        row("120x90", bmp(120, 90), {120, 90}, {120, 90}, {0, 0, 1800, 1350});
        row("100x1000", bmp(100, 1000), {100, 1000}, {10, 91}, {832.5, 0, 135, 1350});
        row("large JPEG decoded small", Encode(HalvesImage(1600, 1200), "JPG"), {1600, 1200},
            {200, 150}, {0, 0, 1800, 1350});
        row("JPEG turned by EXIF", WithExifOrientation(Encode(HalvesImage(640, 320), "JPG"), 6),
            {320, 640}, {80, 160}, {562.5, 0, 675, 1350});
    }
    void previewsTheSelectedPicture() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, natural);
        QFETCH(QSize, decoded);
        QFETCH(QRectF, twips);
        TempCd cd;
        cd.writeFile("images/p.jpg", bytes);
        Form1 &form = Instance<Form1>(); // the start-up selects the first row

        QCOMPARE(form.List1->ListIndex(), 0);
        QCOMPARE(g.CurrentIndex, 1);
        QCOMPARE(form.Picture5.natural, natural);
        QCOMPARE(form.Picture5.image.size(), decoded);
        QCOMPARE(form.Picture5.source, QFileInfo(cd.path("images/p.jpg")).absoluteFilePath());
        QCOMPARE(form.Image1->Picture().cacheKey(), form.Picture5.image.cacheKey());
        QCOMPARE(placeOf(*form.Image1), twips);
        QVERIFY(form.Image1->isVisibleTo(&form));
        QCOMPARE(form.Label2->text(), "P");
        QCOMPARE(ticks(form, 2).last(), PixelSizeText(natural.width(), natural.height()));
        QVERIFY(RecordedMessages().isEmpty());
    }

    void selectingByCodeAndByKey() {
        TempCd cd;
        cd.writePicture("images/alpha.bmp", 640, 480, "BMP");
        cd.writeGif("images/sub/Beta.GIF", 60, 40);
        cd.writePicture("images/gamma.jpg", 1000, 300, "JPG");
        Form1 &form = Instance<Form1>();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        form.List1->SetSelected(rowOf(form, "Beta.GIF"));
        QCOMPARE(g.ImageArray[g.CurrentIndex], "sub\\Beta.GIF");
        QCOMPARE(form.Label2->text(), "Beta");
        QCOMPARE(g.ImageType, "gif");
        QCOMPARE(placeOf(*form.Image1), QRectF(450, 375, 900, 600));
        QCOMPARE(ticks(form, 1), QStringList{"Gif Image"});

        form.List1->SetFocus();
        const int from = form.List1->ListIndex();
        QTest::keyClick(form.List1, from == 0 ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(g.CurrentIndex, form.List1->ListIndex() + 1);
        QVERIFY(form.List1->ListIndex() != from);
        QCOMPARE(form.Label2->text(), PreviewTitle(g.ImageArray[g.CurrentIndex]));
        QCOMPARE(g.InfoStep, 0);
    }

    void informationLineTakesTurns() {
        TempCd cd;
        cd.writePicture("images/animals/tiger cub.JPG", 640, 480, "JPG");
        Form1 &form = Instance<Form1>();
        const QString size = SizeText(QFileInfo(cd.path("images/animals/tiger cub.JPG")).size(),
                                      QLocale::system().decimalPoint());
        QCOMPARE(g.ImageSizeText, size);
        QCOMPARE(form.Label2->text(), "Tiger cub");
        QCOMPARE(ticks(form, 5),
                 (QStringList{"Jpeg Image", "640 * 480 pixels", size, "Tiger cub", "Jpeg Image"}));
        form.Timer1_Timer(); // now at the pixel size

        // The same row again brings the title back at once, the kind at the next tick, and
        // leaves the timer running on its own beat.
        QVERIFY(form.Timer1->isActive());
        QCOMPARE(form.Timer1->interval(), 3000);
        QTest::qWait(50);
        const int remaining = form.Timer1->remainingTime();
        form.List1->SetSelected(0);
        QVERIFY(form.Timer1->remainingTime() <= remaining);
        QCOMPARE(form.Label2->text(), "Tiger cub");
        QCOMPARE(ticks(form, 1), QStringList{"Jpeg Image"});

        // And the timer itself drives it.
        form.List1->SetSelected(0);
        QTRY_COMPARE_WITH_TIMEOUT(form.Label2->text(), QString("Jpeg Image"), 3500);
    }

    void failedLoadKeepsThePreviousPicture_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("special");
        QTest::newRow("PNG named .jpg") << Encode(HalvesImage(30, 20), "PNG") << "";
        QTest::newRow("BMP declaring 60000x60000") << BmpHeader(60000, 60000) << "";
        QTest::newRow("folder") << QByteArray() << "folder";
        QTest::newRow("gone") << QByteArray() << "gone";
    }
    void failedLoadKeepsThePreviousPicture() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, special);
        TempCd cd;
        cd.writePicture("images/good.bmp", 640, 480, "BMP");
        const QString bad = cd.path("images/Bad One.jpg");
        cd.writeFile("images/Bad One.jpg", bytes);
        Form1 &form = Instance<Form1>();
        form.List1->SetSelected(rowOf(form, "good.bmp"));
        const qint64 shown = form.Image1->Picture().cacheKey();
        const QRectF placed = placeOf(*form.Image1);
        // The file changes after the scan listed it.
        if (special == "folder" || special == "gone")
            QVERIFY(QFile::remove(bad));
        if (special == "folder")
            QVERIFY(QDir().mkpath(bad));

        form.List1->SetSelected(rowOf(form, "Bad One.jpg"));
        QCOMPARE(form.Image1->Picture().cacheKey(), shown);
        QCOMPARE(placeOf(*form.Image1), placed);
        QVERIFY(form.Image1->isVisibleTo(&form));
        QCOMPARE(form.Label2->text(), "Bad one");
        QCOMPARE(g.ImageType, "jpg");
        const auto length = platform::FileLen("images\\Bad One.jpg");
        QCOMPARE(g.ImageSizeText, SizeText(length, QLocale::system().decimalPoint()));
        QCOMPARE(ticks(form, 2), (QStringList{"Jpeg Image", "640 * 480 pixels"}));
        QVERIFY(RecordedMessages().isEmpty());
    }

    void emptyCatalogueShowsNothing() {
        TempCd cd;
        Form1 &form = Instance<Form1>();
        QCOMPARE(g.ImageCount, 0);
        QVERIFY(form.Picture5.isNull());
        QVERIFY(form.Image1->Picture().isNull());
        QCOMPARE(form.Label2->text(), "");
        QCOMPARE(g.ImageType, "");
        QCOMPARE(g.ImageSizeText, "0 Bytes");
        QCOMPARE(ticks(form, 2), (QStringList{"", ""}));
        QCOMPARE(g.InfoStep, 0);
        QVERIFY(RecordedMessages().isEmpty());
    }

    void noSelectedRowKeepsThePreview() {
        TempCd cd;
        cd.writePicture("images/only.bmp", 60, 40, "BMP");
        Form1 &form = Instance<Form1>();
        form.Timer1_Timer();
        QCOMPARE(form.Label2->text(), "Bitmap Image");
        const qint64 shown = form.Image1->Picture().cacheKey();

        form.List1->selectionModel()->clear();
        form.List1_Click();
        QCOMPARE(g.CurrentIndex, 0);
        QCOMPARE(form.Image1->Picture().cacheKey(), shown);
        QCOMPARE(placeOf(*form.Image1), QRectF(450, 375, 900, 600));
        QCOMPARE(form.Label2->text(), "Only");
        QCOMPARE(ticks(form, 1), QStringList{"Only"});
        QVERIFY(RecordedMessages().isEmpty());
    }
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
