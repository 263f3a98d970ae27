#include "windows/alarm/frmRemindMultiple.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "platform/NamedControls.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"
#include "windows/alarm/SnoozeChoices.h"
#include "windows/manage/GridInstructions.h"
#include "windows/manage/ReminderGrid.h"
#include "windows/manage/Twips.h"
#include "windows/manage/frmDisplayEx.h"

using engine::ReportSource;
using platform::Deref;
using platform::Named;
using Col = ReminderGridModel::Column;

namespace {

const QString kTitle = QStringLiteral("Chasewell");
const QString kSnoozeTrace = QStringLiteral("frmRemindMultiple.cmdSnooze_Click");
// The source the window has always given its Exit and colour reports.
const QString kOkSource = QStringLiteral("Chasewell.frmReminderMultiple.cmdOK");

}  // namespace

frmRemindMultiple::frmRemindMultiple(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmRemindMultiple"));
    setWindowTitle(kTitle);
    BuildControls();
    m_rows = std::make_unique<GridRowOperations>(*this, *grdReminders,
                                                 GridWindowTraits::RemindMultiple());
    grdReminders->GridModel().SetRowMark(
        [](const ReminderGridModel::Row& row) { return row.reminder && IsOverdue(*row.reminder); },
        kOverdueNote);
}

frmRemindMultiple::~frmRemindMultiple() {
    if (m_loaded)
        Form_Unload();
    try {
        Globals::WriteTrace("frmViewReminders.Form_Terminate", "Terminate called");
    } catch (...) {
        // Nothing may leave a destructor; nobody is left to report to.
    }
}

void frmRemindMultiple::BuildControls() {
    frameChasewellAlarmDetails = Named(new QGroupBox(QStringLiteral("Chasewell Alarm Details")),
                                       "frameChasewellAlarmDetails");
    cboSnooze = Named(new QComboBox, "cboSnooze");
    SnoozeChoices::SetUpSnoozeBox(*cboSnooze);
    cmdSnooze = Named(new QPushButton(QStringLiteral("&Snooze")), "cmdSnooze");
    cmdSnoozeAll = Named(new QPushButton(QStringLiteral("Snooze &All")), "cmdSnoozeAll");
    cmdDismiss = Named(new QPushButton(QStringLiteral("&Dismiss")), "cmdDismiss");
    cmdDismissAll = Named(new QPushButton(QStringLiteral("Dismiss All &Overdue")), "cmdDismissAll");
    cmdViewOriginal = Named(new QPushButton(QStringLiteral("View Original...")), "cmdViewOriginal");
    cmdChangeColors =
        Named(new QPushButton(QStringLiteral("C&hange Colors...")), "cmdChangeColors");
    cmdOk = Named(new QPushButton(QStringLiteral("E&xit")), "cmdOk");
    lblOverdue = Named(new QLabel(QStringLiteral("Overdue reminders are shaded.  Snooze All and "
                                                 "Dismiss All Overdue act on these only.")),
                       "lblOverdue");
    // On the shade it speaks of, as a legend.
    QPalette legend = lblOverdue->palette();
    legend.setColor(QPalette::Window, ReminderGridModel::kMarkBackground);
    legend.setColor(QPalette::WindowText, Qt::black);
    lblOverdue->setPalette(legend);
    lblOverdue->setAutoFillBackground(true);
    lblOverdue->setMargin(3);
    grdReminders = new ReminderGrid(GridWindowTraits::RemindMultiple().textKind);

    // The snooze box above its two buttons, then the pairs: each "all"
    // button beside the one for the selected rows.
    auto* details = new QGridLayout(frameChasewellAlarmDetails);
    details->addWidget(cboSnooze, 0, 0, 1, 2);
    details->addWidget(cmdSnooze, 1, 0);
    details->addWidget(cmdSnoozeAll, 1, 1);
    details->addWidget(cmdDismiss, 2, 0);
    details->addWidget(cmdDismissAll, 2, 1);
    details->addWidget(cmdViewOriginal, 3, 0);
    details->addWidget(cmdChangeColors, 3, 1);

    const GridInstructions instructions = GridInstructions::Build({lblOverdue});
    frameInstructions = instructions.frameInstructions;
    Label1 = instructions.Label1;
    Label2 = instructions.Label2;
    Label3 = instructions.Label3;

    auto* side = new QVBoxLayout;
    side->addWidget(frameChasewellAlarmDetails);
    side->addWidget(frameInstructions, 1);
    side->addWidget(cmdOk);
    frameInstructions->setMaximumWidth(manage::TwipsToPixels(4000));
    auto* window = new QHBoxLayout(this);
    window->addLayout(side);
    window->addWidget(grdReminders, 1);
    // Room for every visible column at its width.
    int gridWidth = 0;
    for (int column = 0; column < ReminderGridModel::kColumnCount; ++column)
        gridWidth += manage::TwipsToPixels(grdReminders->ColWidth(column));
    grdReminders->setMinimumSize(gridWidth + 24, manage::TwipsToPixels(3600));

    connect(cmdSnooze, &QPushButton::clicked, this, &frmRemindMultiple::cmdSnooze_Click);
    connect(cmdSnoozeAll, &QPushButton::clicked, this, &frmRemindMultiple::cmdSnoozeAll_Click);
    connect(cmdDismiss, &QPushButton::clicked, this, &frmRemindMultiple::cmdDismiss_Click);
    connect(cmdDismissAll, &QPushButton::clicked, this, &frmRemindMultiple::cmdDismissAll_Click);
    connect(cmdViewOriginal, &QPushButton::clicked, this,
            &frmRemindMultiple::cmdViewOriginal_Click);
    connect(cmdChangeColors, &QPushButton::clicked, this,
            &frmRemindMultiple::cmdChangeColors_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmRemindMultiple::cmdOk_Click);
    connect(grdReminders, &ReminderGrid::DblClick, this, &frmRemindMultiple::grdReminders_DblClick);
    connect(grdReminders, &ReminderGrid::DeleteKey, this, &frmRemindMultiple::grdReminders_KeyDown);
}

