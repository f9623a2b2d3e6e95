// The viewer's Open With item: the path it builds from the program's start folder and the
// catalogue entry, handed to a recording chooser.

#include "support/testsupport.h"

#include "app/forms.h"
#include "app/globals.h"
#include "platform/files.h"
#include "platform/services.h"
#include "viewer/form2.h"

#include <QTest>

class TestOpenWith : public QObject {
    Q_OBJECT

    QStringList handed;

  private slots:
    void init() {
        ResetProgram();
        handed.clear();
        platform::services().openWith = [this](const QString &path) { handed.append(path); };
    }
    void cleanup() { ResetProgram(); }

    void path_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("path");
        QTest::newRow("subfolder") << "/media/cdrom"
                                   << "Animals\\cat.jpg"
                                   << "/media/cdrom/images/Animals/cat.jpg";
        QTest::newRow("root with separator") << "/"
                                             << "cat.jpg"
                                             << "/images/cat.jpg";
        QTest::newRow("blanks, quotes, non-ASCII")
            << "/media/My CD"
            << "Ferien \"Über\"\\Strand 1.jpg"
            << "/media/My CD/images/Ferien \"Über\"/Strand 1.jpg";
    }
    void path() {
        QFETCH(QString, start);
        QFETCH(QString, entry);
        QFETCH(QString, path);
        g.AppPath = start;
        g.ImageArray[7] = entry;
        g.CurrentIndex = 7;
        Instance<Form2>().mnuOptionsOpen_Click();
        QCOMPARE(handed, QStringList{path});
    }

    // On disk the names may differ in letter case, as on a CD mounted with upper-case names.
    void findsTheFileOnDisk() {
        TempCd cd;
        cd.writePicture(QStringLiteral("IMAGES/ANIMALS/CAT.JPG"), 10, 10, "JPG");
        g.AppPath = cd.path();
        g.ImageArray[1] = QStringLiteral("animals\\cat.jpg");
        g.CurrentIndex = 1;
        Instance<Form2>().mnuOptionsOpen_Click();
        QCOMPARE(handed, QStringList{cd.path(QStringLiteral("IMAGES/ANIMALS/CAT.JPG"))});
    }

    void startsFromTheStartFolderByDefault() {
        g.ImageArray[1] = QStringLiteral("cat.jpg");
        g.CurrentIndex = 1;
        Instance<Form2>().mnuOptionsOpen_Click();
        QCOMPARE(handed, QStringList{platform::StartFolder() + QStringLiteral("/images/cat.jpg")});
    }

    void indexOutsideTheCatalogueStartsNothing_data() {
        QTest::addColumn<int>("index");
        QTest::newRow("below") << -1;
        QTest::newRow("above") << 10001;
    }
    void indexOutsideTheCatalogueStartsNothing() {
        QFETCH(int, index);
        g.AppPath = QStringLiteral("/cd");
        g.CurrentIndex = index;
        Instance<Form2>().mnuOptionsOpen_Click();
        QVERIFY(handed.isEmpty());
    }
};

QTEST_MAIN(TestOpenWith)
#include "tst_openwith.moc"
