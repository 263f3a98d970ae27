#include "windows/manage/ReminderGridModel.h"

#include "platform/Env.h"
#include "platform/NamedControls.h"
#include "platform/WindowsColour.h"

namespace {

const char* const kHeaders[ReminderGridModel::kColumnCount] = {
    "ID", "Email Address", "Date Sent", "Reminder Date", "Subject", "Notes"};
const int kWidths[ReminderGridModel::kColumnCount] = {0, 2000, 1800, 1800, 1800, 1800};

}  // namespace

ReminderGridModel::ReminderGridModel(int textKind, QObject* parent)
    : QAbstractTableModel(parent), m_textKind(textKind) {}

QString ReminderGridModel::HeaderText(int column) {
    return QLatin1String(kHeaders[column]);
}

int ReminderGridModel::ColWidth(int column) {
    return kWidths[column];
}

int ReminderGridModel::ColDataType(int column) const {
    return IsDateColumn(column) ? kDateKind : m_textKind;
}

void ReminderGridModel::SetRows(std::vector<Row> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void ReminderGridModel::RemoveRow(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void ReminderGridModel::SetCell(int row, int column, const QString& text) {
    Row& stored = m_rows[static_cast<size_t>(row)];
    stored.cells[static_cast<size_t>(column)] = text;
    if (IsDateColumn(column))
        stored.dateKeys[DateSlot(column)] = ReadDateKey(text);
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed);
}

void ReminderGridModel::SetRowMark(RowTest isMarked, QString note) {
    m_isMarked = std::move(isMarked);
    m_markNote = std::move(note);
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

bool ReminderGridModel::IsMarked(int row) const {
    return m_isMarked && m_isMarked(m_rows[static_cast<size_t>(row)]);
}

int ReminderGridModel::RowOf(const std::shared_ptr<CReminderItem>& reminder) const {
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (m_rows[row].reminder == reminder)
            return static_cast<int>(row);
    return -1;
}

int ReminderGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ReminderGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ReminderGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    const QString& text = row.cells[static_cast<size_t>(index.column())];
    switch (role) {
        case Qt::DisplayRole:
            return OneLine(text);
        case Qt::ToolTipRole:
            // Subjects and notes are mail text: shown as written, never as
            // markup.
            if (!IsMarked(index.row()))
                return platform::PlainToolTip(text);
            return platform::PlainToolTip(text.isEmpty() ? m_markNote : text + u'\n' + m_markNote);
        case Qt::BackgroundRole:
            if (!IsMarked(index.row()))
                return QVariant();
            return kMarkBackground;
        case Qt::ForegroundRole:
            return platform::ToQColor(row.color);
        case kSortRole:
            if (IsDateColumn(index.column()))
                return DateKey(index.row(), index.column());
            return text;
        default:
            return QVariant();
    }
}

QVariant ReminderGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < kColumnCount)
        return HeaderText(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString ReminderGridModel::OneLine(const QString& text) {
    // Subjects and notes may hold TABs and line breaks (a note typed over
    // several lines); a cell shows one line, and each break is one blank so
    // that the words on both sides stay apart.
    bool plain = true;
    for (QChar c : text)
        if (c == u'\t' || c == u'\r' || c == u'\n')
            plain = false;
    if (plain)
        return text;
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& c : line)
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    return line;
}

qint64 ReminderGridModel::DateKeyOf(const std::optional<QDateTime>& date) {
    return date ? date->toMSecsSinceEpoch() : kNoDate;
}

qint64 ReminderGridModel::ReadDateKey(const QString& text) {
    if (text.isEmpty())
        return kNoDate;
    return DateKeyOf(platform::Dates().ReadDate(text));
}
