// The About box: its design, the five seconds, and the clicks that close it or bring it forward.

#include "support/testsupport.h"

#include "app/forms.h"
#include "dialogs/about_artwork.h"
#include "dialogs/form3.h"
#include "mainwindow/form1.h"

#include <QPointer>
#include <QRegularExpression>
#include <QTest>

class TestAbout : public QObject {
    Q_OBJECT

    std::unique_ptr<TempCd> cd;

    Form3 &openFromMainWindow() {
        Instance<Form1>().Label1_Click();
        return Instance<Form3>();
    }

  private slots:
    void init() {
        ResetProgram();
        cd = std::make_unique<TempCd>();
    }
    void cleanup() {
        Unload<Form3>();
        ResetProgram();
        cd.reset();
    }

    void design() {
        Form3 &form = openFromMainWindow();
        QVERIFY(form.isVisible());
        QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(form.Label1->text(), QStringLiteral("Brantwell Computer Systems"));
        QVERIFY(QRegularExpression(QStringLiteral("^\u00a9 \\d{4}-\\d{4} \\S"))
                    .match(form.Label2->text())
                    .hasMatch());
        // Both pictures shown at their own size.
        QCOMPARE(form.Picture1->size(), AboutPhotograph().size());
        QCOMPARE(form.Image1->size(), ProductLettering().size());
        // Modeless: the main window goes on taking clicks.
        QVERIFY(!form.isModal() && Instance<Form1>().isEnabled());
    }

    void artwork() {
        QVERIFY(AboutPhotograph().isGrayscale());
        const QImage name = ProductLettering();
        QCOMPARE(name.size(), QSize(85, 24));
        // Light strokes inside each of the six dark boxes.
        for (int box = 0; box < 6; ++box) {
            int light = 0, dark = 0;
            for (int y = 1; y < 23; ++y)
                for (int x = 1 + box * 14; x < 14 + box * 14; ++x)
                    (qGray(name.pixel(x, y)) > 160 ? light : dark) += 1;
            QVERIFY2(light > 15 && dark > light, qPrintable(QString::number(box)));
        }
    }

    void closesFiveSecondsAfterLoading() {
        openFromMainWindow();
        QTest::qWait(4500);
        QVERIFY(IsLoaded<Form3>());
        QTRY_VERIFY_WITH_TIMEOUT(!IsLoaded<Form3>(), 3000);
    }

    void aClickAnywhereCloses_data() {
        QTest::addColumn<QString>("part");
        for (const char *part : {"form", "frame", "Label1", "Label2", "Picture1", "Image1"})
            QTest::newRow(part) << QString::fromLatin1(part);
    }
    void aClickAnywhereCloses() {
        QFETCH(QString, part);
        Form3 &form = openFromMainWindow();
        const QHash<QString, QWidget *> parts{
            {"form", &form},         {"frame", form.Frame1},      {"Label1", form.Label1},
            {"Label2", form.Label2}, {"Picture1", form.Picture1}, {"Image1", form.Image1}};
        QWidget *target = parts.value(part);
        // The background and the frame are clicked where no other control lies.
        const QPoint where = part == "form"    ? QPoint(1, 60)
                             : part == "frame" ? QPoint(5, 60)
                                               : QPoint(3, 3);
        QVERIFY(!target->childAt(where) || target->childAt(where) == target);
        QTest::mouseClick(target, Qt::LeftButton, {}, where);
        QVERIFY(!IsLoaded<Form3>());
    }

    void makerLabelWhileOpenOnlyBringsItForward() {
        Form3 &form = openFromMainWindow();
        QPointer<Form3> first(&form);
        QTest::qWait(600);
        Instance<Form1>().Label3_Click();
        QVERIFY(IsLoaded<Form3>());
        QCOMPARE(&Instance<Form3>(), first.data());
        QVERIFY(form.isVisible());
        QVERIFY(form.Timer1->remainingTime() < 4600);

        // After it closed, the next opening loads it afresh, with five whole seconds.
        form.Form_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        Instance<Form1>().Label1_Click();
        QVERIFY(IsLoaded<Form3>());
        QVERIFY(Instance<Form3>().Timer1->remainingTime() > 4600);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
