// What a screen reader is told about the main window's controls: a role that says what each is
// and a name to call it by; labels, whose name is their changing text, carry a description.

#include "app/forms.h"
#include "mainwindow/form1.h"
#include "platform/accessibility.h"
#include "support/testsupport.h"

#include <QAccessible>
#include <QTest>

namespace {

QAccessibleInterface *accessible(QObject *object) {
    return QAccessible::queryAccessibleInterface(object);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { platform::InstallAccessibility(); }
    void init() { ResetProgram(); }
    void cleanup() { ResetProgram(); }

    void controlsHaveRolesAndNames_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::newRow("window") << "Form1" << int(QAccessible::Window) << "Orvane v3.0";
        QTest::newRow("list") << "List1" << int(QAccessible::List) << "Pictures";
        QTest::newRow("preview box") << "Picture1" << int(QAccessible::Pane) << "Preview";
        QTest::newRow("preview picture") << "Image1" << int(QAccessible::Graphic) << "";
        QTest::newRow("view") << "Command1" << int(QAccessible::Button) << "View";
        QTest::newRow("save") << "Command2" << int(QAccessible::Button) << "Save";
        QTest::newRow("border") << "Shape1" << int(QAccessible::Border) << "Preview border";
    }
    void controlsHaveRolesAndNames() {
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        TempCd cd;
        Form1 &form = Instance<Form1>();
        const QHash<QString, QObject *> controls = {
            {"Form1", &form},        {"List1", form.List1},       {"Picture1", form.Picture1},
            {"Image1", form.Image1}, {"Command1", form.Command1}, {"Command2", form.Command2},
            {"Shape1", form.Shape1}};
        QAccessibleInterface *iface = accessible(controls.value(control));
        QVERIFY(iface);
        QCOMPARE(int(iface->role()), role);
        if (!name.isEmpty())
            QCOMPARE(iface->text(QAccessible::Name), name);
    }

    void labelsCarryADescription() {
        TempCd cd;
        Form1 &form = Instance<Form1>();
        for (QLabel *label :
             {static_cast<QLabel *>(form.Label1), static_cast<QLabel *>(form.Label2),
              static_cast<QLabel *>(form.Label3)}) {
            QAccessibleInterface *iface = accessible(label);
            QCOMPARE(iface->role(), QAccessible::StaticText);
            QCOMPARE(iface->text(QAccessible::Name), label->text());
            QVERIFY2(!iface->text(QAccessible::Description).isEmpty(), qPrintable(label->text()));
        }
    }

    void aWindowShownModallyIsADialog() {
        QWidget window;
        QAccessibleInterface *iface = accessible(&window);
        QCOMPARE(iface->role(), QAccessible::Window);
        window.setWindowModality(Qt::ApplicationModal);
        QCOMPARE(iface->role(), QAccessible::Dialog);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
