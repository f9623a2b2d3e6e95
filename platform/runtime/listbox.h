#pragma once
// A list box in the manner of the window runtime: rows added at the end, never sorted, one row
// selected at a time, and a Click for every selection, also of the row already selected.

#include <QListView>
#include <QStringList>

namespace platform {

class ListRows;

class ListBox : public QListView {
    Q_OBJECT
  public:
    explicit ListBox(QWidget *parent = nullptr);

    void AddItem(QStringView text);
    void Clear();
    int ListCount() const;
    QString List(int row) const;
    // The selected row, -1 when none.
    int ListIndex() const;
    // Selects a row and raises Click; false (and nothing happens) for a row outside the list.
    bool SetSelected(int row);
    void SetFocus();

  signals:
    void Click();
    void DblClick();

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;

  private:
    // Rows are handed to the view in batches: a scan adds thousands one at a time.
    void flush() const;

    ListRows *rows_;
    bool quiet_ = false;
};

} // namespace platform
