#include "platform/runtime/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace platform {

namespace {

// A window made from a plain widget; its role follows its modality, which is set only when it is
// shown, after the bus may already have asked.
class WindowAccessible : public QAccessibleWidget {
  public:
    explicit WindowAccessible(QWidget *window) : QAccessibleWidget(window) {}
    QAccessible::Role role() const override {
        return widget()->windowModality() == Qt::NonModal ? QAccessible::Window
                                                          : QAccessible::Dialog;
    }
};

QAccessibleInterface *runtimeControls(const QString &className, QObject *object) {
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("platform::ImageBox"))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    if (className == QLatin1String("platform::PictureFrame"))
        return new QAccessibleWidget(widget, QAccessible::Pane);
    if (className == QLatin1String("QWidget") && widget->isWindow())
        return new WindowAccessible(widget);
    return nullptr;
}

} // namespace

void InstallAccessibility() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(runtimeControls);
}

} // namespace platform
