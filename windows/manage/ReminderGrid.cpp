#include "windows/manage/ReminderGrid.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>

#include "windows/manage/ReminderSortProxy.h"
#include "windows/manage/Twips.h"

ReminderGrid::ReminderGrid(int textKind, QWidget* parent)
    : QTableView(parent),
      m_model(new ReminderGridModel(textKind, this)),
      m_proxy(new ReminderSortProxy(*m_model, this)) {
    setObjectName(QStringLiteral("grdReminders"));
    // The column widths are the grid's design in twips, laid out for an
    // eight-point font; at that size a date with its time fits its column.
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    horizontalHeader()->setFont(small);
    setModel(m_proxy);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    // No sort until the user asks for one.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit DblClick();
    });
    Clear();
}

ReminderGrid::~ReminderGrid() = default;

void ReminderGrid::Clear() {
    m_model->SetRows({});
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_proxy->sort(-1);
    for (int column = 0; column < ReminderGridModel::kColumnCount; ++column) {
        const int width = ReminderGridModel::ColWidth(column);
        setColumnHidden(column, width == 0);
        if (width > 0)
            setColumnWidth(column, manage::TwipsToPixels(width));
    }
}

void ReminderGrid::SetRows(std::vector<ReminderGridModel::Row> rows) {
    m_model->SetRows(std::move(rows));
}

int ReminderGrid::Rows() const {
    return m_proxy->rowCount() + 1;
}

int ReminderGrid::SourceRow(int row) const {
    return m_proxy->mapToSource(m_proxy->index(row - 1, 0)).row();
}

QString ReminderGrid::TextMatrix(int row, int column) const {
    return m_model->RowAt(SourceRow(row)).cells[static_cast<size_t>(column)];
}

void ReminderGrid::SetTextMatrix(int row, int column, const QString& text) {
    m_model->SetCell(SourceRow(row), column, text);
}

void ReminderGrid::RemoveItem(int row) {
    m_model->RemoveRow(SourceRow(row));
}

std::shared_ptr<CReminderItem> ReminderGrid::Reminder(int row) const {
    return m_model->RowAt(SourceRow(row)).reminder;
}

int ReminderGrid::RowOf(const std::shared_ptr<CReminderItem>& reminder) const {
    const int source = m_model->RowOf(reminder);
    if (source < 0)
        return 0;
    return m_proxy->mapFromSource(m_model->index(source, 0)).row() + 1;
}

int ReminderGrid::Row() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

std::vector<int> ReminderGrid::SelectedRowList() const {
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row() + 1);
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ReminderGrid::SelectRows(const std::vector<int>& rows) {
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = m_proxy->index(row - 1, 0);
        selection.select(index, index);
    }
    if (!rows.empty())
        selectionModel()->setCurrentIndex(m_proxy->index(rows.front() - 1, 1),
                                          QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

ReminderGrid::View ReminderGrid::SaveView() const {
    View view;
    view.sortColumn = horizontalHeader()->sortIndicatorSection();
    view.sortOrder = horizontalHeader()->sortIndicatorOrder();
    if (view.sortColumn >= ReminderGridModel::kColumnCount)
        view.sortColumn = -1;
    for (int row : SelectedRowList()) view.selected.push_back(Reminder(row));
    if (const int row = Row())
        view.current = Reminder(row);
    view.scrolled = verticalScrollBar()->value();
    return view;
}

void ReminderGrid::RestoreView(const View& view) {
    if (view.sortColumn >= 0)
        sortByColumn(view.sortColumn, view.sortOrder);
    std::vector<int> rows;
    for (const auto& reminder : view.selected)
        if (const int row = RowOf(reminder))
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    if (!rows.empty())
        SelectRows(rows);
    if (const int current = view.current ? RowOf(view.current) : 0)
        selectionModel()->setCurrentIndex(m_proxy->index(current - 1, 1),
                                          QItemSelectionModel::NoUpdate);
    verticalScrollBar()->setValue(view.scrolled);
}

void ReminderGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        emit DeleteKey();
        return;
    }
    QTableView::keyPressEvent(event);
}
