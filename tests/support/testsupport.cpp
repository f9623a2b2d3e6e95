#include "support/testsupport.h"

#include "app/form6.h"
#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/form3.h"
#include "dialogs/form5.h"
#include "mainwindow/form1.h"
#include "mainwindow/form4.h"
#include "platform/desktop/services.h"
#include "platform/imaging/reads.h"
#include "viewer/dialog.h"
#include "viewer/form2.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

void TempCd::writeFile(const QString &relative, const QByteArray &bytes) const {
    QDir(dir_.path()).mkpath(QFileInfo(path(relative)).path());
    QFile file(path(relative));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QString TempCd::writePicture(const QString &relative, int width, int height, const char *format,
                             QColor colour) const {
    QDir(dir_.path()).mkpath(QFileInfo(path(relative)).path());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path(relative), format);
    return path(relative);
}

QStringList &RecordedMessages() {
    static QStringList prompts;
    return prompts;
}

void ShowReads() {
    // A few rounds with nothing pending: a display put off until the queue is empty asks late.
    QDeadlineTimer deadline(10000);
    for (int quiet = 0; quiet < 3 && !deadline.hasExpired();) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        quiet = platform::ResultsPending() > 0 ? 0 : quiet + 1;
    }
}

void ResetProgram() {
    // The dialogs before the windows they were opened from; no read outlives the test.
    Unload<Form6>(), Unload<Form3>(), Unload<Form4>(), Unload<Form5>(), Unload<Dialog>();
    Unload<Form2>(), Unload<Form1>();
    platform::WaitForWorkers();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    g = Globals{};
    platform::RestoreRealServices();
    RecordedMessages().clear();
    platform::services().msgBox = [](const QString &prompt, int, const QString &) {
        RecordedMessages() << prompt;
        return platform::vbOK;
    };
    platform::services().playSound = [](const QString &) {};
}

int RowOf(const Form1 &form, const QString &name) {
    for (int r = 0; r < form.List1->ListCount(); ++r)
        if (form.List1->List(r) == name)
            return r;
    return -1;
}

QStringList Catalogue() {
    return QStringList(g.ImageArray.begin() + 1, g.ImageArray.begin() + 1 + g.ImageCount);
}

bool SearchFor(const QString &text) {
    return WhileModal<Form4>([] { Instance<Form1>().Command6_Click(); },
                             [text](Form4 &dialog) {
                                 dialog.Text1->setText(text);
                                 dialog.Command1_Click();
                             });
}
