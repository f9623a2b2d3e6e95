// The whole program on a CD made to break it: start-up, every picture in the main window and in
// the viewer, a search and Reset; afterwards the program still answers, within its memory bound.

#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "support/hostilecd.h"
#include "support/session.h"
#include "support/testsupport.h"
#include "viewer/form2.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

// Peak resident memory the session may reach: the windows, fonts and decoders take under 50 MB
// offscreen; no picture on the CD may add more than a few. AddressSanitizer's shadow memory and
// quarantine come on top.
constexpr double PeakBoundMb = 150;
constexpr double PeakBoundUnderSanitizerMb = 800;

QColor titleColour() {
    return Instance<Form1>().Label1->palette().color(QPalette::WindowText);
}

QStringList rows(const Form1 &form) {
    QStringList out;
    for (int i = 0; i < form.List1->ListCount(); ++i)
        out << form.List1->List(i);
    return out;
}

int rowOf(const Form1 &form, const QString &name) {
    return int(rows(form).indexOf(name));
}

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
    HostileCd hostileCd;

  private slots:
    void initTestCase() { QVERIFY2(hostileCd.ok(), qPrintable(hostileCd.error())); }
    void init() { ResetProgram(); }
    void cleanup() { ResetProgram(); }

    void wholeSessionStaysAliveAndBounded() {
        const Session session = RunSession(hostileCd.cd());
        if (QTest::currentTestFailed())
            return;
        Form1 &form = Instance<Form1>();
        QVERIFY(form.isVisible());
        QVERIFY(Responsive());

        // What the scan lists: no name that a program path could not name again, each link
        // loop walked at most once more, the deepest folder reached.
        const QStringList listed = rows(form);
        for (const char *name : {"top-down.bmp", "gif-named.jpg", "line\nbreak.gif",
                                 "\"double\" and 'single' quotes.bmp", "jpg", "bottom.bmp",
                                 "frames-5000.gif", "pipe.jpg", "dangling.jpg", "inside.bmp"})
            QVERIFY2(listed.contains(name), qPrintable(name));
        for (const QString &name : listed) {
            QVERIFY2(!name.contains('\\'), qPrintable(name));
            QVERIFY2(!name.contains(QChar::ReplacementCharacter), qPrintable(name));
        }
        QVERIFY(!listed.contains("folder.jpg"));
        QVERIFY(listed.count("in-a.bmp") <= 3);
        QVERIFY(session.pictures < 120);

        // The title colour came from the CD's settings file: 12 is bright red.
        QCOMPARE(titleColour(), QColor(255, 0, 0));
        QCOMPARE(form.Label1->text(), QString("Hostile CD"));

        const double peak = PeakRssMb();
        qInfo("hostile CD: %d pictures, whole session %lld ms, peak memory %.1f MB",
              session.pictures, session.ms, peak);
        QVERIFY2(peak < (UnderAddressSanitizer ? PeakBoundUnderSanitizerMb : PeakBoundMb),
                 qPrintable(QString::number(peak)));
    }

    // The full CD: 10,001 more pictures than that, and a settings file of 100 MB beside it.
    void fullCdFillsTheCatalogueAndNoMore() {
        const HostileCd full(false);
        QVERIFY2(full.ok(), qPrintable(full.error()));
        const Session session = RunSession(full.cd());
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(session.pictures, CatalogueCapacity);
        QCOMPARE(Instance<Form1>().List1->ListCount(), CatalogueCapacity);
        QVERIFY(Responsive());
        qInfo("full hostile CD: %d pictures, whole session %lld ms, peak memory %.1f MB",
              session.pictures, session.ms, PeakRssMb());

        ResetProgram();
        QDir::setCurrent(full.folder(hostile::HugeSettingsFolder));
        QElapsedTimer timer;
        timer.start();
        Instance<Form1>();
        qInfo("start-up with the 100 MB settings file: %lld ms", timer.elapsed());
        QCOMPARE(titleColour(), QColor(0, 0, 255));
        QCOMPARE(Instance<Form1>().Label1->text(), QString("Huge settings file"));
    }

    // A bitmap stored top-down is a valid picture and shows, the right way up.
    void topDownBitmapShowsInThePreview() {
        QDir::setCurrent(hostileCd.cd());
        Form1 &form = Instance<Form1>();
        const int row = rowOf(form, "top-down.bmp");
        QVERIFY(row >= 0);
        form.List1->SetSelected(row);
        QVERIFY(!form.Picture5.isNull());
        QCOMPARE(form.Picture5.natural, QSize(40, 30));
        QCOMPARE(qGreen(form.Picture5.image.pixel(0, 0)), 0);
        QCOMPARE(form.Label2->text(), QString("Top-down"));
        // And in the viewer.
        form.Form_KeyDown(Qt::Key_Return, 0);
        QVERIFY(IsLoaded<Form2>());
        QCOMPARE(Instance<Form2>().Picture1.natural, QSize(40, 30));
        QVERIFY(!Instance<Form2>().Picture1.isNull());
    }

    // A picture that cannot be loaded leaves the one before it in the preview.
    void brokenPicturesKeepThePreviousPicture_data() {
        QTest::addColumn<QString>("name");
        for (const char *name : {"jpeg-60000.jpg", "bmp-60000.bmp", "gif-screen-65535.gif",
                                 "bmp-height-int-min.bmp", "empty.jpg", "text.jpg", "png.jpg",
                                 "pipe.jpg", "dangling.jpg", "zero.jpg", "self.gif"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void brokenPicturesKeepThePreviousPicture() {
        QFETCH(QString, name);
        QDir::setCurrent(hostileCd.cd());
        Form1 &form = Instance<Form1>();
        form.List1->SetSelected(rowOf(form, "plain.gif"));
        QCOMPARE(form.Picture5.natural, QSize(64, 48));
        const int row = rowOf(form, name);
        QVERIFY(row >= 0);
        form.List1->SetSelected(row);
        QCOMPARE(g.CurrentIndex, row + 1);
        QCOMPARE(form.Picture5.natural, QSize(64, 48));
        QVERIFY(RecordedMessages().isEmpty());
    }

    void settingsFilesColourTheTitle_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("title");
        const QColor unchanged(192, 0, 0); // the title's design colour
        QTest::newRow("1e10 too large") << "ini-1e10" << unchanged << "Number 1e10";
        QTest::newRow("-0.5 rounds to 0") << "ini-minus-half" << QColor(0, 0, 0) << "Number -0.5";
        QTest::newRow("blanks around 9")
            << "ini-nine-blanks" << QColor(0, 0, 255) << "Number   9  ";
        QTest::newRow("12.5 rounds to 12") << "ini-12.5" << QColor(255, 0, 0) << "Number 12.5";
        QTest::newRow("40000 overflows") << "ini-40000" << unchanged << "Number 40000";
        // Not a file one can read lines from: as if there were no settings file.
        QTest::newRow("pipe") << "ini-pipe" << QColor(0, 0, 0) << "";
        QTest::newRow("link to /dev/zero") << "ini-dev-zero" << QColor(0, 0, 0) << "";
        QTest::newRow("folder") << "ini-folder" << QColor(0, 0, 0) << "";
    }
    void settingsFilesColourTheTitle() {
        QFETCH(QString, folder);
        QFETCH(QColor, colour);
        QFETCH(QString, title);
        QDir::setCurrent(hostileCd.folder(folder));
        Instance<Form1>();
        QCOMPARE(titleColour(), colour);
        QCOMPARE(Instance<Form1>().Label1->text(), title);
        QCOMPARE(g.ImageCount, 0);
    }

    void binarySettingsFileGivesABoundedTitle() {
        QDir::setCurrent(hostileCd.folder("ini-binary"));
        Form1 &form = Instance<Form1>();
        QVERIFY(form.Label1->text().size() <= 4096);
        QVERIFY(Responsive());
    }
};

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