bool frmRemindMultiple::IsOverdue(const CReminderItem& reminder) {
    try {
        const auto due = reminder.ReminderDateValue();
        return due && *due < platform::Now().addSecs(RemindTimer::kOverdueWindowSeconds);
    } catch (const platform::RuntimeError&) {
        // The alarm timer reports such a date; it never falls due.
        return false;
    }
}

void frmRemindMultiple::setEngine(std::shared_ptr<engine::IEngine> engine) {
    m_engine = std::move(engine);
}

void frmRemindMultiple::setVisible(bool visible) {
    if (visible && !m_loaded)
        Form_Load();
    QWidget::setVisible(visible);
}

void frmRemindMultiple::Load() {
    if (!m_loaded)
        Form_Load();
}

void frmRemindMultiple::Unload() {
    if (m_loaded)
        Form_Unload();
    hide();
}

void frmRemindMultiple::closeEvent(QCloseEvent* event) {
    if (m_loaded)
        Form_Unload();
    event->accept();
}

void frmRemindMultiple::BringToFront() {
    m_inputGuard.Start();
    // Rows may have fallen due since they were last drawn.
    grdReminders->viewport()->update();
    platform::Windows().SetForegroundWindow(this);
}

void frmRemindMultiple::FillGrid() {
    m_rows->FillGrid();
}

void frmRemindMultiple::Form_Load() {
    m_loaded = true;
    // Traps nothing of its own: FillGrid reports its own failures, and a
    // snooze list that cannot be read is the opener's to report.
    setWindowTitle(kTitle);
    m_details = new frmDisplayEx;
    connect(m_details, &frmDisplayEx::ItemChanged, this,
            &frmRemindMultiple::myFrmDisplayEx_ItemChanged);
    m_rows->FillGrid();
    SnoozeChoices::FillSnoozeList(*cboSnooze);
    setWindowTitle(QStringLiteral("Chasewell Alarms"));
    BringToFront();
}

