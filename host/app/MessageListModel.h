#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <memory>
#include <vector>

#include "host/mail/MailModel.h"

namespace host::app {

// The rows of the main window's message list: one per mail item of the
// folder shown, holding the very item. Three columns: who (the sender, or,
// in the folders of messages the user writes, the To and CC recipients),
// the subject and the date. Cells are made when they are drawn, from the
// item; a row keeps only what sorting needs.
class MessageListModel : public QAbstractTableModel {
public:
    enum Column { ColumnFromTo, ColumnSubject, ColumnDate, kColumnCount };

    explicit MessageListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Shows the mail items of folder (none: an empty list); recipients says
    // whether the first column shows recipients rather than the sender.
    void SetFolder(const std::shared_ptr<HostFolder>& folder, bool recipients);
    // A mail item that arrived in the folder shown, or left it.
    void Add(const std::shared_ptr<HostMailItem>& mail);
    void Remove(const std::shared_ptr<HostMailItem>& mail);

    bool ShowsRecipients() const { return m_recipients; }
    const std::shared_ptr<HostMailItem>& MailAt(int row) const {
        return m_rows[static_cast<size_t>(row)].mail;
    }
    // The row of that very item; -1 when none holds it.
    int RowOf(const std::shared_ptr<HostMailItem>& mail) const;

    // What the first column shows for a message: its To and CC recipients
    // joined by "; ", or its sender's address.
    static QString RecipientsText(const HostMailItem& mail);
    QString WhoText(int row) const;
    // The date's sort key: its wall-clock value in milliseconds; the
    // smallest value for a message without one.
    qint64 DateKey(int row) const { return m_rows[static_cast<size_t>(row)].dateKey; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        std::shared_ptr<HostMailItem> mail;
        qint64 dateKey;
    };
    Row MakeRow(const std::shared_ptr<HostMailItem>& mail) const;

    std::vector<Row> m_rows;
    bool m_recipients = false;
};

// The order the list shows: by the column last clicked, dates by their
// value and texts with letter case ignored first; ties keep the folder's
// order. Rows that arrive go to their place.
class MessageSortProxy : public QSortFilterProxyModel {
public:
    explicit MessageSortProxy(MessageListModel& model, QObject* parent = nullptr);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    MessageListModel& m_model;
};

}  // namespace host::app
