#pragma once

// The reminder-management windows over a reminder collection in a data
// folder of its own (AlarmFixture), with the mail helper library registered
// for the follow-up messages.

#include <QCalendarWidget>
#include <QHeaderView>
#include <QTest>
#include <QTimeEdit>

#include "host/mailhelper/QxMAPIUtils.h"
#include "tests/windows/AlarmFixture.h"
#include "tests/windows/ModalPlayer.h"
#include "windows/manage/ReminderGrid.h"
#include "windows/manage/frmChangeDate.h"
#include "windows/manage/frmDisplayEx.h"
#include "windows/manage/frmViewReminders.h"

namespace testing_support {

class ManageFixture : public AlarmFixture {
protected:
    ManageFixture() { helper = host::RegisterMailHelperClasses(env.objects, model); }

    // Picks a date and time in an open change-date dialog.
    static void Choose(QWidget* dialog, const QDate& date, const QTime& time) {
        Control<QCalendarWidget>(dialog, "MonthView")->setSelectedDate(date);
        Control<QTimeEdit>(dialog, "dtpReminderTime")->setTime(time);
    }

    // Clicks a grid row (from 1) with the modifiers, as a user does.
    static void ClickRow(ReminderGrid& grid, int row,
                         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QRect cell = grid.visualRect(grid.model()->index(row - 1, 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    static void DoubleClickRow(ReminderGrid& grid, int row) {
        const QRect cell = grid.visualRect(grid.model()->index(row - 1, 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }
    static void ClickHeader(ReminderGrid& grid, int column) {
        QHeaderView* header = grid.horizontalHeader();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(x, header->height() / 2));
    }
    // The texts of one column, row 1 first.
    static QStringList Column(const ReminderGrid& grid, int column) {
        QStringList texts;
        for (int row = 1; row < grid.Rows(); ++row) texts << grid.TextMatrix(row, column);
        return texts;
    }

    std::shared_ptr<host::MailHelperLibrary> helper;
};

}  // namespace testing_support