void frmRemindMultiple::Form_Unload() {
    // Cleared first: this runs once, whatever fails below.
    m_loaded = false;
    m_inputGuard.End();
    engine::Trapped(ReportSource::Fixed("Chasewell.Form_Unload"), 1,
                    [] { Globals::WriteTrace("frmViewReminders.Form_Unload", "Unload called"); });
    frmDisplayEx::Release(m_details, this);
    // An unloaded window holds no reminders; the next load fills it afresh.
    m_rows->StopFollowing();
    m_rows->SetupGrid();
    m_engine.reset();
}

void frmRemindMultiple::Snooze(bool all) {
    const ReportSource source =
        ReportSource::Fixed(all ? QStringLiteral("Chasewell.frmRemindMultiple.cmdSnoozeAll")
                                : QStringLiteral("Chasewell.frmRemindMultiple.cmdSnooze"));
    engine::TrappedSteps(source, 1, [&](engine::Steps& steps) {
        steps.Begin(0);
        const QString text = cboSnooze->currentText();
        Globals::WriteTrace(kSnoozeTrace, (all ? QStringLiteral("All reminders were snoozed for ")
                                               : QStringLiteral("A reminder was snoozed for ")) +
                                              text);
        std::vector<int> rows;
        if (!all) {
            rows = grdReminders->SelectedRowList();
            if (rows.empty()) {
                platform::MessageBox().Show(GridRowOperations::kSelectRowMessage, kTitle);
                return;
            }
        }
        // Remembered before it is read, so a text that is refused is still
        // offered next time.
        SnoozeChoices::RememberSnoozeTime(text);

        // The text is split once, before any row is touched: a count that is
        // no number stops the whole snooze here, while a unit word that is
        // not understood is answered for each row.
        steps.Begin(2);
        const qsizetype blank = text.indexOf(u' ');
        const auto interval =
            SnoozeChoices::SnoozeUnit((blank < 0 ? text : text.mid(blank + 1)).toLower());
        steps.Begin(4);
        if (blank < 0)
            throw platform::RuntimeError::InvalidProcedureCall();
        const qint32 count = SnoozeChoices::SnoozeCount(text.left(blank));

        // Snooze All puts off only what is overdue: a reminder due next month
        // must not be pulled forward to now plus the interval.
        steps.Begin(5);
        if (all) {
            for (int row = 1; row < grdReminders->Rows(); ++row)
                if (IsOverdue(Deref(grdReminders->Reminder(row))))
                    rows.push_back(row);
        }
        // The very reminders, taken now: a message box shown for one row runs
        // the event loop, and the grid must act on the rows as they were.
        std::vector<std::pair<int, std::shared_ptr<CReminderItem>>> chosen;
        for (int row : rows) chosen.emplace_back(row, grdReminders->Reminder(row));
        // Rows the user chose whose reminder is gone meanwhile: nothing is
        // snoozed. (The overdue rows Snooze All takes are those still there.)
        if (!all) {
            std::vector<std::shared_ptr<CReminderItem>> selected;
            for (const auto& entry : chosen) selected.push_back(entry.second);
            if (!m_rows->StillPending(selected))
                return;
        } else {
            std::erase_if(chosen, [](const auto& entry) {
                return !Globals::m_ReminderItems ||
                       !GridRowOperations::InCollection(*Globals::m_ReminderItems, entry.second);
            });
        }

        for (const auto& [row, reminder] : chosen) {
            steps.Begin(6);
            Globals::WriteTrace(kSnoozeTrace, "My Row = " + QString::number(row));
            steps.Begin(8);
            if (all) {
                const int shown = grdReminders->RowOf(reminder);
                Globals::WriteTrace(
                    kSnoozeTrace,
                    "My Unique ID = " +
                        (shown ? grdReminders->TextMatrix(shown, Col::ColId) : QString()));
            }
            steps.Begin(10);
            CReminderItem& item = Deref(reminder);
            if (interval) {
                const QDateTime date =
                    platform::LocaleDates::DateAdd(*interval, count, platform::Now());
                item.setReminderDate(platform::Dates().GeneralForm(date));
            } else {
                platform::MessageBox().Show(SnoozeChoices::kNotUnderstoodMessage,
                                            SnoozeChoices::kMessageTitle);
            }
            steps.Begin(12);
            if (const int shown = grdReminders->RowOf(reminder))
                grdReminders->SetTextMatrix(shown, Col::ColReminderDate,
                                            GridRowOperations::ReminderDateCell(item).first);
        }
        steps.Begin(14);
        RemindTimer::SetNextTimer();
        steps.Begin(16);
        m_rows->FillGrid();
        update();
    });
}

