#include "windows/manage/frmViewReminders.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "platform/NamedControls.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItems.h"
#include "windows/manage/GridInstructions.h"
#include "windows/manage/ReminderGrid.h"
#include "windows/manage/Twips.h"
#include "windows/manage/frmDisplayEx.h"

using engine::ReportSource;
using platform::Deref;
using platform::Named;

frmViewReminders::frmViewReminders(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmViewReminders"));
    setWindowTitle(QStringLiteral("Pending Reminders"));
    BuildControls();
    m_rows = std::make_unique<GridRowOperations>(*this, *grdReminders,
                                                 GridWindowTraits::ViewReminders());
}

frmViewReminders::~frmViewReminders() {
    if (m_loaded)
        Form_Unload();
    try {
        Globals::WriteTrace("frmViewReminders.Form_Terminate", "Terminate called");
    } catch (...) {
        // Nothing may leave a destructor; nobody is left to report to.
    }
}

void frmViewReminders::BuildControls() {
    const GridWindowTraits traits = GridWindowTraits::ViewReminders();
    frameCommands = Named(new QGroupBox(QStringLiteral("Commands")), "frameCommands");
    cmdChangeReminderTime =
        Named(new QPushButton(QStringLiteral("Change &Reminder Time")), "cmdChangeReminderTime");
    cmdDelete = Named(new QPushButton(QStringLiteral("&Delete")), "cmdDelete");
    cmdCreate = Named(new QPushButton(QStringLiteral("&Create Email")), "cmdCreate");
    cmdView = Named(new QPushButton(QStringLiteral("&View Original")), "cmdView");
    cmdOk = Named(new QPushButton(QStringLiteral("E&xit")), "cmdOk");
    grdReminders = new ReminderGrid(traits.textKind);

    auto* commands = new QVBoxLayout(frameCommands);
    for (QPushButton* button : {cmdChangeReminderTime, cmdDelete, cmdCreate, cmdView, cmdOk})
        commands->addWidget(button);
    commands->addStretch();
    const GridInstructions instructions = GridInstructions::Build();
    frameInstructions = instructions.frameInstructions;
    Label1 = instructions.Label1;
    Label2 = instructions.Label2;
    Label3 = instructions.Label3;

    auto* side = new QVBoxLayout;
    side->addWidget(frameCommands);
    side->addWidget(frameInstructions, 1);
    frameInstructions->setMaximumWidth(manage::TwipsToPixels(3000));
    auto* window = new QHBoxLayout(this);
    window->addLayout(side);
    window->addWidget(grdReminders, 1);
    // Room for every visible column at its width.
    int gridWidth = 0;
    for (int column = 0; column < ReminderGridModel::kColumnCount; ++column)
        gridWidth += manage::TwipsToPixels(grdReminders->ColWidth(column));
    grdReminders->setMinimumSize(gridWidth + 24, manage::TwipsToPixels(4000));

    connect(cmdChangeReminderTime, &QPushButton::clicked, this,
            &frmViewReminders::cmdChangeReminderTime_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmViewReminders::cmdDelete_Click);
    connect(cmdCreate, &QPushButton::clicked, this, &frmViewReminders::cmdCreate_Click);
    connect(cmdView, &QPushButton::clicked, this, &frmViewReminders::cmdView_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmViewReminders::cmdOk_Click);
    connect(grdReminders, &ReminderGrid::DblClick, this, &frmViewReminders::grdReminders_DblClick);
    connect(grdReminders, &ReminderGrid::DeleteKey, this, &frmViewReminders::grdReminders_KeyDown);
}

void frmViewReminders::setEngine(std::shared_ptr<engine::IEngine> engine) {
    m_engine = std::move(engine);
}

void frmViewReminders::setVisible(bool visible) {
    if (visible && !m_loaded)
        Form_Load();
    QWidget::setVisible(visible);
}

void frmViewReminders::FillGrid() {
    if (!m_loaded) {
        // Loading fills the grid; the call still fills it as asked.
        Form_Load();
    }
    m_rows->FillGrid();
}

void frmViewReminders::Unload() {
    if (m_loaded)
        Form_Unload();
    hide();
}

void frmViewReminders::closeEvent(QCloseEvent* event) {
    if (m_loaded)
        Form_Unload();
    event->accept();
}

void frmViewReminders::Form_Load() {
    m_loaded = true;
    // Traps nothing of its own: FillGrid reports its own failures.
    m_details = new frmDisplayEx;
    connect(m_details, &frmDisplayEx::ItemChanged, this,
            &frmViewReminders::myFrmDisplayEx_ItemChanged);
    m_rows->FillGrid();
}

void frmViewReminders::Form_Unload() {
    // Cleared first: this runs once, whatever fails below.
    m_loaded = false;
    engine::Trapped(ReportSource::Fixed("Chasewell.Form_Unload"), 1,
                    [] { Globals::WriteTrace("frmViewReminders.Form_Unload", "Unload called"); });
    frmDisplayEx::Release(m_details, this);
    m_rows->StopFollowing();
    m_engine.reset();
}

void frmViewReminders::cmdChangeReminderTime_Click() {
    m_rows->ChangeReminderTime();
}

void frmViewReminders::cmdDelete_Click() {
    m_rows->DelRowSelection();
}

void frmViewReminders::cmdCreate_Click() {
    m_rows->CreateFollowUpEmail(m_engine);
}

void frmViewReminders::cmdView_Click() {
    m_rows->ViewOriginalEmail(m_engine);
}

void frmViewReminders::cmdOk_Click() {
    // The note being typed in the details window is saved with the rest.
    if (m_details)
        m_details->KeepTypedNote();
    m_rows->SaveAndClose(QStringLiteral("Chasewell.frmViewReminders.cmdOK"));
}

void frmViewReminders::grdReminders_DblClick() {
    if (m_details)
        m_rows->DblClick(*m_details, RemindTimer::NextReminderTime);
}

void frmViewReminders::grdReminders_KeyDown() {
    m_rows->DelRowSelection();
}

void frmViewReminders::myFrmDisplayEx_ItemChanged() {
    m_rows->FillGrid();
}
