// The catalogue scan over real folder trees.

#include "app/globals.h"
#include "catalogue/scan.h"
#include "platform/files/files.h"
#include "platform/runtime/listbox.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <unistd.h>

namespace {

struct Scan {
    int count = 0;
    QStringList rows;
    QStringList entries;
};

Scan scanImages() {
    g = Globals{};
    g.ImagesFolder = QStringLiteral("images\\");
    platform::ListBox list;
    ScanParams params;
    params.Recurse = true;
    params.AddToList = true;
    params.Folder = g.ImagesFolder;
    params.Pattern = QStringLiteral("*.*");
    ScanFolder(params, list);
    Scan scan;
    scan.count = params.FileCount;
    for (int i = 0; i < list.ListCount(); ++i)
        scan.rows << list.List(i);
    for (int i = 1; i <= params.FileCount; ++i)
        scan.entries << g.ImageArray[static_cast<size_t>(i)];
    return scan;
}

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

// Depth-first pre-order: each folder's pictures form one block, after those of its ancestors.
void verifyPreOrder(const QStringList &entries) {
    QStringList seen;
    for (const QString &entry : entries) {
        const QString folder = entry.left(entry.lastIndexOf(QLatin1Char('\\')) + 1);
        if (!seen.isEmpty() && seen.last() == folder)
            continue;
        for (const QString &earlier : seen)
            QVERIFY2(!earlier.startsWith(folder), qPrintable(folder + " after " + earlier));
        seen << folder;
    }
}

} // namespace

class TestScan : public QObject {
    Q_OBJECT
  private slots:
    void init() { ResetProgram(); }

    void picturesAreTheLastThreeCharacters_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("picture");
        for (const char *name : {"cat.jpg", "CAT.JPG", "Dog.Gif", "a.bmp", "photojpg", "gif"})
            QTest::newRow(name) << QString(name) << true;
        for (const char *name : {"photo.jpeg", "photo.png", "pg"})
            QTest::newRow(name) << QString(name) << false;
    }
    void picturesAreTheLastThreeCharacters() {
        QFETCH(QString, name);
        QFETCH(bool, picture);
        QCOMPARE(IsPictureName(name), picture);
    }

    void walkIsDepthFirstPreOrderAndKeepsListInStep() {
        TempCd cd;
        QStringList expected;
        for (const char *f :
             {"images/top.jpg", "images/CAT.JPG", "images/Dog.Gif", "images/a/one.bmp",
              "images/a/b/two.jpg", "images/a/b/three.jpg", "images/c/four.gif",
              "images/old.jpg/inside.jpg", "images/.hidden.jpg"}) {
            cd.writeFile(f, "x");
            expected << QString(f).mid(7).replace('/', '\\');
        }
        for (const char *f : {"images/photo.jpeg", "images/photo.png", "images/readme.txt"})
            cd.writeFile(f, "x");
        const Scan scan = scanImages();
        QCOMPARE(scan.rows.size(), scan.count);
        for (int i = 0; i < scan.count; ++i) // row r shows the file name of entry r + 1
            QCOMPARE(scan.rows[i], scan.entries[i].section('\\', -1));
        verifyPreOrder(scan.entries);
        QCOMPARE(sorted(scan.entries), sorted(expected));
    }

    void missingOrEmptyFolderGivesEmptyCatalogue() {
        TempCd cd;
        QCOMPARE(scanImages().count, 0);
        cd.mkdir("images");
        QCOMPARE(scanImages().count, 0);
    }

    void linkLoopsAndDanglingLinksEndTheWalk() {
        TempCd cd;
        cd.writeFile("images/a/pic.jpg", "x");
        QVERIFY(::symlink("..", cd.path("images/a/up").toLocal8Bit().constData()) == 0);
        QVERIFY(::symlink(".", cd.path("images/a/self").toLocal8Bit().constData()) == 0);
        QVERIFY(::symlink("nowhere.jpg",
                          cd.path("images/dangling.jpg").toLocal8Bit().constData()) == 0);
        const Scan scan = scanImages();
        QVERIFY(scan.entries.contains("dangling.jpg")); // listed; it simply won't load
        QCOMPARE(scan.entries.count("a\\pic.jpg"), 1);
    }

    void deepNestingAndOddNames() {
        TempCd cd;
        cd.writeFile("images" + QString("/d").repeated(100) + "/deep.jpg", "x");
        cd.writeFile("images/with space 'quote\".jpg", "x");
        cd.writeFile(QString::fromUtf8("images/\u00e9t\u00e9 \u65e5.gif"), "x");
        cd.writeFile("images/new\nline.bmp", "x");
        cd.writeFile("images/back\\slash.jpg", "x");
        // A name that is not valid UTF-8 can't be named again by the program: not listed.
        const QByteArray invalid = QFile::encodeName(cd.path("images/")) + "bad\xff\xfe.jpg";
        FILE *f = ::fopen(invalid.constData(), "w");
        QVERIFY(f);
        ::fclose(f);
        const Scan scan = scanImages();
        QCOMPARE(sorted(scan.entries),
                 sorted({QString("d\\").repeated(100) + "deep.jpg", "with space 'quote\".jpg",
                         QString::fromUtf8("\u00e9t\u00e9 \u65e5.gif"), "new\nline.bmp"}));
        for (const QString &entry : scan.entries) // each can be named again
            QVERIFY2(!platform::Dir("images\\" + entry).isEmpty(), qPrintable(entry));
    }

    void unreadableFolderIsSkipped() {
        if (::geteuid() == 0)
            QSKIP("permissions don't bind root");
        TempCd cd;
        cd.writeFile("images/locked/p.jpg", "x");
        cd.writeFile("images/open.jpg", "x");
        QFile::setPermissions(cd.path("images/locked"), QFileDevice::Permissions());
        const Scan scan = scanImages();
        QFile::setPermissions(cd.path("images/locked"), QFileDevice::ReadOwner |
                                                            QFileDevice::WriteOwner |
                                                            QFileDevice::ExeOwner);
        QCOMPARE(scan.entries, QStringList{"open.jpg"});
    }

    void fixedNamesResolveIgnoringCase() {
        TempCd cd;
        cd.writeFile("IMAGES/Sub/CAT.JPG", "x");
        cd.writeFile("SPLASH.JPG", "x");
        QCOMPARE(platform::Dir("splash.jpg"), QString("splash.jpg"));
        QCOMPARE(platform::NativePath("images\\\\Sub\\CAT.JPG"), QString("IMAGES/Sub/CAT.JPG"));
        QCOMPARE(platform::Dir("missing.jpg"), QString());
        QCOMPARE(platform::Dir("IMAGES"), QString()); // a folder is not a file
        const Scan scan = scanImages();
        QCOMPARE(scan.entries, QStringList{"Sub\\CAT.JPG"});
        // An exact match wins over one that differs in case.
        cd.writeFile("splash.jpg", "yy");
        QCOMPARE(platform::FileLen("splash.jpg").value_or(-1), 2);
    }
};

QTEST_MAIN(TestScan)
#include "tst_scan.moc"
