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
        QTest::newRow("ctrl+alt+keypad -")
            << "-" << int(Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier) << 0;
    }
    void viewerKeyCharacters() {
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(int, ascii);
        QCOMPARE(KeyAscii(text, Qt::KeyboardModifiers(modifiers)), ascii);
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
