#include "platform/runtime/listbox.h"

#include <QAbstractListModel>
#include <QMouseEvent>
#include <QTimer>

#include <vector>

namespace platform {

// Every row's text in one string: a scan adds thousands of rows and a reset drops them all, one
// allocation instead of one a row.
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
            return row(index.row());
        return {};
    }

    qsizetype count() const { return static_cast<qsizetype>(spans.size()); }
    QString row(qsizetype i) const {
        return text.mid(spans[static_cast<size_t>(i)].start, spans[static_cast<size_t>(i)].length);
    }
    void append(QStringView row) {
        spans.push_back({text.size(), row.size()});
        text.append(row);
    }
    void publish() {
        if (shown == count())
            return;
        beginInsertRows({}, static_cast<int>(shown), static_cast<int>(count()) - 1);
        shown = count();
        endInsertRows();
    }
    void clear() {
        beginResetModel();
        text.resize(0); // its memory kept for the walk again
        spans.clear();
        shown = 0;
        endResetModel();
    }

    qsizetype shown = 0;

  private:
    struct Span {
        qsizetype start = 0;
        qsizetype length = 0;
    };
    QString text;
    std::vector<Span> spans;
};

ListBox::ListBox(QWidget *parent) : QListView(parent), rows_(new ListRows(this)) {
    setModel(rows_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void ListBox::AddItem(QStringView text) {
    const bool wasFlushed = rows_->shown == rows_->count();
    rows_->append(text);
    if (wasFlushed)
        QTimer::singleShot(0, this, [this] { flush(); });
}

void ListBox::Clear() {
    rows_->clear();
}

int ListBox::ListCount() const {
    return static_cast<int>(rows_->count());
}

QString ListBox::List(int row) const {
    if (row < 0 || row >= rows_->count())
        return {};
    return rows_->row(row);
}

int ListBox::ListIndex() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

bool ListBox::SetSelected(int row) {
    flush();
    if (row < 0 || row >= rows_->count())
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
