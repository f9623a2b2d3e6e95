// Resource bounds: what a hostile file declares never turns into memory or time.

#include "mainwindow/settings_rules.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "support/hostilecd.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

namespace {

// Growth of the memory high-water mark that counts as "nothing was allocated".
constexpr double SmallGrowthMb = 40;

} // namespace

class TestBounds : public QObject {
    Q_OBJECT
    HostileCd hostileCd;

  private slots:
    void initTestCase() { QVERIFY2(hostileCd.ok(), qPrintable(hostileCd.error())); }

    // Runs first, while the high-water mark is still low, so growth would show.
    void declaredHugeSizesAreRefusedBeforeAllocating() {
        const QDir huge(hostileCd.cd() + "/images/huge");
        const QStringList refused = {
            "jpeg-60000.jpg",      "gif-screen-65535.gif",     "gif-frame-65535.gif",
            "bmp-60000.bmp",       "bmp-top-down-60000.bmp",   "bmp-widest.bmp",
            "bmp-tallest.bmp",     "bmp-tallest-top-down.bmp", "bmp-height-int-min.bmp",
            "bmp-32bit-65535.bmp", "bmp-zero-size.bmp",        "bmp-negative-width.bmp"};
        // Warm up the decoders so their own start-up is not counted.
        QVERIFY(platform::LoadPictureFile(hostileCd.cd() + "/images/good/plain.jpg"));
        QVERIFY(platform::LoadPictureFile(hostileCd.cd() + "/images/good/plain.gif"));
        const double before = PeakRssMb();
        QStringList loaded;
        for (const QString &name : refused)
            for (const QSize box : {QSize(), QSize(120, 90), QSize(1024, 768)})
                if (platform::LoadPictureFile(huge.filePath(name), box))
                    loaded << name;
        const double growth = PeakRssMb() - before;
        qInfo("peak memory growth over the declared-huge pictures: %.1f MB", growth);
        QVERIFY2(growth < SmallGrowthMb, qPrintable(QString::number(growth)));
        QVERIFY2(loaded.isEmpty(), qPrintable(loaded.join(", ")));
    }

    void validPicturesAmongTheHostileOnesShow_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("natural");
        QTest::newRow("top-down bitmap") << "good/top-down.bmp" << QSize(40, 30);
        QTest::newRow("bitmap") << "good/plain.bmp" << QSize(64, 48);
        QTest::newRow("gif") << "good/plain.gif" << QSize(64, 48);
        QTest::newRow("jpeg") << "good/plain.jpg" << QSize(64, 48);
        QTest::newRow("gif named jpg") << "good/gif-named.jpg" << QSize(20, 10);
        QTest::newRow("three-letter name") << "good/jpg" << QSize(10, 10);
        QTest::newRow("5000 frames") << "frames/frames-5000.gif" << QSize(8, 8);
        QTest::newRow("in a folder named jpg") << "odd/folder.jpg/inside.bmp" << QSize(10, 10);
    }
    void validPicturesAmongTheHostileOnesShow() {
        QFETCH(QString, file);
        QFETCH(QSize, natural);
        const auto picture = platform::LoadPictureFile(hostileCd.cd() + "/images/" + file);
        QVERIFY(picture);
        QCOMPARE(picture->natural, natural);
        QCOMPARE(picture->image.size(), natural);
        if (file.endsWith("top-down.bmp")) {
            // Stored top row first: the gradient's red grows to the right, green downwards.
            QCOMPARE(qGreen(picture->image.pixel(0, 0)), 0);
            QCOMPARE(qGreen(picture->image.pixel(0, 29)), 255);
        }
    }

    void notPicturesAreRefusedQuickly_data() {
        QTest::addColumn<QString>("file");
        for (const char *f :
             {"broken/empty.jpg", "broken/empty.gif", "broken/empty.bmp", "broken/text.jpg",
              "broken/png.jpg", "broken/truncated-header.jpg", "broken/truncated-header.gif",
              "broken/bmp-bits-7.bmp", "odd/folder.jpg", "odd/dangling.jpg", "odd/self.gif",
              "odd/zero.jpg", "odd/pipe.jpg"})
            QTest::newRow(f) << QString::fromLatin1(f);
    }
    void notPicturesAreRefusedQuickly() {
        QFETCH(QString, file);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!platform::LoadPictureFile(hostileCd.cd() + "/images/" + file));
        QVERIFY(!platform::LoadPicture("images\\" + QString(file).replace('/', '\\'), {120, 90}));
        QVERIFY(timer.elapsed() < 2000);
    }

    // Whatever a broken file gives, it gives it within bounds and without a crash.
    void brokenPicturesStayWithinTheirDeclaredSize() {
        QDir::setCurrent(hostileCd.cd());
        const QDir broken(hostileCd.cd() + "/images/broken");
        for (const QString &name : broken.entryList(QDir::Files)) {
            for (const QSize box : {QSize(), QSize(120, 90)}) {
                const auto picture = platform::LoadPictureFile(broken.filePath(name), box);
                if (picture)
                    QVERIFY2(qint64(picture->natural.width()) * picture->natural.height() <=
                                 platform::PictureBudgetPixels,
                             qPrintable(name));
            }
        }
    }

    void hugeSettingsFileIsReadQuicklyWithBoundedLines() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("orvane.ini");
        QVERIFY(hostile::WriteHugeSettings(ini));
        QCOMPARE(QFileInfo(ini).size(), hostile::HugeSettingsBytes);
        const double before = PeakRssMb();
        QElapsedTimer timer;
        timer.start();
        const auto lines = platform::ReadLines(ini, SettingsLines, SettingsLineLength);
        const qint64 ms = timer.elapsed();
        const double growth = PeakRssMb() - before;
        qInfo("100 MB settings file: %lld ms, peak memory growth %.1f MB", ms, growth);
        QVERIFY(lines);
        QCOMPARE(lines->size(), size_t(6));
        QCOMPARE((*lines)[0].size(), SettingsLineLength);
        QCOMPARE((*lines)[1], QByteArray("9"));
        QCOMPARE((*lines)[4], QByteArray("Huge settings file"));
        QVERIFY(growth < 8);
        QVERIFY(ms < (UnderAddressSanitizer ? 30000 : 5000));
        const auto settings = ReadTitleSettings(lines);
        QCOMPARE(settings.colour.value(), QColor(0, 0, 255));
        QCOMPARE(settings.title, QString("Huge settings file"));
    }

    // A pipe would block the reader forever and a device never ends: neither is a settings file.
    void settingsThatAreNoFileReadAsMissing_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("pipe") << "ini-pipe";
        QTest::newRow("link to /dev/zero") << "ini-dev-zero";
        QTest::newRow("folder") << "ini-folder";
    }
    void settingsThatAreNoFileReadAsMissing() {
        QFETCH(QString, folder);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!platform::ReadLines(hostileCd.folder(folder) + "/orvane.ini", SettingsLines,
                                     SettingsLineLength));
        QVERIFY(timer.elapsed() < 2000);
    }
};

QTEST_GUILESS_MAIN(TestBounds)
#include "tst_bounds.moc"
