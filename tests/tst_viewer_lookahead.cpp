// Pictures read for the screen: decoded no larger than drawn, and read ahead on the worker
// without ever showing a file as it was rather than as it is.

#include "platform/lookahead.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTest>

namespace {

platform::DisplaySizeFor Fixed(QSize size) {
    return [size](QSize natural) { return size.boundedTo(natural); };
}

QColor Centre(const platform::Picture &p) {
    return p.image.pixelColor(p.image.width() / 2, p.image.height() / 2);
}

bool Near(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) < 12 && qAbs(a.green() - b.green()) < 12 &&
           qAbs(a.blue() - b.blue()) < 12;
}

} // namespace

class TestViewerLookAhead : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() {
        platform::DropLookAhead();
        platform::WaitForLookAhead();
    }

    void decodedAtTheDisplaySize_data() {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("display");
        QTest::addColumn<QSize>("decoded");
        QTest::newRow("large jpeg")
            << QSize(3000, 2000) << "JPG" << QSize(1020, 680) << QSize(1020, 680);
        QTest::newRow("jpeg at a fast scale exactly")
            << QSize(2048, 768) << "JPG" << QSize(1024, 384) << QSize(1024, 384);
        QTest::newRow("large bitmap")
            << QSize(2000, 1000) << "BMP" << QSize(1000, 500) << QSize(1000, 500);
        QTest::newRow("smaller kept whole")
            << QSize(300, 200) << "JPG" << QSize(600, 400) << QSize(300, 200);
    }
    void decodedAtTheDisplaySize() {
        QFETCH(QSize, natural);
        QFETCH(QString, format);
        QFETCH(QSize, display);
        QFETCH(QSize, decoded);
        TempCd cd;
        cd.writePicture("pic", natural.width(), natural.height(), qPrintable(format));
        const auto picture =
            platform::LoadPictureForDisplay("pic", [display](QSize) { return display; });
        QVERIFY(picture);
        QCOMPARE(picture->natural, natural);
        QCOMPARE(picture->image.size(), decoded);
        QVERIFY(!picture->source.isEmpty());
    }

    void lookAheadIsTakenOverOnlyForTheSameFileAsItIsNow() {
        TempCd cd;
        const QColor red(200, 30, 30), blue(30, 30, 200);
        cd.writePicture("a.jpg", 800, 600, "JPG", red);
        platform::LookAhead("a.jpg", Fixed({400, 300}));
        platform::WaitForLookAhead();
        auto taken = platform::LoadPictureForDisplay("a.jpg", Fixed({400, 300}));
        QVERIFY(taken && Near(Centre(*taken), red));

        // Written again after it was read ahead: the file as it is now.
        platform::LookAhead("a.jpg", Fixed({400, 300}));
        platform::WaitForLookAhead();
        cd.writePicture("a.jpg", 800, 640, "JPG", blue);
        auto rewritten = platform::LoadPictureForDisplay("a.jpg", Fixed({400, 300}));
        QVERIFY(rewritten && Near(Centre(*rewritten), blue));
        QCOMPARE(rewritten->natural, QSize(800, 640));

        // Removed after it was read ahead: nothing.
        platform::LookAhead("a.jpg", Fixed({400, 300}));
        platform::WaitForLookAhead();
        QVERIFY(QFile::remove(cd.path("a.jpg")));
        QVERIFY(!platform::LoadPictureForDisplay("a.jpg", Fixed({400, 300})));

        // Missing when read ahead, there when shown.
        platform::LookAhead("a.jpg", Fixed({400, 300}));
        platform::WaitForLookAhead();
        cd.writePicture("a.jpg", 800, 600, "JPG", red);
        QVERIFY(platform::LoadPictureForDisplay("a.jpg", Fixed({400, 300})));
    }

    void lookAheadForAnotherSizeOrFileIsNotUsed() {
        TempCd cd;
        cd.writePicture("a.jpg", 800, 600, "JPG");
        cd.writePicture("b.jpg", 800, 600, "JPG");
        platform::LookAhead("a.jpg", Fixed({400, 300}));
        platform::WaitForLookAhead();
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
        auto last = platform::LoadPictureForDisplay("p7.jpg", Fixed({300, 225}));
        QVERIFY(last && Near(Centre(*last), QColor(140, 100, 100)));
        QVERIFY(!platform::LoadPictureForDisplay("", Fixed({300, 225})));
        QVERIFY(!platform::LoadPictureForDisplay("nothing.jpg", Fixed({300, 225})));
    }
};

QTEST_MAIN(TestViewerLookAhead)
#include "tst_viewer_lookahead.moc"
