#include "windows/manage/ReminderSortProxy.h"

#include "windows/manage/ReminderGridModel.h"

ReminderSortProxy::ReminderSortProxy(ReminderGridModel& model, QObject* parent)
    : QSortFilterProxyModel(parent), m_model(model) {
    setSourceModel(&model);
    setDynamicSortFilter(false);
}

bool ReminderSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // Straight from the rows: with a hundred thousand reminders a sort makes
    // millions of comparisons, and a QVariant per side would dominate it.
    const int column = left.column();
    if (ReminderGridModel::IsDateColumn(column))
        return m_model.DateKey(left.row(), column) < m_model.DateKey(right.row(), column);
    const QString& a = m_model.RowAt(left.row()).cells[static_cast<size_t>(column)];
    const QString& b = m_model.RowAt(right.row()).cells[static_cast<size_t>(column)];
    const int folded = a.compare(b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return a < b;
}
