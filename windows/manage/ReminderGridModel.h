#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QDateTime>
#include <QString>
#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

class CReminderItem;

// The rows of the reminder grid: one per reminder, holding the very reminder
// object the collection holds and the texts its cells showed when the row
// was made. Cells are plain texts, as the grid windows write them; the model
// never reads the reminder again, so a row shows what the last fill (or a
// later write into a cell) put there.
//
// Six columns: ID (the reminder's position at the last fill, hidden), Email
// Address, Date Sent, Reminder Date, Subject, Notes. The two date columns
// also keep the date their text reads as, so that they sort as dates.
class ReminderGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        ColId,
        ColEmailAddress,
        ColDateSent,
        ColReminderDate,
        ColSubject,
        ColNotes,
        kColumnCount
    };

    // The sort key of a cell (a date's milliseconds since the epoch for the
    // date columns, the text otherwise).
    static constexpr int kSortRole = Qt::UserRole + 1;

    // Column data kinds, as the windows name them: the two dates sort as
    // dates; text columns carry the kind their window gives them.
    static constexpr int kDateKind = 7;

    struct Row {
        std::shared_ptr<CReminderItem> reminder;
        std::array<QString, kColumnCount> cells;
        // The text (foreground) colour of the whole row: a Windows colour
        // value, red in the low byte.
        qint32 color = 0;
        // What the two date cells read as (DateKey), Date Sent first.
        std::array<qint64, 2> dateKeys{kNoDate, kNoDate};
    };

    // The background of a marked row: a light amber that dark text of any
    // hue stays readable on.
    static inline const QColor kMarkBackground = QColor(0xFF, 0xE9, 0xB0);

    // The sort key of a cell whose text is not a date: before every date.
    static constexpr qint64 kNoDate = std::numeric_limits<qint64>::min();

    explicit ReminderGridModel(int textKind, QObject* parent = nullptr);

    static QString HeaderText(int column);
    // Widths in twips; 0 hides the column.
    static int ColWidth(int column);
    int ColDataType(int column) const;
    static bool IsDateColumn(int column) {
        return column == ColDateSent || column == ColReminderDate;
    }

    // Rows that are to stand out (the grouped alarm window's overdue
    // reminders): shown on a warm background (kMarkBackground), with `note`
    // on a line of its own in their tooltips. The text keeps its weight and
    // its reminder's colour, so a date still fits its column. The test is asked of the row each
    // time a cell is drawn, so the mark follows the clock and the reminder without a refill. An
    // empty test marks nothing.
    using RowTest = std::function<bool(const Row&)>;
    void SetRowMark(RowTest isMarked, QString note);
    bool IsMarked(int row) const;

    // Replaces every row (an empty list empties the grid).
    void SetRows(std::vector<Row> rows);
    void RemoveRow(int row);
    // Writes one cell's text (and, for a date column, the date it reads as).
    void SetCell(int row, int column, const QString& text);

    const Row& RowAt(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // The row holding that very reminder; -1 when none does.
    int RowOf(const std::shared_ptr<CReminderItem>& reminder) const;
    // The sort key of a date cell: the date as milliseconds since the epoch,
    // or kNoDate for a text that is not a date.
    qint64 DateKey(int row, int column) const {
        return m_rows[static_cast<size_t>(row)].dateKeys[DateSlot(column)];
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // What a cell shows: its text on one line (TABs and line breaks as
    // blanks); the tooltip keeps the text whole.
    static QString OneLine(const QString& text);
    // The key of a date text as the user's locale reads it.
    static qint64 ReadDateKey(const QString& text);
    static qint64 DateKeyOf(const std::optional<QDateTime>& date);

    static int DateSlot(int column) { return column == ColDateSent ? 0 : 1; }

private:
    int m_textKind;
    std::vector<Row> m_rows;
    RowTest m_isMarked;
    QString m_markNote;
};
