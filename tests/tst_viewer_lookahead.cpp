// Pictures read ahead on the worker for the screen, never shown as a file was rather than as it
// is. (The decode at the drawn size goes through the window in tst_viewer.)

#include "platform/imaging/lookahead.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTest>

namespace {

platform::DisplaySizeFor Fixed(QSize size) {
    return [size](QSize natural) { return size.boundedTo(natural); };
}

// Loaded, and its centre near this colour (a JPEG keeps colours only roughly).
bool LoadsAs(const QString &path, QColor colour, QSize size = {400, 300}) {
    const auto p = platform::LoadPictureForDisplay(path, Fixed(size));
    const QColor c =
        p ? p->image.pixelColor(p->image.width() / 2, p->image.height() / 2) : QColor();
    return p && qAbs(c.red() - colour.red()) < 12 && qAbs(c.green() - colour.green()) < 12 &&
           qAbs(c.blue() - colour.blue()) < 12;
}

void ReadAhead(const QString &path, QSize size = {400, 300}) {
    platform::LookAhead(path, Fixed(size));
    platform::WaitForLookAhead();
}

} // namespace

class TestViewerLookAhead : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() {
        platform::DropLookAhead();
        platform::WaitForLookAhead();
    }

    void decodedAtTheDisplaySize() {
        TempCd cd;
        cd.writePicture("pic", 2000, 1000, "BMP");
        const auto picture =
            platform::LoadPictureForDisplay("pic", [](QSize) { return QSize(1000, 500); });
        QVERIFY(picture);
        QCOMPARE(picture->natural, QSize(2000, 1000));
        QCOMPARE(picture->image.size(), QSize(1000, 500));
        QVERIFY(!picture->source.isEmpty());
    }

    void lookAheadIsTakenOverOnlyForTheSameFileAsItIsNow() {
        TempCd cd;
        const QColor red(200, 30, 30), blue(30, 30, 200);
        cd.writePicture("a.jpg", 800, 600, "JPG", red);
        ReadAhead("a.jpg");
        QVERIFY(LoadsAs("a.jpg", red));

        // Written again after it was read ahead: the file as it is now.
        ReadAhead("a.jpg");
        cd.writePicture("a.jpg", 800, 640, "JPG", blue);
        QVERIFY(LoadsAs("a.jpg", blue));
        QCOMPARE(platform::LoadPictureForDisplay("a.jpg", Fixed({400, 300}))->natural,
                 QSize(800, 640));

        // Removed after it was read ahead: nothing.
        ReadAhead("a.jpg");
        QVERIFY(QFile::remove(cd.path("a.jpg")));
        QVERIFY(!platform::LoadPictureForDisplay("a.jpg", Fixed({400, 300})));

        // Missing when read ahead, there when shown.
        ReadAhead("a.jpg");
        cd.writePicture("a.jpg", 800, 600, "JPG", red);
        QVERIFY(LoadsAs("a.jpg", red));
    }

    void lookAheadForAnotherSizeOrFileIsNotUsed() {
        TempCd cd;
        cd.writePicture("a.jpg", 800, 600, "JPG");
        cd.writePicture("b.jpg", 800, 600, "JPG");
        ReadAhead("a.jpg");
        auto resized = platform::LoadPictureForDisplay("a.jpg", Fixed({200, 150}));
        QVERIFY(resized);
        QCOMPARE(resized->image.size(), QSize(200, 150));

        platform::LookAhead("a.jpg", Fixed({400, 300}));
        auto other = platform::LoadPictureForDisplay("b.jpg", Fixed({100, 75}));
        QVERIFY(other);
        QCOMPARE(other->image.size(), QSize(100, 75));
    }

    void manyRequestsInARowLeaveOnlyTheLast() {
        TempCd cd;
        for (int i = 0; i < 8; ++i)
            cd.writePicture(QStringLiteral("p%1.jpg").arg(i), 1200, 900, "JPG",
                            QColor(20 * i, 100, 100));
        for (int i = 0; i < 8; ++i)
            platform::LookAhead(QStringLiteral("p%1.jpg").arg(i), Fixed({300, 225}));
        QVERIFY(LoadsAs("p7.jpg", QColor(140, 100, 100), {300, 225}));
        QVERIFY(!platform::LoadPictureForDisplay("", Fixed({300, 225})));
        QVERIFY(!platform::LoadPictureForDisplay("nothing.jpg", Fixed({300, 225})));
    }
};

QTEST_MAIN(TestViewerLookAhead)
#include "tst_viewer_lookahead.moc"
