#include "platform/runtime/folderlists.h"

#include "platform/files/files.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>

namespace platform {

namespace {

QString toProgramPath(const QString &nativePath) {
    QString p = QDir::cleanPath(nativePath);
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return p;
}

QString toNativePath(const QString &programPath) {
    return QDir::cleanPath(NativePath(programPath.isEmpty() ? QStringLiteral(".") : programPath));
}

bool isRemovableMount(const QString &root) {
    for (const char *prefix : {"/media/", "/run/media/", "/mnt/"})
        if (root.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

bool contains(const QString &root, const QString &path) {
    return root == QLatin1String("/") || path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

QStringList DriveRoots(const QStringList &mountedRoots, const QString &home,
                       const QString &currentRoot) {
    QStringList roots{QStringLiteral("/")};
    auto add = [&roots](const QString &root) {
        if (!root.isEmpty() && !roots.contains(root))
            roots.append(root);
    };
    add(home);
    add(currentRoot);
    for (const QString &root : mountedRoots)
        if (isRemovableMount(root))
            add(root);
    return roots;
}

DriveListBox::DriveListBox(QWidget *parent) : QComboBox(parent) {
    QStringList mounted;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            mounted.append(volume.rootPath());
    const QString current = QStorageInfo(QDir::currentPath()).rootPath();
    for (const QString &root : DriveRoots(mounted, QDir::homePath(), current)) {
        const QStorageInfo volume(root);
        QString label = root;
        if (root == QDir::homePath())
            label += QStringLiteral("  [home]");
        else if (!volume.displayName().isEmpty() && volume.displayName() != root)
            label += QStringLiteral("  [") + volume.displayName() + QLatin1Char(']');
        addItem(QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon), label, root);
    }
    connect(this, &QComboBox::activated, this, &DriveListBox::Change);
}

QString DriveListBox::Drive() const {
    return toProgramPath(currentData().toString());
}

void DriveListBox::SetDrive(const QString &path) {
    const QString native = toNativePath(path);
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (contains(root, native) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0)
        setCurrentIndex(best);
}

DirListBox::DirListBox(QWidget *parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setExpandsOnDoubleClick(false);
    setItemsExpandable(false);
    setIndentation(12);
    // Folders open by a double-click only, so the branch marks would offer what does not work.
    setStyleSheet(QStringLiteral("QTreeView::branch { image: none; border-image: none; }"));
    connect(this, &QTreeView::activated, this, &DirListBox::open);
}

void DirListBox::open(const QModelIndex &index) {
    const QString target = index.data(Qt::UserRole).toString();
    if (!target.isEmpty())
        SetPath(target);
}

bool DirListBox::SetPath(const QString &path) {
    const QString native = toNativePath(path);
    const QFileInfo info(native);
    if (!info.isDir())
        return false;
    QDir dir(info.absoluteFilePath());
    dir.setFilter(QDir::Dirs | QDir::NoDotAndDotDot);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    if (!dir.isReadable())
        return false;
    const QStringList children = dir.entryList();

    // The opened folder's parents, from the root down, each one level further in.
    QStringList chain;
    for (QDir up = dir;;) {
        chain.prepend(up.absolutePath());
        if (!up.cdUp())
            break;
    }
    const QIcon opened = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    clear();
    QTreeWidgetItem *parentItem = nullptr;
    for (const QString &folder : chain) {
        const QString name = folder == QLatin1String("/") ? folder : QFileInfo(folder).fileName();
        auto *item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
        item->setText(0, name);
        item->setIcon(0, opened);
        item->setData(0, Qt::UserRole, toProgramPath(folder));
        item->setExpanded(true);
        parentItem = item;
    }
    for (const QString &child : children) {
        auto *item = new QTreeWidgetItem(parentItem);
        item->setText(0, child);
        item->setIcon(0, closed);
        item->setData(0, Qt::UserRole, toProgramPath(dir.absoluteFilePath(child)));
    }
    expandAll();
    setCurrentItem(parentItem);
    // The folder one up stays in sight, so the way back is visible.
    QTreeWidgetItem *top = parentItem->parent() ? parentItem->parent() : parentItem;
    scrollToItem(top, QAbstractItemView::PositionAtTop);

    const QString openedPath = toProgramPath(dir.absolutePath());
    const bool changed = openedPath != path_;
    path_ = openedPath;
    if (changed)
        emit Change();
    return true;
}

FileListBox::FileListBox(QWidget *parent) : QWidget(parent) {
    hide();
}

} // namespace platform
