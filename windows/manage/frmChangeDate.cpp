#include "windows/manage/frmChangeDate.h"

#include <QCalendarWidget>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Env.h"
#include "platform/NamedControls.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItem.h"
#include "windows/manage/ChangeDateText.h"

using platform::Named;

bool ReminderTimePicker::focusNextPrevChild(bool next) {
    // QTimeEdit would move between its sections first; here Tab leaves.
    return QWidget::focusNextPrevChild(next);
}

frmChangeDate::frmChangeDate(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmChangeDate"));
    setWindowTitle(QStringLiteral("Change Date"));
    BuildControls();
}

frmChangeDate::~frmChangeDate() = default;

void frmChangeDate::BuildControls() {
    Frame1 = Named(new QGroupBox(QStringLiteral("Follow Up Date And Time")), "Frame1");
    MonthView = Named(new QCalendarWidget, "MonthView");
    MonthView->setLocale(platform::Dates().locale());
    MonthView->setFirstDayOfWeek(platform::Dates().locale().firstDayOfWeek());
    MonthView->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Label1 = Named(new QLabel(QStringLiteral("Reminder Time:")), "Label1");
    dtpReminderTime = Named(new ReminderTimePicker, "dtpReminderTime");
    dtpReminderTime->setLocale(platform::Dates().locale());
    dtpReminderTime->setDisplayFormat(manage::TimePickerFormat());
    Label1->setBuddy(dtpReminderTime);
    cmdOk = Named(new QPushButton(QStringLiteral("&OK")), "cmdOk");
    cmdCancel = Named(new QPushButton(QStringLiteral("&Cancel")), "cmdCancel");
    cmdOk->setDefault(true);

    auto* time = new QHBoxLayout;
    time->addWidget(Label1);
    time->addWidget(dtpReminderTime, 1);
    auto* frame = new QVBoxLayout(Frame1);
    frame->addWidget(MonthView);
    frame->addLayout(time);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOk);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    auto* window = new QVBoxLayout(this);
    window->addWidget(Frame1);
    window->addLayout(buttons);
    window->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(MonthView, dtpReminderTime);
    setTabOrder(dtpReminderTime, cmdOk);
    setTabOrder(cmdOk, cmdCancel);

    cmdOk->installEventFilter(this);
    connect(cmdOk, &QPushButton::clicked, this, &frmChangeDate::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmChangeDate::cmdCancel_Click);
}

void frmChangeDate::setMyReminderInstance(std::shared_ptr<CReminderItem> reminder) {
    m_reminder = std::move(reminder);
}

void frmChangeDate::setVisible(bool visible) {
    const bool loading = visible && !m_loaded;
    if (loading)
        Form_Load();
    QDialog::setVisible(visible);
    // The calendar, first in the tab order, has the focus (the dialog would
    // give it to its default button).
    if (loading)
        MonthView->setFocus(Qt::OtherFocusReason);
}

void frmChangeDate::done(int result) {
    if (m_loaded)
        Form_Unload();
    QDialog::done(result);
}

void frmChangeDate::Form_Load() {
    m_loaded = true;
    // Without a usable date the dialog offers the earliest time it accepts:
    // the next whole minute.
    const QDateTime now = platform::Now();
    const QDateTime next = now.addSecs(60 - now.time().second()).addMSecs(-now.time().msec());
    MonthView->setSelectedDate(next.date());
    dtpReminderTime->setTime(QTime(next.time().hour(), next.time().minute()));
    if (m_reminder) {
        try {
            const QDateTime due = platform::Dates().CDate(m_reminder->ReminderDate());
            MonthView->setSelectedDate(due.date());
            dtpReminderTime->setTime(QTime(due.time().hour(), due.time().minute()));
        } catch (...) {
            // Not a date: the controls keep the values above.
        }
    }
}

void frmChangeDate::Form_Unload() {
    m_loaded = false;
    m_reminder.reset();
}

void frmChangeDate::cmdOk_Click() {
    if (!m_loaded)
        return;
    if (!m_reminder) {
        accept();
        return;
    }
    // Each step that fails is skipped; nothing here is reported.
    QString newText;
    try {
        const QTime time = dtpReminderTime->time();
        newText = manage::ChangeDateText(
            platform::MakeDateTime(MonthView->selectedDate(), QTime(time.hour(), time.minute())));
    } catch (...) {
    }
    // The reminder's date in the same form, so that an unchanged choice gives
    // an equal text.
    QString oldText;
    try {
        oldText = manage::ChangeDateText(platform::Dates().CDate(m_reminder->ReminderDate()));
    } catch (...) {
    }
    try {
        // The chosen time has no seconds: one in the current minute is past.
        if (platform::Dates().CDate(newText) < platform::Now()) {
            platform::MessageBox().Show(kPastMessage, QStringLiteral("Chasewell"));
            return;
        }
    } catch (...) {
    }
    try {
        if (newText != oldText) {
            m_reminder->setReminderDate(newText);
            RemindTimer::SetNextTimer();
        }
    } catch (...) {
    }
    accept();
}

void frmChangeDate::cmdOk_GotFocus() {
    cmdOk_Click();
}

void frmChangeDate::cmdCancel_Click() {
    reject();
}

bool frmChangeDate::eventFilter(QObject* watched, QEvent* event) {
    // OK runs when the keyboard moves the focus onto it. A click gives the
    // focus too but runs OK through its own clicked signal (so does the
    // accelerator, which gives the focus only when it is ambiguous); the
    // focus coming back when a message box closes is no move at all.
    if (watched == cmdOk && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            cmdOk_GotFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void frmChangeDate::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
