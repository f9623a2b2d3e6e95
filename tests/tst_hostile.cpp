// The whole program on a read-only CD made to break it, with a private home and XDG folders:
// start-up, every picture in the main window and in the viewer, searches, a save, the wallpaper,
// Open With and About. The program still answers within its memory bound and writes nothing but
// its caches, its wallpaper copies and the bitmap the user saved.

#include "app/form6.h"
#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/form5.h"
#include "mainwindow/form1.h"
#include "platform/desktop/services.h"
#include "platform/files/names.h"
#include "platform/imaging/picture.h"
#include "support/hostilecd.h"
#include "support/rootless.h"
#include "support/testsupport.h"
#include "viewer/form2.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

namespace {

// Peak resident memory the session may reach: the windows, fonts and decoders take under 50 MB
// offscreen; no picture on the CD may add more than a few. AddressSanitizer's shadow memory and
// quarantine come on top.
constexpr double PeakBoundMb = UnderAddressSanitizer ? 800 : 150;

// The private folders, set up before the application object reads the environment.
QString privateRoot;

// Every entry under the private folders, links not followed, by raw name (names need not be
// text): its type, size and modification time.
QMap<QByteArray, QByteArray> snapshot() {
    QProcess find;
    find.start("find", {privateRoot, "-printf", "/%P\\t%y %s %T@\\0"});
    find.waitForFinished();
    QMap<QByteArray, QByteArray> out;
    for (const QByteArray &entry : find.readAllStandardOutput().split('\0')) {
        const qsizetype tab = entry.lastIndexOf('\t');
        out.insert(entry.left(tab), entry.mid(tab + 1));
    }
    return out;
}

void usePrivateFolders() {
    QByteArray root = QFile::encodeName(QDir::tempPath()) + "/orvane-hostile-XXXXXX";
    if (!::mkdtemp(root.data()))
        qFatal("cannot make a private folder");
    privateRoot = QFile::decodeName(root);
    for (const char *folder : {"/home", "/home/Pictures", "/runtime", "/tmp"})
        ::mkdir(root + folder, 0700);
    qputenv("HOME", root + "/home");
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    qputenv("TMPDIR", root + "/tmp");
    // The others then lie in the private home.
    for (const char *xdg : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        qunsetenv(xdg);
}

} // namespace

class TestHostile : public QObject {
    Q_OBJECT

  private slots:
    void init() { ResetProgram(); }
    void cleanupTestCase() {
        ResetProgram();
        QDir::setCurrent(QDir::rootPath());
        QProcess::execute("chmod", {"-R", "u+w", privateRoot});
        QProcess::execute("rm", {"-rf", privateRoot});
    }