void frmRemindMultiple::cmdSnooze_Click() {
    Snooze(false);
}

void frmRemindMultiple::cmdSnoozeAll_Click() {
    Snooze(true);
}

void frmRemindMultiple::cmdDismiss_Click() {
    // Dismissing is deleting, and the next reminder may be among those gone.
    m_rows->DelRowSelection(true);
}

void frmRemindMultiple::cmdDismissAll_Click() {
    engine::Trapped(ReportSource::Fixed("Chasewell.DismissAll"), 1, [&] {
        Globals::WriteTrace("frmRemindMultiple.cmdDismiss_All",
                            "All overdue reminders were dismissed. ");
        // Only what is overdue now: a reminder not yet due is never deleted
        // for being listed here.
        std::vector<int> overdue;
        for (int row = 1; row < grdReminders->Rows(); ++row)
            if (IsOverdue(Deref(grdReminders->Reminder(row))))
                overdue.push_back(row);
        m_rows->RemoveRows(overdue);
        RemindTimer::SetNextTimer();
    });
}

void frmRemindMultiple::cmdChangeColors_Click() {
    engine::Trapped(ReportSource::Fixed(kOkSource), 1, [&] {
        // The colour is asked for first; cancelling is reported and changes
        // nothing.
        const auto chosen = platform::Colours().ShowColor();
        if (!chosen)
            throw platform::RuntimeError::CancelError();
        const std::vector<int> selected = grdReminders->SelectedRowList();
        if (selected.empty()) {
            Globals::WriteTrace("frmRemindMultiple.cmdChangeColorsClick", "No rows were selected");
            platform::MessageBox().Show(
                QStringLiteral("Please select at least one row.  Please try again."), kTitle);
        } else {
            std::vector<std::shared_ptr<CReminderItem>> reminders;
            for (int row : selected) reminders.push_back(grdReminders->Reminder(row));
            if (!m_rows->StillPending(reminders))
                return;
            for (const auto& reminder : reminders) Deref(reminder).setColor(*chosen);
        }
        m_rows->FillGrid();
        update();
    });
}

void frmRemindMultiple::cmdViewOriginal_Click() {
    m_rows->ViewOriginalEmail(m_engine);
}

void frmRemindMultiple::cmdOk_Click() {
    // The note being typed in the details window is saved with the rest.
    if (m_details)
        m_details->KeepTypedNote();
    m_rows->SaveAndClose(kOkSource);
}

void frmRemindMultiple::grdReminders_DblClick() {
    if (m_details)
        m_rows->DblClick(*m_details, RemindTimer::NextReminderTime);
}

void frmRemindMultiple::grdReminders_KeyDown() {
    // The Delete key deletes without re-arming the timer (Dismiss does).
    m_rows->DelRowSelection();
}

void frmRemindMultiple::myFrmDisplayEx_ItemChanged() {
    m_rows->FillGrid();
}
