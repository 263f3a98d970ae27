#include "windows/alarm/frmRemind.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "platform/NamedControls.h"
#include "platform/WindowsColour.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"
#include "windows/alarm/SnoozeChoices.h"

using engine::ReportSource;
using platform::Deref;
using platform::Named;
using platform::ValueLabel;

namespace {

const QString kTitle = QStringLiteral("Chasewell");

bool IsEnterKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

frmRemind::frmRemind(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmRemind"));
    setWindowTitle(QStringLiteral("Chasewell Alarm"));
    BuildControls();
}

frmRemind::~frmRemind() = default;

void frmRemind::BuildControls() {
    frameChasewellAlarmDetails = Named(new QGroupBox(QStringLiteral("Chasewell Alarm Details")),
                                       "frameChasewellAlarmDetails");
    Label1 = Named(new QLabel(QStringLiteral("E-mail:")), "Label1");
    Label2 = Named(new QLabel(QStringLiteral("Date Sent:")), "Label2");
    Label3 = Named(new QLabel(QStringLiteral("Subject:")), "Label3");
    Label4 = Named(new QLabel(QStringLiteral("Note:")), "Label4");
    lblEmail = ValueLabel("lblEmail");
    lblDateSent = ValueLabel("lblDateSent");
    lblSubject = ValueLabel("lblSubject");
    lblSubject->setWordWrap(true);
    txtNote = Named(new QPlainTextEdit, "txtNote");
    txtNote->setTabChangesFocus(true);
    txtNote->setFixedHeight(txtNote->fontMetrics().lineSpacing() * 4 + 12);
    txtNote->setMinimumWidth(txtNote->fontMetrics().averageCharWidth() * 48);

    Picture1 = Named(new QWidget, "Picture1");
    cmdSnooze = Named(new QPushButton(QStringLiteral("&Snooze")), "cmdSnooze");
    cmdSnoozeAll = Named(new QPushButton(QStringLiteral("Snooze &All")), "cmdSnoozeAll");
    cmdDismiss = Named(new QPushButton(QStringLiteral("&Dismiss")), "cmdDismiss");
    cboSnooze = Named(new QComboBox, "cboSnooze");
    SnoozeChoices::SetUpSnoozeBox(*cboSnooze);
    cmdViewOriginal = Named(new QPushButton(QStringLiteral("View Original...")), "cmdViewOriginal");
    cmdColors = Named(new QPushButton(QStringLiteral("C&hange Colors...")), "cmdColors");
    // Enter presses Snooze (see keyPressEvent).
    cmdSnooze->setDefault(true);

    auto* details = new QGridLayout;
    details->addWidget(Label1, 0, 0);
    details->addWidget(lblEmail, 0, 1);
    details->addWidget(Label2, 1, 0);
    details->addWidget(lblDateSent, 1, 1);
    details->addWidget(Label3, 2, 0, Qt::AlignTop);
    details->addWidget(lblSubject, 2, 1);
    details->addWidget(Label4, 3, 0, Qt::AlignTop);
    details->addWidget(txtNote, 3, 1);
    details->setColumnStretch(1, 1);

    auto* snoozeButtons = new QVBoxLayout;
    snoozeButtons->addWidget(cmdSnooze);
    snoozeButtons->addWidget(cmdSnoozeAll);
    snoozeButtons->addWidget(cmdDismiss);
    auto* otherButtons = new QVBoxLayout;
    otherButtons->addWidget(cmdViewOriginal);
    otherButtons->addWidget(cmdColors);
    otherButtons->addStretch();
    auto* holder = new QHBoxLayout(Picture1);
    holder->setContentsMargins(0, 0, 0, 0);
    holder->addLayout(snoozeButtons);
    holder->addWidget(cboSnooze, 1, Qt::AlignVCenter);
    holder->addLayout(otherButtons);

    auto* frame = new QVBoxLayout(frameChasewellAlarmDetails);
    frame->addLayout(details);
    frame->addWidget(Picture1);

    auto* window = new QVBoxLayout(this);
    window->addWidget(frameChasewellAlarmDetails);

    connect(cmdSnooze, &QPushButton::clicked, this, &frmRemind::cmdSnooze_Click);
    connect(cmdSnoozeAll, &QPushButton::clicked, this, &frmRemind::cmdSnoozeAll_Click);
    connect(cmdDismiss, &QPushButton::clicked, this, &frmRemind::cmdDismiss_Click);
    connect(cmdViewOriginal, &QPushButton::clicked, this, &frmRemind::cmdViewOriginal_Click);
    connect(cmdColors, &QPushButton::clicked, this, &frmRemind::cmdColors_Click);
}

void frmRemind::setEngine(std::shared_ptr<engine::IEngine> engine) {
    m_engine = std::move(engine);
}

void frmRemind::setMyReminderInstance(std::shared_ptr<CReminderItem> reminder) {
    m_reminder = std::move(reminder);
}

void frmRemind::setVisible(bool visible) {
    // Loading comes before the window appears, as a form loads before it is
    // shown; bringing it to the foreground at the end of the load shows it.
    if (visible && !m_loaded)
        Form_Load();
    QWidget::setVisible(visible);
}

void frmRemind::closeEvent(QCloseEvent* event) {
    if (m_loaded)
        Form_Unload();
    event->accept();
}

void frmRemind::keyPressEvent(QKeyEvent* event) {
    if (IsEnterKey(event)) {
        // Enter presses the button that has the focus, else the default one;
        // the note box keeps Enter for its line breaks, and the drop-down's
        // text box passes it on here, so that typing a snooze time and
        // pressing Enter snoozes.
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused ? focused : cmdSnooze)->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmRemind::ClearControls() {
    setWindowTitle(QStringLiteral("Chasewell Alarm"));
    lblEmail->clear();
    lblDateSent->clear();
    lblSubject->clear();
    platform::SetTextColour(*txtNote, 0);
    m_shownNote.clear();
    txtNote->clear();
}

void frmRemind::Form_Load() {
    m_loaded = true;
    // A window loaded before (the shared one) must not go on showing its
    // last reminder when this load ends early.
    ClearControls();
    // Any failure ends the load; the window shows what was filled so far.
    engine::Trapped(ReportSource::Fixed("Chasewell.frmRemind.Form_Load"), 1, [this] {
        Globals::WriteTrace("frmRemind.Form_Load", "Loading...");
        SnoozeChoices::FillSnoozeList(*cboSnooze);
        const CReminderItem& reminder = Deref(m_reminder);
        lblDateSent->setText(reminder.SentDate());
        lblEmail->setText(reminder.EmailAddress());
        lblSubject->setText(reminder.Subject());
        Globals::WriteTrace("frmRemind.Form_Load",
                            "Reminder alarm went off with subject: " + reminder.Subject());
        Globals::WriteTrace("frmRemind.Form_Load",
                            "Reminder alarm entry Id: " + reminder.EntryId());
        platform::SetTextColour(*txtNote, reminder.Color());
        m_shownNote = reminder.Note();
        m_shownNote.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        txtNote->setPlainText(m_shownNote);
        setWindowTitle("Chasewell Alarm for " + reminder.ReminderDate());
        adjustSize();
        BringToFront();
    });
}

void frmRemind::BringToFront() {
    m_inputGuard.Start();
    platform::Windows().SetForegroundWindow(this);
}

void frmRemind::Form_Unload() {
    // Cleared first: whatever ItemChanged's handlers do, this runs once.
    m_loaded = false;
    m_inputGuard.End();
    engine::TrappedSteps(ReportSource::Fixed("Chasewell.frmRemind.Form_Unload"), 1,
                         [this](engine::Steps& steps) {
                             steps.Begin(2);
                             Deref(Globals::m_ReminderItems).SaveData();
                             steps.Begin(4);
                             emit ItemChanged();
                             steps.Begin(6);
                             Globals::WriteTrace("frmRemind.Form_Unload",
                                                 "Saving data and sending change notification");
                             steps.Begin(8);
                             m_reminder.reset();
                             m_engine.reset();
                         });
    // An unloaded window holds nothing, also when a step above failed.
    m_reminder.reset();
    m_engine.reset();
}

void frmRemind::Snooze(bool all) {
    const QString procedure = all ? QStringLiteral("frmRemind.cmdSnoozeAll_Click")
                                  : QStringLiteral("frmRemind.cmdSnooze_Click");
    // A failure (a trace log or the settings store that cannot be reached)
    // is reported and leaves the window open with the reminder unchanged.
    bool snoozed = false;
    engine::Trapped(ReportSource::Fixed("Chasewell." + procedure), 1, [&] {
        const QString text = cboSnooze->currentText();
        Globals::WriteTrace(procedure, all ? "All reminders were snoozed for " + text
                                           : "A reminder was snoozed for " + text +
                                                 ".  Email: " + Deref(m_reminder).EmailAddress());
        // Remembered before it is read, so a text that is not understood is
        // still offered next time.
        SnoozeChoices::RememberSnoozeTime(text);
        const auto date = SnoozeChoices::GetSnoozeDate(text);
        if (!date) {
            platform::MessageBox().Show(SnoozeChoices::kNotUnderstoodMessage,
                                        SnoozeChoices::kMessageTitle);
            return;
        }
        CReminderItem& reminder = Deref(m_reminder);
        reminder.setReminderDate(platform::Dates().GeneralForm(*date));
        const QString note = txtNote->toPlainText();
        reminder.setNote(note == m_shownNote ? reminder.Note() : note);
        RemindTimer::SetNextTimer();
        snoozed = true;
    });
    if (snoozed)
        close();
}

void frmRemind::cmdSnooze_Click() {
    Snooze(false);
}

void frmRemind::cmdSnoozeAll_Click() {
    // Acts on this window's one reminder only, like Snooze.
    Snooze(true);
}

void frmRemind::cmdDismiss_Click() {
    engine::Trapped(ReportSource::Fixed("Chasewell.cmdDismiss"), 1, [this] {
        Globals::WriteTrace(
            "frmRemind.cmdDismiss_Click",
            "A reminder was dismissed and deleted.  Email: " + Deref(m_reminder).EmailAddress());
        Deref(Globals::m_ReminderItems).Remove(m_reminder);
    });
    // The timer is not re-armed: the reminder was due already.
    close();
}

void frmRemind::cmdViewOriginal_Click() {
    // Every step that fails leaves its result empty; the window stays open.
    std::shared_ptr<client::NameSpace> ns;
    try {
        ns = Deref(Deref(m_engine).OutlookApplication()).GetNamespace(QStringLiteral("MAPI"));
    } catch (...) {
    }
    QString entryId;
    QString storeId;
    if (m_reminder) {
        entryId = m_reminder->EntryId();
        storeId = m_reminder->StoreId();
    }
    std::shared_ptr<client::MailItem> item;
    const auto lookUp = [&](const QString& store) {
        try {
            item = std::dynamic_pointer_cast<client::MailItem>(
                Deref(ns).GetItemFromID(entryId, store));
        } catch (...) {
        }
    };
    if (entryId.isEmpty()) {
        platform::MessageBox().Show(QStringLiteral("Original message not available."), kTitle);
    } else {
        // The default store first; a message filed elsewhere needs its store.
        lookUp(QString());
        if (!item)
            lookUp(storeId);
    }
    if (item) {
        try {
            Globals::WriteTrace("Chasewell.cmdViewOriginal_Click", "About to DISPLAY");
        } catch (...) {
        }
        try {
            item->Display();
        } catch (...) {
        }
    } else {
        platform::MessageBox().Show(QStringLiteral("Could not find associated email."), kTitle);
    }
}

void frmRemind::cmdColors_Click() {
    // Cancelling, or any failure, ends this silently with nothing changed.
    try {
        const auto chosen = platform::Colours().ShowColor();
        if (!chosen)
            return;
        Deref(m_reminder).setColor(*chosen);
        platform::SetTextColour(*txtNote, *chosen);
    } catch (...) {
    }
}
