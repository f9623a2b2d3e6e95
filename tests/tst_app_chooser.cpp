// The program's own Open With chooser over the desktop's application registry, with desktop
// folders of its own, so the registry sees only the entries made here.

#include "platform/desktop/app_chooser.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTest>

namespace {

const TempCd *root;

} // namespace

class TestAppChooser : public QObject {
    Q_OBJECT

  private slots:
    void defaultFirstThenRecommendedThenFallback() {
        for (const QByteArray name : {"Paint", "Viewer", "almanac", "Gone", "Aardvark"})
            root->writeFile("DATA_HOME/applications/" + name.toLower() + ".desktop",
                            "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" +
                                (name == "Paint"
                                     ? "touch %f\nIcon=" + root->path("paint.png").toUtf8()
                                     : "/bin/true %f"));
        // As update-desktop-database writes it from the entries' MimeType keys. The picture's
        // type derives from application/xml, so applications for that are fallbacks.
        root->writeFile("DATA_HOME/applications/mimeinfo.cache",
                        "[MIME Cache]\nimage/svg+xml=paint.desktop;viewer.desktop;almanac.desktop;"
                        "gone.desktop;\napplication/xml=aardvark.desktop;\n");
        root->writeFile("CONFIG_HOME/mimeapps.list",
                        "[Default Applications]\nimage/svg+xml=paint.desktop;\n"
                        "[Removed Associations]\nimage/svg+xml=gone.desktop;\n");
        root->writePicture("paint.png", 16, 16, "PNG");

        const QString picture = root->path("shot.svg");
        platform::ShowApplicationChooser(picture);
        const auto windows = QApplication::topLevelWidgets();
        QCOMPARE(windows.size(), 1);
        auto *list = windows[0]->findChild<QListWidget *>();
        QStringList rows;
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->data(Qt::AccessibleTextRole).toString();
        QCOMPARE(rows, (QStringList{"Paint (default)", "almanac", "Viewer", "Aardvark"}));
        QVERIFY(!list->item(0)->icon().isNull());

        // Enter on the default starts it with the picture ("touch" makes the file).
        QCOMPARE(list->currentRow(), 0);
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_VERIFY(QFile::exists(picture));
    }
};

int main(int argc, char **argv) {
    const TempCd dir;
    root = &dir;
    // The registry reads these once, at its first use.
    for (const char *name : {"DATA_HOME", "CONFIG_HOME", "DATA_DIRS", "CONFIG_DIRS"})
        qputenv(QByteArray("XDG_") + name, QFile::encodeName(dir.path(name)));
    qunsetenv("XDG_CURRENT_DESKTOP");
    // The types' database only, for what derives from what.
    dir.mkdir("DATA_DIRS");
    QFile::link("/usr/share/mime", dir.path("DATA_DIRS/mime"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    TestAppChooser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app_chooser.moc"
