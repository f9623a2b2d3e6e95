// The Linux desktop services' argument building, checked without a desktop: the desktop's own
// wallpaper commands, and the program's own Open With chooser.

#include "platform/desktop/app_chooser.h"
#include "platform/desktop/desktop.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

void writeEntry(const QString &file, const QByteArray &body) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
        f.write("[Desktop Entry]\nType=Application\n" + body);
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

  private slots:
    void desktopKind_data() {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<int>("kind");
        QTest::newRow("gnome") << "GNOME" << int(platform::DesktopKind::Gnome);
        QTest::newRow("ubuntu") << "ubuntu:GNOME" << int(platform::DesktopKind::Gnome);
        QTest::newRow("kde") << "KDE" << int(platform::DesktopKind::Kde);
        QTest::newRow("xfce") << "XFCE" << int(platform::DesktopKind::Xfce);
        QTest::newRow("other") << "X-Cinnamon" << int(platform::DesktopKind::Other);
        QTest::newRow("unset") << "" << int(platform::DesktopKind::Other);
    }
    void desktopKind() {
        QFETCH(QString, variable);
        QFETCH(int, kind);
        QCOMPARE(int(platform::DesktopKindOf(variable)), kind);
    }

    void fileUriEncodesWhatAUriCannotHold() {
        QCOMPARE(platform::FileUri(QStringLiteral("/home/ann/.local/share/orvane/Orvane.bmp")),
                 QStringLiteral("file:///home/ann/.local/share/orvane/Orvane.bmp"));
        QCOMPARE(platform::FileUri(QStringLiteral("/tmp/a b/Ü \"q\"#.bmp")),
                 QStringLiteral("file:///tmp/a%20b/%C3%9C%20%22q%22%23.bmp"));
    }

    void plasmaScriptQuotesTheUri() {
        const QString script =
            platform::PlasmaWallpaperScript(QStringLiteral("file:///a\"b\\c\u00e9%1"));
        QVERIFY(script.startsWith(QStringLiteral("var uri = \"file:///a\\\"b\\\\c\\u00e9%1\";\n")));
        QVERIFY(script.contains(QStringLiteral("d.wallpaperPlugin = \"org.kde.image\";")));
        QVERIFY(script.contains(QStringLiteral("d.writeConfig(\"Image\", uri);")));
    }

    void xfceSetsEveryMonitorsPicture() {
        const QByteArray listing = "/backdrop/screen0/monitorVirtual-1/workspace0/color-style\n"
                                   "/backdrop/screen0/monitorVirtual-1/workspace0/last-image\n"
                                   "/backdrop/screen0/monitorHDMI-1/workspace1/last-image\n"
                                   "/desktop-icons/style\n";
        QCOMPARE(platform::XfconfImageProperties(listing),
                 (QStringList{"/backdrop/screen0/monitorVirtual-1/workspace0/last-image",
                              "/backdrop/screen0/monitorHDMI-1/workspace1/last-image"}));
    }

    void execArguments_data() {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("arguments");
        const QString file = QStringLiteral("/cd/images/Ferien \"Über\"/Strand 1.jpg");
        const QString uri =
            QStringLiteral("file:///cd/images/Ferien%20%22%C3%9Cber%22/Strand%201.jpg");
        QTest::newRow("url list") << "gimp %U" << QStringList{"gimp", uri};
        QTest::newRow("file, quoted program") << "\"/opt/My Viewer/run\" --open %f"
                                              << QStringList{"/opt/My Viewer/run", "--open", file};
        QTest::newRow("no field code") << "viewer" << QStringList{"viewer", file};
        QTest::newRow("icon, name, percent")
            << "viewer %i --title=%c %d %F 100%%"
            << QStringList{"viewer", "--icon", "viewer-icon", "--title=Viewer", file, "100%"};
        QTest::newRow("escapes in quotes")
            << "sh -c \"echo \\\"\\$1\\\"\" %f" << QStringList{"sh", "-c", "echo \"$1\"", file};
        QTest::newRow("unterminated quote") << "viewer \"%f" << QStringList{};
    }
    void execArguments() {
        QFETCH(QString, exec);
        QFETCH(QStringList, arguments);
        platform::DesktopApplication app;
        app.name = QStringLiteral("Viewer");
        app.icon = QStringLiteral("viewer-icon");
        app.exec = exec;
        const auto words =
            platform::ExecArguments(app, QStringLiteral("/cd/images/Ferien \"Über\"/Strand 1.jpg"));
        QCOMPARE(words.value_or(QStringList{}), arguments);
    }

    void applicationsForAPicture() {
        QTemporaryDir user, system;
        // "true" is on every system, so these count as installed.
        writeEntry(user.filePath("viewer.desktop"), "Name=Viewer\nExec=true %f\n"
                                                    "MimeType=image/png;image/jpeg;\n");
        writeEntry(user.filePath("kde/paint.desktop"),
                   "Name=Paint\nExec=true %U\nMimeType=image/*;\n");
        writeEntry(user.filePath("shadow.desktop"), "Name=Shadow\nHidden=true\nExec=true\n"
                                                    "MimeType=image/jpeg;\n");
        writeEntry(system.filePath("shadow.desktop"), "Name=Shadowed\nExec=true\n"
                                                      "MimeType=image/jpeg;\n");
        writeEntry(system.filePath("editor.desktop"), "Name=Editor\nExec=true\n"
                                                      "MimeType=text/plain;\n");
        writeEntry(system.filePath("helper.desktop"), "Name=Helper\nNoDisplay=true\nExec=true\n"
                                                      "MimeType=image/jpeg;\n");
        writeEntry(system.filePath("console.desktop"), "Name=Console\nTerminal=true\nExec=true\n"
                                                       "MimeType=image/jpeg;\n");
        writeEntry(system.filePath("gone.desktop"),
                   "Name=Gone\nExec=/nonexistent/gone %f\nMimeType=image/jpeg;\n");
        writeEntry(system.filePath("Almanac.desktop"), "Name=Almanac\nExec=true\n"
                                                       "MimeType=image/jpeg;\n");

        const auto apps = platform::ApplicationsFor({"image/jpeg"}, {user.path(), system.path()});
        QStringList names, ids;
        for (const auto &app : apps) {
            names.append(app.name);
            ids.append(app.id);
        }
        QCOMPARE(names, (QStringList{"Almanac", "Paint", "Viewer"}));
        QCOMPARE(ids, (QStringList{"Almanac.desktop", "kde-paint.desktop", "viewer.desktop"}));
    }

    void acceptedTypesOfAPicture() {
        QTemporaryDir dir;
        QImage(4, 4, QImage::Format_RGB32).save(dir.filePath("a.jpg"), "JPG");
        const QStringList types = platform::AcceptedMimeTypes(dir.filePath("a.jpg"));
        QCOMPARE(types.value(0), QStringLiteral("image/jpeg"));
        QVERIFY(!types.contains(QStringLiteral("application/octet-stream")));
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
