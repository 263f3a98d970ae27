#pragma once

#include <QSortFilterProxyModel>

class ReminderGridModel;

// The order the reminder grid shows its rows in: the model's (the
// collection's) until the user clicks a header, then by that column. Date
// columns sort by the dates their texts read as, never by the texts; text
// columns by their text, letter case ignored first. Ties keep their order.
//
// Rows stay where they are when a cell is written (a re-dated row does not
// jump away from under the user's eyes); only a new click sorts again.
class ReminderSortProxy : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit ReminderSortProxy(ReminderGridModel& model, QObject* parent = nullptr);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    ReminderGridModel& m_model;
};
