// What the user's mouse and keys do where Qt's defaults would do more, and how texts from the CD
// are read and shown.

#include "support/testsupport.h"

#include "app/forms.h"
#include "dialogs/form5.h"
#include "mainwindow/form1.h"
#include "mainwindow/settings_rules.h"
#include "platform/runtime/listbox.h"
#include "viewer/fit_rules.h"
#include "viewer/form2.h"

#include <QLabel>
#include <QTest>

class TestInputAndText : public QObject {
    Q_OBJECT
  private slots:
    void init() { ResetProgram(); }
    void cleanup() { ResetProgram(); }

    // Only the left button selects, and the selected row stays selected.
    void listSelection_data() {
        QTest::addColumn<int>("button"); // none: Ctrl+Space
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("clicks");
        QTest::newRow("left") << int(Qt::LeftButton) << 2 << 2 << 1;
        QTest::newRow("right") << int(Qt::RightButton) << 2 << 1 << 0;
        QTest::newRow("middle") << int(Qt::MiddleButton) << 2 << 1 << 0;
        QTest::newRow("ctrl+left on the selected row") << -int(Qt::LeftButton) << 1 << 1 << 1;
        QTest::newRow("ctrl+space") << int(Qt::NoButton) << 1 << 1 << 0;
    }
    void listSelection() {
        QFETCH(int, button);
        QFETCH(int, row);
        QFETCH(int, selected);
        QFETCH(int, clicks);
        platform::ListBox list;
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
            list.AddItem(QString::fromLatin1(name));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.SetSelected(1);
        int clicked = 0;
        connect(&list, &platform::ListBox::Click, [&clicked] { ++clicked; });
        const QPoint at = list.visualRect(list.model()->index(row, 0)).center();
        if (button == Qt::NoButton)
            QTest::keyClick(&list, Qt::Key_Space, Qt::ControlModifier);
        else
            QTest::mouseClick(list.viewport(), Qt::MouseButton(std::abs(button)),
                              button < 0 ? Qt::ControlModifier : Qt::NoModifier, at);
        QCOMPARE(list.ListIndex(), selected);
        QCOMPARE(clicked, clicks);
    }

    // X11 still reports the text "=" with Ctrl or Alt held: the modifiers decide.
    void viewerKeyCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("ascii");
        QTest::newRow("=") << "=" << int(Qt::NoModifier) << int('=');
        QTest::newRow("keypad -") << "-" << int(Qt::KeypadModifier) << int('-');
        QTest::newRow("shift+= on a layout that needs it")
            << "=" << int(Qt::ShiftModifier) << int('=');
        QTest::newRow("altgr+=") << "=" << int(Qt::GroupSwitchModifier) << int('=');
        QTest::newRow("ctrl+=") << "=" << int(Qt::ControlModifier) << 0;
        QTest::newRow("alt+-") << "-" << int(Qt::AltModifier) << 0;
    }
    void viewerKeyCharacters() {
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(int, ascii);
        QCOMPARE(KeyAscii(text, Qt::KeyboardModifiers(modifiers)), ascii);
    }

    // Line 5 is UTF-8 when it is valid UTF-8, else Windows-1252 (not Latin-1: 0x80 to 0x9f).
    void titleEncoding_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("title");
        QTest::newRow("utf-8") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac") << QString("Café €");
        QTest::newRow("windows-1252") << QByteArray("Caf\xe9") << QString("Café");
        QTest::newRow("windows-1252 beyond latin-1")
            << QByteArray("\x80 \x93sale\x94 \x96 now") << QString("€ “sale” – now");
    }
    void titleEncoding() {
        QFETCH(QByteArray, line);
        QFETCH(QString, title);
        QCOMPARE(ReadTitleSettings(std::vector<QByteArray>{"", "12", "", "", line, ""}).title,
                 title);
    }

    // Titles and names come from the CD: no label takes them for markup.
    void labelsShowPlainText() {
        TempCd cd;
        const QList<QWidget *> windows{&Instance<Form1>(), &Instance<Form2>(), &Instance<Form5>()};
        for (const QWidget *window : windows)
            for (const QLabel *label : window->findChildren<QLabel *>())
                QVERIFY2(label->textFormat() == Qt::PlainText,
                         qPrintable(window->metaObject()->className() + (": " + label->text())));
    }
};

QTEST_MAIN(TestInputAndText)
#include "tst_input_and_text.moc"
