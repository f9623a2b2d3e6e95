// The catalogue scan over real folder trees.

#include "app/globals.h"
#include "catalogue/scan.h"
#include "platform/files.h"
#include "platform/listbox.h"
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

Scan scanImages(const QString &folder = QStringLiteral("images\\")) {
    g = Globals{};
    g.ImagesFolder = QStringLiteral("images\\");
    platform::ListBox list;
    ScanParams params;
    params.Recurse = true;
    params.AddToList = true;
    params.Folder = folder;
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

// In a pre-order walk each folder's own pictures form one unbroken block.
void verifyFoldersAreContiguous(const QStringList &entries) {
    QStringList finished;
    QString current;
    for (const QString &entry : entries) {
        const QString folder = entry.left(entry.lastIndexOf(QLatin1Char('\\')) + 1);
        if (folder == current)
            continue;
        QVERIFY2(!finished.contains(folder), qPrintable("folder split: " + folder));
        finished << current;
        current = folder;
    }
}

} // namespace

class TestScan : public QObject {
    Q_OBJECT
  private slots:
    void init() { ResetProgram(); }

    void textHelpers() {
        QCOMPARE(AddBackslash("images"), QString("images\\"));
        QCOMPARE(AddBackslash("images\\"), QString("images\\"));
        QCOMPARE(AddBackslash(""), QString("\\"));
        QCOMPARE(TrimNull(QString("cat.jpg") + QChar(0) + "junk"), QString("cat.jpg"));
        QCOMPARE(TrimNull("cat.jpg"), QString("cat.jpg"));
        QCOMPARE(TrimNull(QString(QChar(0))), QString());
    }

    void picturesAreTheLastThreeCharacters_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("picture");
        QTest::newRow("jpg") << "cat.jpg" << true;
        QTest::newRow("upper") << "CAT.JPG" << true;
        QTest::newRow("mixed gif") << "Dog.Gif" << true;
        QTest::newRow("bmp") << "a.bmp" << true;
        QTest::newRow("no dot") << "photojpg" << true;
        QTest::newRow("jpeg") << "photo.jpeg" << false;
        QTest::newRow("png") << "photo.png" << false;
        QTest::newRow("txt") << "readme.txt" << false;
        QTest::newRow("short") << "pg" << false;
        QTest::newRow("exactly three") << "gif" << true;
    }
    void picturesAreTheLastThreeCharacters() {
        QFETCH(QString, name);
        QFETCH(bool, picture);
        QCOMPARE(IsPictureName(name), picture);
    }

    void walkIsDepthFirstPreOrderAndKeepsListInStep() {
        TempCd cd;
        for (const char *f :
             {"images/top.jpg", "images/CAT.JPG", "images/Dog.Gif", "images/a/one.bmp",
              "images/a/b/two.jpg", "images/a/b/three.jpg", "images/c/four.gif",
              "images/old.jpg/inside.jpg", "images/.hidden.jpg"})
            cd.writeFile(f, "x");
        for (const char *f : {"images/photo.jpeg", "images/photo.png", "images/readme.txt"})
            cd.writeFile(f, "x");
        const Scan scan = scanImages();
        QCOMPARE(scan.count, 9);
        QCOMPARE(scan.rows.size(), 9);
        QCOMPARE(scan.entries.size(), 9);
        for (int i = 0; i < scan.count; ++i) // row r shows the file name of entry r + 1
            QCOMPARE(scan.rows[i], scan.entries[i].mid(scan.entries[i].lastIndexOf('\\') + 1));
        QVERIFY(scan.entries.contains("CAT.JPG"));
        QVERIFY(scan.entries.contains("Dog.Gif"));
        QVERIFY(scan.entries.contains(".hidden.jpg"));
        QVERIFY(scan.entries.contains("old.jpg\\inside.jpg"));
        QVERIFY(scan.entries.contains("a\\b\\two.jpg"));
        // The pictures of a folder come before those of any subfolder.
        const int lastTop =
            std::max({scan.entries.indexOf("top.jpg"), scan.entries.indexOf("CAT.JPG"),
                      scan.entries.indexOf("Dog.Gif")});
        QVERIFY(lastTop < scan.entries.indexOf("a\\one.bmp"));
        QVERIFY(scan.entries.indexOf("a\\one.bmp") < scan.entries.indexOf("a\\b\\two.jpg"));
        verifyFoldersAreContiguous(scan.entries);
    }

    void missingOrEmptyFolderGivesEmptyCatalogue() {
        TempCd cd;
        QCOMPARE(scanImages().count, 0);
        cd.mkdir("images");
        QCOMPARE(scanImages().count, 0);
    }

    void stopsAtTheCatalogueCapacityInStep() {
        TempCd cd;
        cd.mkdir("images/sub");
        for (int i = 0; i < 10001; ++i)
            QFile(cd.path(QString("images/%1/p%2.jpg").arg(i % 2 ? "sub" : ".").arg(i)))
                .open(QIODevice::WriteOnly);
        const Scan scan = scanImages();
        QCOMPARE(scan.count, CatalogueCapacity);
        QCOMPARE(scan.rows.size(), CatalogueCapacity);
        QVERIFY(!scan.entries.last().isEmpty());
    }

    void linkLoopsAndDanglingLinksEndTheWalk() {
        TempCd cd;
        cd.writeFile("images/a/pic.jpg", "x");
        QVERIFY(::symlink("..", cd.path("images/a/up").toLocal8Bit().constData()) == 0);
        QVERIFY(::symlink(".", cd.path("images/a/self").toLocal8Bit().constData()) == 0);
        QVERIFY(::symlink("nowhere.jpg",
                          cd.path("images/dangling.jpg").toLocal8Bit().constData()) == 0);
        const Scan scan = scanImages();
        QVERIFY(scan.entries.contains("a\\pic.jpg"));
        QVERIFY(scan.entries.contains("dangling.jpg")); // listed; it simply won't load
        QCOMPARE(scan.entries.count("a\\pic.jpg"), 1);
    }

    void deepNestingAndOddNames() {
        TempCd cd;
        QString deep = "images";
        for (int i = 0; i < 100; ++i)
            deep += "/d";
        cd.writeFile(deep + "/deep.jpg", "x");
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
        QVERIFY(scan.entries.contains(QString("d\\").repeated(100) + "deep.jpg"));
        QVERIFY(scan.entries.contains("with space 'quote\".jpg"));
        QVERIFY(scan.entries.contains(QString::fromUtf8("\u00e9t\u00e9 \u65e5.gif")));
        QVERIFY(scan.entries.contains("new\nline.bmp"));
        QCOMPARE(scan.count, 4);
        for (const QString &entry : scan.entries)
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
