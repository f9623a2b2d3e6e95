// The whole program on a read-only CD made to break it, with a private home and XDG folders:
// start-up, every picture in the main window and in the viewer, searches, a save, the wallpaper,
// Open With and About. The program still answers within its memory bound and writes nothing but
// its caches, its wallpaper copies and the bitmap the user saved.

#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/form5.h"
#include "mainwindow/form1.h"
#include "platform/desktop/services.h"
#include "support/hostilecd.h"
#include "support/rootless.h"
#include "support/session.h"
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
    const QByteArray home = root + "/home";
    for (const QByteArray &dir :
         {home, home + "/.cache", home + "/.config", home + "/.local", home + "/.local/share",
          home + "/.local/state", home + "/Pictures", root + "/runtime", root + "/tmp"})
        ::mkdir(dir.constData(), 0700);
    qputenv("HOME", home);
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_STATE_HOME", home + "/.local/state");
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    qputenv("TMPDIR", root + "/tmp");
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
        RemoveTree(privateRoot);
    }

    void wholeSessionStaysAliveBoundedAndWritesOnlyItsOwn() {
        const QString discs = privateRoot + "/discs";
        QString error;
        QVERIFY2(hostile::WriteHostileCd(discs, true, &error), qPrintable(error));
        QCOMPARE(QProcess::execute("chmod", {"-R", "a-w", discs}), 0); // as a CD is
        const auto before = snapshot();
        // The real services, but for the ones that would reach a person or the real desktop.
        platform::RestoreRealServices();
        platform::services().msgBox = [](const QString &, int, const QString &) {
            return platform::vbOK;
        };
        QStringList wallpapers;
        platform::services().setWallpaper = [&wallpapers](const QString &path) {
            wallpapers << path;
            return true;
        };
        platform::services().openWith = [](const QString &) {};
        // Root's override of file permissions would make the read-only CD writable.
        const WithoutFileOverride rootless;
        QVERIFY(rootless.ok());
        ResetPeakMemory();

        const Session session = RunSession(discs + "/" + hostile::CdFolder);
        QVERIFY(!QTest::currentTestFailed());
        Form1 &form = Instance<Form1>();
        const double peak = PeakRssMb();
        qInfo("hostile CD: %d pictures, whole session %lld ms, peak memory %.1f MB",
              session.pictures, session.ms, peak);
        QVERIFY2(peak < PeakBoundMb, qPrintable(QString::number(peak)));

        // The user saves the picture on show under a name of their own, in their own folder...
        for (int row = 0; row < form.List1->ListCount(); ++row)
            if (form.List1->List(row) == "plain.jpg")
                form.List1->SetSelected(row);
        bool saved = false;
        QTimer::singleShot(0, [&] {
            Form5 &dialog = Instance<Form5>();
            dialog.Dir1->SetPath(privateRoot + "/home/Pictures");
            dialog.Text1->setText(QStringLiteral("my picture"));
            dialog.Command1_Click();
            saved = !IsLoaded<Form5>();
            if (IsLoaded<Form5>())
                dialog.Command2_Click();
        });
        form.Command2_Click();
        QVERIFY(saved);
        // ...makes it the wallpaper, from the main window and from the viewer, hands it to Open
        // With and opens the About box.
        form.Command5_Click();
        form.Form_KeyDown(Qt::Key_Return, 0);
        QVERIFY(IsLoaded<Form2>());
        Instance<Form2>().mnuOptionsWallpaper_Click();
        QCOMPARE(wallpapers.size(), 2);
        Instance<Form2>().mnuOptionsOpen_Click();
        Instance<Form2>().mnuOptionsExit_Click();
        form.Label1_Click();
        QVERIFY(Responsive());
        ResetProgram();

        const auto after = snapshot();
        QByteArrayList allowed = {"/home/Pictures/my picture.bmp"};
        for (const QString &w : wallpapers)
            allowed << QFile::encodeName(w).mid(QFile::encodeName(privateRoot).size());
        for (const QByteArray &path : allowed)
            QVERIFY2(after.contains(path), path.constData());
        // Any other file or link added or changed lies in the cache; nothing was removed.
        QByteArrayList unexpected;
        for (const auto &[path, node] : after.asKeyValueRange())
            if (before.value(path) != node && !node.startsWith("d ") &&
                !path.startsWith("/home/.cache/") && !allowed.contains(path))
                unexpected << path;
        for (const QByteArray &path : before.keys())
            if (!after.contains(path))
                unexpected << path;
        QVERIFY2(unexpected.isEmpty(), unexpected.join(", ").constData());
    }

    // The full CD: 10,001 more pictures than that, of which the catalogue holds its capacity.
    void fullCdFillsTheCatalogueAndNoMore() {
        const HostileCd full(false);
        QVERIFY2(full.ok, qPrintable(full.error));
        QDir::setCurrent(full.cd());
        Form1 &form = Instance<Form1>();
        QCOMPARE(g.ImageCount, CatalogueCapacity);
        QCOMPARE(form.List1->ListCount(), CatalogueCapacity);
        form.List1->SetSelected(CatalogueCapacity - 1);
        QCOMPARE(g.CurrentIndex, CatalogueCapacity);
    }
};

int main(int argc, char **argv) {
    usePrivateFolders();
    QApplication app(argc, argv);
    TestHostile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile.moc"
