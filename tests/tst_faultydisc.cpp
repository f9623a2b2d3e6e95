// The windows over a failing CD: a drive of the tests' own (support/faultyfs.cpp) whose reads give
// EIO halfway through a file, ENOTCONN as when the disc is taken out, or hang. The windows answer
// at once throughout, nothing is written, and once reads succeed the next selection shows its
// picture. Unlike the real-window tests, these fail where FUSE is missing.

#include "app/globals.h"
#include "dialogs/form5.h"
#include "mainwindow/form1.h"
#include "platform/imaging/lookahead.h"
#include "platform/imaging/picture.h"
#include "platform/imaging/reads.h"
#include "support/testsupport.h"
#include "viewer/form2.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

namespace {

QColor Preview() {
    return Instance<Form1>().Image1->Picture().pixelColor(1, 1);
}

// Selects a row; with wait, until its picture is read.
void Select(const char *name, bool wait = true) {
    Instance<Form1>().List1->SetSelected(RowOf(Instance<Form1>(), name));
    if (wait)
        ShowReads();
}

// Whether an action left the window free, rather than waiting for the disc: a stalled read takes
// 30 s, and a busy machine under the sanitizers may take a good part of a second for the window.
bool Quickly(const std::function<void()> &action) {
    QElapsedTimer taken;
    taken.start();
    action();
    return taken.elapsed() < 1000;
}

} // namespace

class TestFaultyDisc : public QObject {
    Q_OBJECT
    TempCd cd;
    QProcess drive;

    void set(const char *mode) { cd.writeFile("control", mode); }
    qsizetype readsOf(const char *name) {
        QFile reads(cd.path("control.reads"));
        return reads.open(QIODevice::ReadOnly) ? reads.readAll().count(name) : -1;
    }

