#include "platform/runtime/listbox.h"

#include <QAbstractListModel>
#include <QMouseEvent>
#include <QTimer>

namespace platform {

class ListRows : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(shown);
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid() || index.row() >= shown)
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return rows.at(index.row());
        return {};
    }

    void publish() {
        if (shown == rows.size())
            return;
        beginInsertRows({}, static_cast<int>(shown), static_cast<int>(rows.size()) - 1);
        shown = rows.size();
        endInsertRows();
    }
    void clear() {
        beginResetModel();
        rows.clear();
        shown = 0;
        endResetModel();
    }

    QStringList rows;
    qsizetype shown = 0;
};

ListBox::ListBox(QWidget *parent) : QListView(parent), rows_(new ListRows(this)) {
    setModel(rows_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void ListBox::AddItem(const QString &text) {
    const bool wasFlushed = rows_->shown == rows_->rows.size();
    rows_->rows.append(text);
    if (wasFlushed)
        QTimer::singleShot(0, this, [this] { flush(); });
}

void ListBox::Clear() {
    rows_->clear();
}

int ListBox::ListCount() const {
    return static_cast<int>(rows_->rows.size());
}

QString ListBox::List(int row) const {
    if (row < 0 || row >= rows_->rows.size())
        return {};
    return rows_->rows.at(row);
}

int ListBox::ListIndex() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

bool ListBox::SetSelected(int row) {
    flush();
    if (row < 0 || row >= rows_->rows.size())
        return false;
    const QModelIndex index = rows_->index(row);
    quiet_ = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    quiet_ = false;
    scrollTo(index);
    emit Click();
    return true;
}

void ListBox::SetFocus() {
    flush();
    setFocus(Qt::OtherFocusReason);
}

void ListBox::flush() const {
    rows_->publish();
}

void ListBox::mousePressEvent(QMouseEvent *event) {
    // Only the left button selects; the others leave the list as it is.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const QModelIndex before = currentIndex();
    QListView::mousePressEvent(event);
    // Clicking the row already selected is still a click.
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (hit.isValid() && hit == before)
        emit Click();
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event) {
    QListView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid() && event->button() == Qt::LeftButton)
        emit DblClick();
}

void ListBox::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QListView::currentChanged(current, previous);
    if (!quiet_ && current.isValid()) {
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
        emit Click();
    }
}

// Ctrl+click and Ctrl+Space would take the selection off the selected row: once the list has rows,
// one of them is always selected.
QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex &index,
                                                              const QEvent *event) const {
    QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    if (command.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) {
        command &= ~(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle);
        command |= QItemSelectionModel::ClearAndSelect;
    }
    return command;
}

} // namespace platform
