// GIO before Qt: its headers name struct members "signals", which Qt's headers make a keyword.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/desktop/app_chooser.h"

#include "platform/files/names.h"
#include "platform/runtime/activation.h"

#include <QApplication>
#include <QCollator>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMimeDatabase>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace platform {

namespace {

QString iconName(GAppInfo *info) {
    GIcon *icon = g_app_info_get_icon(info);
    if (G_IS_THEMED_ICON(icon)) {
        const gchar *const *names = g_themed_icon_get_names(G_THEMED_ICON(icon));
        return names && names[0] ? QString::fromUtf8(names[0]) : QString();
    }
    if (G_IS_FILE_ICON(icon)) {
        gchar *path = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)));
        const QString name = QString::fromUtf8(path);
        g_free(path);
        return name;
    }
    return {};
}

// Takes the list GIO hands over and adds its applications not seen yet, sorted by name.
void addGroup(GList *infos, bool isDefault, QSet<QString> &seen,
              std::vector<DesktopApplication> &out) {
    std::vector<DesktopApplication> group;
    for (GList *i = infos; i; i = i->next) {
        auto *info = static_cast<GAppInfo *>(i->data);
        const QString id = QString::fromUtf8(g_app_info_get_id(info));
        if (!id.isEmpty() && !seen.contains(id)) {
            seen.insert(id);
            group.push_back(
                {id, QString::fromUtf8(g_app_info_get_name(info)), iconName(info), isDefault});
        }
    }
    g_list_free_full(infos, g_object_unref);
    QCollator collator;
    std::stable_sort(group.begin(), group.end(), [&collator](const auto &a, const auto &b) {
        return collator.compare(a.name, b.name) < 0;
    });
    out.insert(out.end(), group.begin(), group.end());
}

void launch(const QString &id, const QString &nativePath) {
    GDesktopAppInfo *info = g_desktop_app_info_new(id.toUtf8().constData());
    if (!info)
        return;
    GFile *file = g_file_new_for_path(NameBytes(nativePath).constData());
    GList files{file, nullptr, nullptr};
    // A failure is silent, as with the desktop's own chooser.
    g_app_info_launch(G_APP_INFO(info), &files, nullptr, nullptr);
    g_object_unref(file);
    g_object_unref(info);
}

} // namespace

std::vector<DesktopApplication> ApplicationsFor(const QString &mimeType) {
    const QByteArray type = mimeType.toUtf8();
    std::vector<DesktopApplication> out;
    QSet<QString> seen;
    GAppInfo *defaultInfo = g_app_info_get_default_for_type(type.constData(), FALSE);
    addGroup(defaultInfo ? g_list_append(nullptr, defaultInfo) : nullptr, true, seen, out);
    addGroup(g_app_info_get_recommended_for_type(type.constData()), false, seen, out);
    addGroup(g_app_info_get_fallback_for_type(type.constData()), false, seen, out);
    return out;
}

void ShowApplicationChooser(const QString &nativePath, QWidget *owner) {
    const auto applications = ApplicationsFor(QMimeDatabase().mimeTypeForFile(nativePath).name());

    auto *dialog = new QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Open With"));
    auto *layout = new QVBoxLayout(dialog);
    const QString name = NameText(nativePath.section(QLatin1Char('/'), -1));
    auto *label = new QLabel(applications.empty()
                                 ? QStringLiteral("No installed application opens '%1'.").arg(name)
                                 : QStringLiteral("Open '%1' with:").arg(name),
                             dialog);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    auto *list = new QListWidget(dialog);
    for (const DesktopApplication &app : applications) {
        const QString text =
            app.isDefault ? QStringLiteral("%1 (default)").arg(app.name) : app.name;
        const QIcon icon =
            QFileInfo(app.icon).isAbsolute() ? QIcon(app.icon) : QIcon::fromTheme(app.icon);
        auto *item = new QListWidgetItem(icon, text, list);
        item->setData(Qt::AccessibleTextRole, text);
        item->setToolTip(app.id);
    }
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Open)->setEnabled(!applications.empty());
    layout->addWidget(buttons);

    auto choose = [dialog, list, applications, nativePath] {
        const int row = list->currentRow();
        if (row >= 0 && row < static_cast<int>(applications.size()))
            launch(applications[static_cast<size_t>(row)].id, nativePath);
        dialog->close();
    };
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, choose);
    QObject::connect(list, &QListWidget::itemActivated, dialog, choose);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);

    // Above its owner, which may cover the whole screen, and back to it when done.
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [owner = QPointer<QWidget>(owner)] { HandBack(owner); });
    dialog->resize(360, 320);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace platform
