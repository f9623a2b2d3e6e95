// What a screen reader is told about the main window's controls: a role that says what each is
// and a name to call it by; labels, whose name is their changing text, carry a description.

#include "app/forms.h"
#include "mainwindow/form1.h"
#include "platform/runtime/accessibility.h"
#include "support/testsupport.h"

#include <QAccessible>
#include <QTest>

class TestAccessibility : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { platform::InstallAccessibility(); }
    void init() { ResetProgram(); }
    void cleanup() { ResetProgram(); }

    void controlsHaveRolesAndNames() {
        TempCd cd;
        Form1 &form = Instance<Form1>();
        const struct {
            QObject *control;
            QAccessible::Role role;
            const char *name; // "": whatever it shows; none: a label, named by its text
        } controls[] = {{&form, QAccessible::Window, "Orvane v3.0"},
                        {form.List1, QAccessible::List, "Pictures"},
                        {form.Picture1, QAccessible::Pane, "Preview"},
                        {form.Image1, QAccessible::Graphic, ""},
                        {form.Command1, QAccessible::Button, "View"},
                        {form.Command2, QAccessible::Button, "Save"},
                        {form.Shape1, QAccessible::Border, "Preview border"},
                        {form.Label1, QAccessible::StaticText, nullptr},
                        {form.Label2, QAccessible::StaticText, nullptr},
                        {form.Label3, QAccessible::StaticText, nullptr}};
        for (const auto &c : controls) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(c.control);
            QVERIFY(iface);
            QCOMPARE(iface->role(), c.role);
            if (!c.name) {
                QCOMPARE(iface->text(QAccessible::Name), qobject_cast<QLabel *>(c.control)->text());
                QVERIFY(!iface->text(QAccessible::Description).isEmpty());
            } else if (*c.name) {
                QCOMPARE(iface->text(QAccessible::Name), QString(c.name));
            }
        }
    }

    void aWindowShownModallyIsADialog() {
        QWidget window;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&window);
        QCOMPARE(iface->role(), QAccessible::Window);
        window.setWindowModality(Qt::ApplicationModal);
        QCOMPARE(iface->role(), QAccessible::Dialog);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