    void wholeSessionStaysAliveBoundedAndWritesOnlyItsOwn() {
        const QString discs = privateRoot + "/discs";
        QString error;
        QVERIFY2(hostile::WriteHostileCd(discs, true, &error), qPrintable(error));
        QCOMPARE(QProcess::execute("chmod", {"-R", "a-w", discs}), 0); // as a CD is
        const auto before = snapshot();
        // The real services, but for the ones that would reach a person or the real desktop.
        auto &services = platform::services();
        const auto answer = services.msgBox;
        platform::RestoreRealServices();
        services.msgBox = answer;
        QStringList wallpapers;
        services.setWallpaper = [&wallpapers](const QString &path) {
            wallpapers << path;
            return true;
        };
        services.openWith = [](const QString &) {};
        const WithoutFileOverride rootless; // root's override would make the CD writable
        QVERIFY(rootless.ok());
        ResetPeakMemory();

        // Start-up (the broken splash hands over at once), then every picture in the main window
        // with the three ticks of its information line.
        QDir::setCurrent(discs + "/" + hostile::CdFolder);
        Instance<Form6>();
        QVERIFY(IsLoaded<Form1>());
        Form1 &form = Instance<Form1>();
        const int count = g.ImageCount;
        // Every name is one row, shown as text, and opens its own file (told by its width).
        QStringList names;
        for (int i = 1; i <= count; ++i) {
            const QString &entry = g.ImageArray[size_t(i)];
            const QString shown = platform::NameText(entry);
            QCOMPARE(form.List1->List(i - 1), shown.section('\\', -1));
            if (entry.startsWith("names\\"))
                names << shown.mid(6) + ' ' +
                             QString::number(platform::LoadPicture(g.ImagesFolder + entry)
                                                 .value_or(platform::Picture{})
                                                 .natural.width());
        }
        names.sort();
        QCOMPARE(names.join('|'), "back\u2216folder\\inner.gif 17|back\u2216slash.jpg 11|"
                                  "back\u2216\u2216double.gif 12|dir\u00e9\\inner.jpg 16|"
                                  "invalid-\u00ff\u00fe-utf8.jpg 13|latin1-caf\u00e9.bmp 14|"
                                  "latin1-caf\u00e9.bmp 15");
        for (int row = 0; row < count; ++row) {
            form.List1->SetSelected(row);
            ShowReads();
            for (int tick = 0; tick < 3; ++tick)
                form.Timer1_Timer();
        }
        // The viewer zooms every picture in and out and steps on; each step's display and
        // look-ahead run before the next.
        form.List1->SetSelected(0);
        form.Form_KeyDown(Qt::Key_Return, 0);
        QVERIFY(IsLoaded<Form2>());
        Form2 &viewer = Instance<Form2>();
        for (int i = 0; i < count; ++i) {
            viewer.mnuOptionsZoomIn_Click();
            viewer.mnuOptionsZoomOut_Click();
            viewer.mnuOptionsNext_Click();
            ShowReads();
        }
        QCOMPARE(g.CurrentIndex, 1); // every picture once, round to the first
        viewer.mnuOptionsExit_Click();
        // A search that narrows the list, one that finds nothing, then Reset.
        for (const char *text : {"good", "no-such-picture-anywhere"})
            SearchFor(text);
        QVERIFY(g.ImageCount > 0 && g.ImageCount < count);
        form.Command7_Click();
        QCOMPARE(g.ImageCount, count);
        QVERIFY2(PeakRssMb() < PeakBoundMb, qPrintable(QString::number(PeakRssMb())));

        // The user saves the picture on show under a name of their own, in their own folder,
        // makes it the wallpaper from the main window and from the viewer, hands it to Open With
        // and opens the About box.
        form.List1->SetSelected(RowOf(form, "plain.jpg"));
        ShowReads();
        QVERIFY(WhileModal<Form5>([&form] { form.Command2_Click(); },
                                  [](Form5 &dialog) {
                                      dialog.Dir1->SetPath(privateRoot + "/home/Pictures");
                                      dialog.Text1->setText("my picture");
                                      dialog.Command1_Click();
                                      ShowReads();
                                  }));
        ShowReads();
        form.Command5_Click();
        form.Form_KeyDown(Qt::Key_Return, 0);
        QVERIFY(IsLoaded<Form2>());
        Instance<Form2>().mnuOptionsWallpaper_Click();
        ShowReads();
        QCOMPARE(wallpapers.size(), 2);
        Instance<Form2>().mnuOptionsOpen_Click();
        ShowReads();
        Instance<Form2>().mnuOptionsExit_Click();
        form.Label1_Click();
        ResetProgram();

        // Nothing removed, nothing but folders added or changed outside the cache, but for the
        // saved bitmap and the wallpapers, which are there.
        const auto after = snapshot();
        QByteArrayList allowed = {"/home/Pictures/my picture.bmp"}, unexpected;
        for (const QString &w : wallpapers)
            allowed << QFile::encodeName(w).mid(QFile::encodeName(privateRoot).size());
        for (const QByteArray &path : before.keys() + after.keys() + allowed) {
            const QByteArray was = before.value(path), is = after.value(path);
            const bool ours = !is.startsWith("d ") && !path.startsWith("/home/.cache/");
            if ((is != was && (is.isEmpty() || ours)) != allowed.contains(path))
                unexpected << path;
        }
        QVERIFY2(unexpected.isEmpty(), unexpected.join(", ").constData());
    }

    // The full CD: 10,001 more pictures than that, of which the catalogue holds its capacity.
    void fullCdFillsTheCatalogueAndNoMore() {
        const HostileCd full(false);
        QVERIFY2(full.ok, qPrintable(full.error));
        QDir::setCurrent(full.cd());
        QCOMPARE(Instance<Form1>().List1->ListCount(), CatalogueCapacity);
    }
};

int main(int argc, char **argv) {
    usePrivateFolders();
    QApplication app(argc, argv);
    TestHostile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile.moc"
