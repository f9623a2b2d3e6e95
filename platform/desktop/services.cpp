#include "platform/desktop/services.h"

#include "platform/desktop/desktop.h"
#include "platform/runtime/activation.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSoundEffect>
#include <QUrl>

namespace platform {

namespace {

int realMsgBox(const QString &prompt, int style, const QString &title) {
    const QPointer<QWidget> owner = OwnerForm();
    QMessageBox box(owner);
    box.setWindowTitle(title.isEmpty() ? QString::fromLatin1(AppTitle) : title);
    box.setText(prompt);
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    if (style == vbOKCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int answer = box.exec() == QMessageBox::Ok ? vbOK : vbCancel;
    HandBack(owner);
    return answer;
}

void realPlaySound(const QString &nativePath) {
    // One effect for the whole run: replaying (the Reset button) reuses it.
    static QSoundEffect *effect = nullptr;
    if (!effect)
        effect = new QSoundEffect(qApp);
    effect->stop();
    effect->setSource(QUrl::fromLocalFile(nativePath));
    effect->play();
}

Services realServices() {
    return Services{realMsgBox, realPlaySound, SetDesktopWallpaper, OpenWithChooser};
}

QtMessageHandler previousHandler = nullptr;

void filterMessages(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    const QByteArray category(context.category ? context.category : "");
    if (category.startsWith("qt.multimedia") || message.contains(QLatin1String("QSoundEffect")) ||
        message.contains(QLatin1String("PulseAudio")) || category.startsWith("qt.pulseaudio") ||
        message.contains(QLatin1String("audio device")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

Services &services() {
    static Services table = realServices();
    return table;
}

void RestoreRealServices() {
    services() = realServices();
}

int MsgBox(const QString &prompt, int style, const QString &title) {
    return services().msgBox ? services().msgBox(prompt, style, title) : vbCancel;
}

void SilenceMultimediaWarnings() {
    previousHandler = qInstallMessageHandler(filterMessages);
}

} // namespace platform
