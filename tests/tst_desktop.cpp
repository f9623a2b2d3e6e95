// The Linux desktop services' argument building, checked without a desktop: the desktop's own
// wallpaper commands.

#include "platform/desktop/desktop.h"

#include <QTest>

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
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
