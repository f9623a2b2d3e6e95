// What the program writes and walks on disk: a save that only ever replaces its own file whole,
// the wallpaper name written next, and folder links that reach a folder more than once.

#include "support/rootless.h"
#include "support/testsupport.h"

#include "app/globals.h"
#include "catalogue/scan.h"
#include "dialogs/save_rules.h"
#include "platform/desktop/desktop.h"
#include "platform/imaging/picture.h"
#include "platform/runtime/listbox.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTest>

#include <unistd.h>

class TestFilesOnDisk : public QObject {
    Q_OBJECT
  private slots:
    void init() { ResetProgram(); }

    // Saving "Beach" writes Beach.bmp by a new file renamed into place, or nothing.
    void saveWritesItsOwnFileWhole_data() {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("another letter case")
            << "BEACH.BMP" << true << QStringList{"BEACH.BMP", "Beach.bmp"};
        QTest::newRow("folder refuses new files")
            << "Beach.bmp" << false << QStringList{"Beach.bmp"};
    }
    void saveWritesItsOwnFileWhole() {
        QFETCH(QString, existing);
        QFETCH(bool, folderWritable);
        QFETCH(QStringList, files);
        TempCd cd;
        cd.writePicture("photo.jpg", 8, 6, "JPG");
        cd.writeFile("out/" + existing, "old picture");
        const QString out = cd.path("out");
        if (!folderWritable)
            QFile::setPermissions(out, QFile::ReadOwner | QFile::ExeOwner);
        bool saved = false;
        {
            WithoutFileOverride user;
            QVERIFY(user.ok());
            saved =
                platform::SavePictureAsBitmap(cd.path("photo.jpg"), SaveTargetPath(out, "Beach"));
        }
        QFile::setPermissions(out, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(saved, folderWritable);
        QFile old(out + "/" + existing);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old picture"));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
    }

    // A set the desktop refused leaves both names; the newer one never showed, so it goes next.
    void wallpaperNameNotOnShow() {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        const auto write = [](const QString &path, int secondsAgo) {
            QFile file(path);
            return file.open(QIODevice::ReadWrite) &&
                   file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                                    QFileDevice::FileModificationTime);
        };
        const QString first = platform::WallpaperFile().value_or("");
        QVERIFY(write(first, 0));
        const QString second = platform::WallpaperFile().value_or("");
        QVERIFY(second != first && write(second, 0));
        for (const auto &[older, newer] : {std::pair{first, second}, std::pair{second, first}}) {
            QVERIFY(write(older, 60) && write(newer, 0));
            QCOMPARE(platform::WallpaperFile().value_or(""), newer);
        }
    }

    // Folders d0 … d24, each holding two links to the next, make 2^24 paths: each folder is
    // walked once, by the first path that reaches it.
    void linkWebIsWalkedOncePerFolder_data() {
        QTest::addColumn<QString>("picture");
        QTest::newRow("pictures beside the web") << "images/beside.jpg";
        QTest::newRow("a picture inside it") << "web/d24/inside.jpg";
    }
    void linkWebIsWalkedOncePerFolder() {
        QFETCH(QString, picture);
        TempCd cd;
        const auto link = [&cd](const QString &target, const QString &name) {
            return ::symlink(qPrintable(target), qPrintable(cd.path(name))) == 0;
        };
        cd.mkdir("images");
        for (int level = 0; level <= 24; ++level)
            cd.mkdir(QStringLiteral("web/d%1").arg(level));
        for (int level = 1; level <= 24; ++level)
            for (const char *name : {"/a", "/b"})
                QVERIFY(link(QStringLiteral("../d%1").arg(level),
                             QStringLiteral("web/d%1").arg(level - 1) + name));
        QVERIFY(link("../web/d0", "images/web"));
        cd.writeFile(picture, "x");
        g.ImagesFolder = QStringLiteral("images\\");
        ScanParams params;
        params.Recurse = params.AddToList = true;
        params.Folder = g.ImagesFolder;
        params.Pattern = QStringLiteral("*.*");
        platform::ListBox list;
        ScanFolder(params, list);
        QCOMPARE(params.FileCount, 1);
        QCOMPARE(params.Walked.size(), size_t(1 + 25)); // images and the web's folders
    }
};

QTEST_MAIN(TestFilesOnDisk)
#include "tst_files_on_disk.moc"
