#pragma once

#include <QTableView>
#include <memory>
#include <vector>

#include "windows/manage/ReminderGridModel.h"

class CReminderItem;
class ReminderSortProxy;

// The reminder grid both grid windows hold (objectName "grdReminders"): a
// table of reminders, one row each, with a fixed header row. Clicking a
// header sorts by that column (again: the other way round); Ctrl-click and
// Shift-click select several rows; a double-click and the Delete key are
// passed on to the window, which owns the row operations
// (GridRowOperations).
//
// Rows are addressed as the windows address them: row 0 is the header, data
// rows are numbered from 1 in the order shown (after a sort, the sorted
// order). Each row holds the very reminder it shows (Reminder), so an
// operation on a row acts on that reminder whatever happened to the
// collection's positions since the fill.
class ReminderGrid : public QTableView {
    Q_OBJECT

public:
    // textKind: the data kind of the text columns, which the window decides.
    explicit ReminderGrid(int textKind, QWidget* parent = nullptr);
    ~ReminderGrid() override;

    // Empties the grid (the header row only), lays out the columns (widths,
    // the ID column hidden) and forgets any sort: a fill shows the rows in
    // the order it adds them.
    void Clear();
    // Puts the rows in, in this order.
    void SetRows(std::vector<ReminderGridModel::Row> rows);

    // Rows including the header row.
    int Rows() const;
    // The text of a cell (row from 1, column 0 to 5).
    QString TextMatrix(int row, int column) const;
    void SetTextMatrix(int row, int column, const QString& text);
    void RemoveItem(int row);
    // The reminder row `row` shows.
    std::shared_ptr<CReminderItem> Reminder(int row) const;
    // The row showing that very reminder; 0 when none does.
    int RowOf(const std::shared_ptr<CReminderItem>& reminder) const;

    // The row of the current cell (the last one clicked); 0 when none.
    int Row() const;
    // The selected rows, in ascending row order.
    std::vector<int> SelectedRowList() const;
    int SelectedRows() const { return static_cast<int>(SelectedRowList().size()); }
    int SelectedRow(int i) const { return SelectedRowList().at(static_cast<size_t>(i)); }
    // Selects the rows (from 1) and nothing else; the first becomes current.
    void SelectRows(const std::vector<int>& rows);

    // What the user made of the grid: the sort, the selected rows and the
    // current one (by the reminders they show), and how far it is scrolled.
    struct View {
        int sortColumn = -1;
        Qt::SortOrder sortOrder = Qt::AscendingOrder;
        std::vector<std::shared_ptr<CReminderItem>> selected;
        std::shared_ptr<CReminderItem> current;
        int scrolled = 0;
    };
    View SaveView() const;
    // Puts a view saved before a refill back: the same sort, and the rows of
    // the reminders that are still shown selected and current.
    void RestoreView(const View& view);

    // Width in twips (0: hidden) and data kind of a column.
    int ColWidth(int column) const { return ReminderGridModel::ColWidth(column); }
    int ColDataType(int column) const { return m_model->ColDataType(column); }

    ReminderGridModel& GridModel() const { return *m_model; }

signals:
    // A double-click on a data row (Row() names it).
    void DblClick();
    // The Delete key was pressed on the grid.
    void DeleteKey();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int SourceRow(int row) const;

    ReminderGridModel* m_model;
    ReminderSortProxy* m_proxy;
};
