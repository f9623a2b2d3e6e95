#include "support/testsupport.h"

#include "app/form6.h"
#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/form3.h"
#include "dialogs/form5.h"
#include "mainwindow/form1.h"
#include "mainwindow/form4.h"
#include "viewer/dialog.h"
#include "platform/services.h"
#include "viewer/form2.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTest>

TempCd::TempCd() : previous_(QDir::currentPath()) {
    QDir::setCurrent(dir_.path());
}

TempCd::~TempCd() {
    QDir::setCurrent(previous_);
}

QString TempCd::path(const QString &relative) const {
    return relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
}

void TempCd::mkdir(const QString &relative) const {
    QDir(dir_.path()).mkpath(relative);
}

void TempCd::writeFile(const QString &relative, const QByteArray &bytes) const {
    QDir(dir_.path()).mkpath(QFileInfo(path(relative)).path());
    QFile file(path(relative));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void TempCd::writePicture(const QString &relative, int width, int height, const char *format,
                          QColor colour) const {
    QDir(dir_.path()).mkpath(QFileInfo(path(relative)).path());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path(relative), format);
}

void TempCd::writeGif(const QString &relative, int width, int height) const {
    writeFile(relative, MakeGif(width, height));
}

QByteArray MakeGif(int width, int height) {
    // One colour, every pixel index 0, coded as LZW with a clear code before each pixel so the
    // code size never grows: simple and valid.
    QByteArray gif("GIF89a");
    auto le16 = [&gif](int v) {
        gif.append(char(v & 0xff));
        gif.append(char((v >> 8) & 0xff));
    };
    le16(width);
    le16(height);
    gif.append(char(0x80)); // global colour table of 2 entries
    gif.append(char(0));
    gif.append(char(0));
    gif.append(QByteArray::fromHex("3080c0ffffff"));
    gif.append(',');
    le16(0);
    le16(0);
    le16(width);
    le16(height);
    gif.append(char(0));
    gif.append(char(2)); // minimum code size
    // Codes are 3 bits: clear (4), pixel (0), repeated; end (5).
    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    auto put = [&](int code) {
        bits |= quint32(code) << count;
        count += 3;
        while (count >= 8) {
            data.append(char(bits & 0xff));
            bits >>= 8;
            count -= 8;
        }
    };
    const qint64 pixels = qint64(width) * height;
    for (qint64 i = 0; i < pixels; ++i) {
        put(4);
        put(0);
    }
    put(5);
    if (count > 0)
        data.append(char(bits & 0xff));
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const QByteArray block = data.mid(i, 255);
        gif.append(char(block.size()));
        gif.append(block);
    }
    gif.append(char(0));
    gif.append(';');
    return gif;
}

QList<RecordedMessage> &RecordedMessages() {
    static QList<RecordedMessage> messages;
    return messages;
}

namespace {
int messageAnswer = platform::vbOK;
}

void SetMessageAnswer(int answer) {
    messageAnswer = answer;
}

void ResetProgram() {
    Unload<Form6>();
    Unload<Form3>();
    Unload<Form4>();
    Unload<Form5>();
    Unload<Dialog>();
    Unload<Form2>();
    Unload<Form1>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    g = Globals{};
    platform::RestoreRealServices();
    RecordedMessages().clear();
    messageAnswer = platform::vbOK;
    platform::services().msgBox = [](const QString &prompt, int style, const QString &title) {
        RecordedMessages().append({prompt, style, title});
        return messageAnswer;
    };
    platform::services().playSound = [](const QString &) {};
}

void ProcessEventsFor(int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(5);
    }
}