  private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists("/dev/fuse"), "/dev/fuse is missing: these tests need FUSE");
        for (const auto &[name, colour] : {std::pair{"a", Red}, {"b", Green}, {"c", Blue}})
            cd.writePicture(QStringLiteral("disc/images/%1.bmp").arg(name), 640, 480, "BMP",
                            colour);
        cd.writeFile("disc/orvane.ini", "x\n9\nx\nx\nFailing\nx\n" + QByteArray(1 << 20, 'x'));
        cd.mkdir("cd");
        qputenv("XDG_DATA_HOME", cd.path("data").toUtf8()); // where a wallpaper would go
        set("ok");
        drive.start(ORVANE_FAULTYFS, {cd.path("disc"), cd.path("cd"), cd.path("control")});
        QTRY_VERIFY2(QFile::exists(cd.path("cd/images/a.bmp")), "the drive did not mount");
        QDir::setCurrent(cd.path("cd"));
    }
    void cleanupTestCase() {
        QDir::setCurrent(cd.path());
        QProcess::execute("fusermount3", {"-u", "-z", cd.path("cd")});
        drive.waitForFinished();
    }
    void init() {
        ResetProgram();
        Select("a.bmp");
        QCOMPARE(Preview(), Red);
    }
    void cleanup() {
        set("ok");
        ResetProgram();
        QVERIFY(QDir(cd.path("data/orvane")).isEmpty());
    }

    // EIO halfway through b.bmp, then the disc taken out: the picture last shown stays under the
    // new title, the viewer starts black, Wallpaper writes nothing and says so. Then b.bmp read
    // slowly shows.
    void aScratchThenNoDisc() {
        Form1 &main = Instance<Form1>();
        QCOMPARE(readsOf("/orvane.ini"), 1); // its lines, not the megabyte after them
        for (const char *mode : {"eio b.bmp", "gone"}) {
            set(mode);
            QVERIFY(Quickly([] { Select("b.bmp", false); }));
            ShowReads();
            QVERIFY(Preview() == Red && main.Label2->text() == "B" &&
                    (g.ImageSizeText == "0 Bytes") == (*mode == 'g'));
            QVERIFY(Quickly([&] { main.Command5_Click(); }));
            ShowReads();
            QVERIFY(Quickly([&] { main.Command1_Click(); }));
            ShowReads();
            Form2 &viewer = Instance<Form2>();
            QVERIFY(viewer.Picture1.isNull() && viewer.Label1->text() == "  B  ");
            QVERIFY(Quickly([&] { QTest::keyClick(&viewer, Qt::Key_Right); }));
            ShowReads();
            QCOMPARE(viewer.Image1->Picture().isNull(), *mode == 'g'); // the next, unless gone
            QVERIFY(Quickly([&] { QTest::keyClick(&viewer, Qt::Key_Escape); }));
            set("slow b.bmp");
            Select("b.bmp");
            QCOMPARE(Preview(), Green);
            Select("a.bmp");
        }
        QCOMPARE(RecordedMessages().filter("Sorry"),
                 QStringList(2, "Sorry, the wallpaper could not be set"));
    }

    // A read of b.bmp hangs: the highlight moves at once, the preview and its title stay, the
    // viewer opens black and closes, the program may end, a later row is read meanwhile, and
    // Save waits for its picture.
    void aStalledDrive() {
        Form1 &main = Instance<Form1>();
        set("stall b.bmp");
        QVERIFY(Quickly([] { Select("b.bmp", false); }));
        QTest::qWait(200);
        QVERIFY(main.List1->ListIndex() == RowOf(main, "b.bmp") && Preview() == Red &&
                main.Label2->text() == "A");
        QVERIFY(Quickly([&] { main.Command1_Click(); }));
        QTest::qWait(100);
        QVERIFY(Instance<Form2>().Picture1.isNull() && !Instance<Form2>().Label1->isVisible());
        QVERIFY(Quickly([] { QTest::keyClick(&Instance<Form2>(), Qt::Key_Escape); }));
        QTimer::singleShot(0, &main, &QWidget::close);
        QVERIFY(Quickly([] { QCoreApplication::exec(); }) && platform::WorkersBusy());
        main.show();
        Select("c.bmp");
        QCOMPARE(Preview(), Blue);
        // The reads of b.bmp it superseded stop at the piece they were waiting for, and show
        // nothing.
        const qsizetype reads = readsOf("/b.bmp");
        set("ok");
        platform::WaitForWorkers();
        ShowReads();
        QVERIFY(readsOf("/b.bmp") == reads && Preview() == Blue && main.Label2->text() == "C");
        set("stall b.bmp");
        Select("b.bmp", false);
        QVERIFY(Quickly([&] { main.Command2_Click(); }));
        QString named; // by the save dialog once the picture is read
        QTimer dialog;
        connect(&dialog, &QTimer::timeout, [&named] {
            if (IsLoaded<Form5>() && !(named = Instance<Form5>().Text1->text()).isEmpty())
                Instance<Form5>().close();
        });
        dialog.start(10);
        set("ok");
        ShowReads();
        QVERIFY(named == "b" && Preview() == Green);
    }

    // The preview read ahead is taken over. Reads of one file at once share it: while the drive
    // hangs, one given up leaves at once; the first one given up does not leave the last without
    // its picture. A held key's rows are not read.
    void aSharedRead() {
        // After a dwell on a.bmp, b.bmp's preview was read ahead: selecting it reads no more.
        QTest::qWait(400);
        platform::WaitForLookAhead();
        qsizetype reads = readsOf("/b.bmp");
        Select("b.bmp");
        QVERIFY(Preview() == Green && readsOf("/b.bmp") == reads);
        set("stall b.bmp");
        std::optional<platform::Picture> got[3];
        std::atomic<int> ended = 0;
        platform::CancelToken tokens[3];
        for (int i = 0; i < 3; ++i) {
            tokens[i] = std::make_shared<std::atomic<bool>>(false);
            platform::RunOnWorker(
                [&got, &ended, i] {
                    got[i] = platform::LoadPictureFile(QDir::current().filePath("images/b.bmp"));
                    ++ended;
                },
                tokens[i]);
            QTest::qWait(100);
        }
        *tokens[1] = true;
        QTRY_VERIFY_WITH_TIMEOUT(ended == 1, 500);
        *tokens[0] = true;
        reads = readsOf("/b.bmp");
        set("ok");
        platform::WaitForWorkers();
        QVERIFY(!got[0] && !got[1] && got[2] && got[2]->image.pixelColor(1, 1) == Green);
        // Read once: its pieces of 128 KB after the first, and the read that finds its end.
        QVERIFY(readsOf("/b.bmp") - reads <= QFileInfo("images/b.bmp").size() / (128 << 10) + 2);
        // A row passed at a held key's pace never reaches the drive: c.bmp, between a.bmp and
        // b.bmp, each a moment after the one before. No events meanwhile, so a.bmp's read is still
        // to be handed over when c.bmp is selected.
        reads = readsOf("/c.bmp");
        Select("a.bmp", false);
        QThread::msleep(90);
        Select("c.bmp", false);
        QThread::msleep(20);
        Select("b.bmp");
        QVERIFY(Preview() == Green && readsOf("/c.bmp") == reads);
    }
};

QTEST_MAIN(TestFaultyDisc)
#include "tst_faultydisc.moc"
