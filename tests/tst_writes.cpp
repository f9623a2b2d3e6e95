// What the program writes: a whole session over a read-only hostile CD, with a private home and
// XDG folders, leaves everything as it was except the caches in that home and the bitmap the
// user saved.

#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/form5.h"
#include "mainwindow/form1.h"
#include "platform/desktop/services.h"
#include "support/hostilecd.h"
#include "support/session.h"
#include "support/testsupport.h"
#include "viewer/form2.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <dirent.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Node {
    mode_t type = 0;
    qint64 size = 0;
    qint64 mtime = 0; // nanoseconds
    bool operator==(const Node &) const = default;
};
using Snapshot = std::map<QByteArray, Node>;

// Every entry under a folder (links not followed), by raw name: names need not be text.
void snapshot(const QByteArray &folder, const QByteArray &relative, Snapshot &out) {
    DIR *d = ::opendir((folder + relative).constData());
    if (!d)
        return;
    while (dirent *e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = relative + '/' + name;
        struct stat st;
        if (::lstat((folder + path).constData(), &st) != 0)
            continue;
        out[path] = {st.st_mode & S_IFMT, S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size),
                     qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
        if (S_ISDIR(st.st_mode))
            snapshot(folder, path, out);
    }
    ::closedir(d);
}

Snapshot snapshot(const QString &folder) {
    Snapshot out;
    snapshot(QFile::encodeName(folder), {}, out);
    return out;
}

// Added, removed or changed entries.
QList<QByteArray> changes(const Snapshot &before, const Snapshot &after) {
    QList<QByteArray> out;
    for (const auto &[path, node] : after) {
        const auto it = before.find(path);
        if (it == before.end() || !(it->second == node))
            out << path;
    }
    for (const auto &[path, node] : before)
        if (!after.count(path))
            out << path;
    return out;
}

int rowOf(const Form1 &form, const QString &name) {
    for (int i = 0; i < form.List1->ListCount(); ++i)
        if (form.List1->List(i) == name)
            return i;
    return -1;
}

// Makes a tree read-only (or writable again), as a CD is.
void setWritable(const QString &folder, bool writable) {
    Snapshot tree = snapshot(folder);
    const QByteArray root = QFile::encodeName(folder);
    ::chmod(root.constData(), writable ? 0755 : 0555);
    for (const auto &[path, node] : tree) {
        if (node.type == S_IFDIR)
            ::chmod((root + path).constData(), writable ? 0755 : 0555);
        else if (node.type == S_IFREG)
            ::chmod((root + path).constData(), writable ? 0644 : 0444);
    }
}

// The private folders, set up before the application object reads the environment.
QString privateRoot;

void usePrivateFolders() {
    QByteArray root = QFile::encodeName(QDir::tempPath()) + "/orvane-writes-XXXXXX";
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

class TestWrites : public QObject {
    Q_OBJECT

  private slots:
    void cleanupTestCase() {
        ResetProgram();
        QDir::setCurrent(QDir::rootPath());
        setWritable(privateRoot, true);
        RemoveTree(privateRoot);
    }

    void sessionWritesOnlyCachesAndTheSavedBitmap() {
        const QString discs = privateRoot + "/discs";
        QString error;
        QVERIFY2(hostile::WriteHostileCd(discs, true, &error), qPrintable(error));
        setWritable(discs, false);
        const Snapshot before = snapshot(privateRoot);

        ResetProgram();
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

        RunSession(discs + "/" + hostile::CdFolder);
        QVERIFY(!QTest::currentTestFailed());
        Form1 &form = Instance<Form1>();
        const int row = rowOf(form, QStringLiteral("plain.jpg"));
        QVERIFY(row >= 0);
        form.List1->SetSelected(row);

        // The user saves the picture on show under a name of their own, in their own folder...
        const QString pictures = privateRoot + "/home/Pictures";
        bool saved = false;
        QTimer::singleShot(0, [&] {
            if (!IsLoaded<Form5>())
                return;
            Form5 &dialog = Instance<Form5>();
            dialog.Dir1->SetPath(pictures);
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
        QCOMPARE(wallpapers.size(), 1);
        form.Form_KeyDown(Qt::Key_Return, 0);
        QVERIFY(IsLoaded<Form2>());
        Instance<Form2>().mnuOptionsWallpaper_Click();
        QCOMPARE(wallpapers.size(), 2);
        Instance<Form2>().mnuOptionsOpen_Click();
        Instance<Form2>().mnuOptionsExit_Click();
        form.Label1_Click();
        QVERIFY(Responsive());
        ResetProgram();

        const Snapshot after = snapshot(privateRoot);
        const QByteArray cache = "/home/.cache";
        QByteArrayList allowed = {"/home/Pictures/my picture.bmp"};
        for (const QString &w : wallpapers)
            allowed << QFile::encodeName(w).mid(QFile::encodeName(privateRoot).size());
        QByteArrayList unexpected;
        for (const QByteArray &path : changes(before, after)) {
            qInfo("written: %s", path.constData());
            if (path.startsWith(cache + '/') || allowed.contains(path))
                continue;
            // A folder changes when an allowed file appears in it.
            const bool holdsAllowed =
                std::any_of(allowed.begin(), allowed.end(),
                            [&path](const QByteArray &a) { return a.startsWith(path + '/'); });
            if (holdsAllowed || path == cache || (path == "/home" && !before.count(cache)))
                continue;
            unexpected << path;
        }
        QVERIFY2(unexpected.isEmpty(), unexpected.join(", ").constData());
        for (const QByteArray &path : allowed)
            QVERIFY2(after.count(path), path.constData());
    }
};

int main(int argc, char **argv) {
    usePrivateFolders();
    QApplication app(argc, argv);
    TestWrites test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_writes.moc"
