#include "host/app/MessageListModel.h"

#include <limits>

#include "platform/NamedControls.h"

namespace host::app {

namespace {

// A wall-clock value (platform::MakeDateTime's form) as a number, without
// any time-zone conversion: sorting a hundred thousand rows compares these.
qint64 WallClockKey(const QDateTime& when) {
    if (!when.isValid())
        return std::numeric_limits<qint64>::min();
    return when.date().toJulianDay() * 86'400'000LL + when.time().msecsSinceStartOfDay();
}

}  // namespace

QString MessageListModel::RecipientsText(const HostMailItem& mail) {
    QStringList names;
    auto list = mail.RecipientList();
    for (qint32 i = 1; i <= list->Count(); ++i) {
        auto recipient = list->Item(i);
        if (recipient->Type() != client::olBCC)
            names << recipient->Address();
    }
    return names.join(QStringLiteral("; "));
}

MessageListModel::Row MessageListModel::MakeRow(const std::shared_ptr<HostMailItem>& mail) const {
    return Row{mail, WallClockKey(mail->SentOn())};
}

void MessageListModel::SetFolder(const std::shared_ptr<HostFolder>& folder, bool recipients) {
    beginResetModel();
    m_recipients = recipients;
    m_rows.clear();
    if (folder) {
        const auto& contents = folder->Contents();
        m_rows.reserve(contents.size());
        for (const auto& item : contents)
            if (auto mail = std::dynamic_pointer_cast<HostMailItem>(item))
                m_rows.push_back(MakeRow(mail));
    }
    endResetModel();
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}

void MessageListModel::Add(const std::shared_ptr<HostMailItem>& mail) {
    if (!mail || RowOf(mail) >= 0)
        return;
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(MakeRow(mail));
    endInsertRows();
}

void MessageListModel::Remove(const std::shared_ptr<HostMailItem>& mail) {
    const int row = RowOf(mail);
    if (row < 0)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

int MessageListModel::RowOf(const std::shared_ptr<HostMailItem>& mail) const {
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (m_rows[row].mail == mail)
            return static_cast<int>(row);
    return -1;
}

QString MessageListModel::WhoText(int row) const {
    const auto& mail = *MailAt(row);
    if (m_recipients)
        return RecipientsText(mail);
    return mail.Sender() ? mail.Sender()->Address() : QString();
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role == Qt::ToolTipRole) {
        // Addresses and subjects come from mail: shown as written, never as
        // markup.
        return platform::PlainToolTip(data(index, Qt::DisplayRole).toString());
    }
    if (role != Qt::DisplayRole)
        return QVariant();
    const auto& mail = *MailAt(index.row());
    switch (index.column()) {
        case ColumnFromTo:
            return WhoText(index.row());
        case ColumnSubject:
            return mail.Subject();
        case ColumnDate:
            return mail.SentOn().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
        default:
            return QVariant();
    }
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
        case ColumnFromTo:
            return m_recipients ? QStringLiteral("To") : QStringLiteral("From");
        case ColumnSubject:
            return QStringLiteral("Subject");
        case ColumnDate:
            return m_recipients ? QStringLiteral("Sent") : QStringLiteral("Received");
        default:
            return QVariant();
    }
}

MessageSortProxy::MessageSortProxy(MessageListModel& model, QObject* parent)
    : QSortFilterProxyModel(parent), m_model(model) {
    setSourceModel(&model);
}

bool MessageSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // Straight from the rows: sorting a large folder makes millions of
    // comparisons, and a QVariant per side would dominate them.
    const int a = left.row(), b = right.row();
    if (left.column() == MessageListModel::ColumnDate)
        return m_model.DateKey(a) < m_model.DateKey(b);
    const QString first = left.column() == MessageListModel::ColumnSubject
                              ? m_model.MailAt(a)->Subject()
                              : m_model.WhoText(a);
    const QString second = left.column() == MessageListModel::ColumnSubject
                               ? m_model.MailAt(b)->Subject()
                               : m_model.WhoText(b);
    const int folded = first.compare(second, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return first < second;
}

}  // namespace host::app
