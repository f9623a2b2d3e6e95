// The program's own Open With chooser over the desktop's application registry, run in a child
// process whose desktop folders are private, so the registry sees only the entries made here.

#include "platform/desktop/app_chooser.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

namespace {

QString root;

void write(const QString &file, const QByteArray &body) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(body) == body.size());
}

} // namespace

class TestAppChooser : public QObject {
    Q_OBJECT

  private slots:
    void defaultFirstThenRecommendedThenFallback() {
        for (const QByteArray name : {"Paint", "Viewer", "almanac", "Gone", "Aardvark"})
            write(root + "/DATA_HOME/applications/" + name.toLower() + ".desktop",
                  "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" +
                      (name == "Paint" ? "touch %f\nIcon=" + QFile::encodeName(root) + "/paint.png"
                                       : "/bin/true %f") +
                      "\n");
        // As update-desktop-database writes it from the entries' MimeType keys. The picture's
        // type derives from application/xml, so applications for that are fallbacks.
        write(root + "/DATA_HOME/applications/mimeinfo.cache",
              "[MIME Cache]\nimage/svg+xml=paint.desktop;viewer.desktop;almanac.desktop;"
              "gone.desktop;\napplication/xml=aardvark.desktop;\n");
        write(root + "/CONFIG_HOME/mimeapps.list",
              "[Default Applications]\nimage/svg+xml=paint.desktop;\n"
              "[Removed Associations]\nimage/svg+xml=gone.desktop;\n");
        QImage(16, 16, QImage::Format_RGB32).save(root + "/paint.png");

        const QString picture = root + "/shot.svg";
        platform::ShowApplicationChooser(picture);
        QListWidget *list = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (!list)
                list = w->findChild<QListWidget *>();
        QVERIFY(list);
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
    const pid_t child = fork();
    if (child == 0) {
        QTemporaryDir dir;
        root = dir.path();
        // The registry reads these once, at its first use.
        for (const char *name : {"DATA_HOME", "CONFIG_HOME", "DATA_DIRS", "CONFIG_DIRS"})
            qputenv(QByteArray("XDG_") + name, QFile::encodeName(root + "/" + name));
        qunsetenv("XDG_CURRENT_DESKTOP");
        // The types' database only, for what derives from what.
        QDir().mkpath(root + "/DATA_DIRS");
        QFile::link("/usr/share/mime", root + "/DATA_DIRS/mime");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QApplication app(argc, argv);
        TestAppChooser test;
        return QTest::qExec(&test, argc, argv);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)
               ? WEXITSTATUS(status)
               : 1;
}

#include "tst_app_chooser.moc"
