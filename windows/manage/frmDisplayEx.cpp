#include "windows/manage/frmDisplayEx.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <optional>

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "platform/NamedControls.h"
#include "platform/WindowsColour.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItem.h"
#include "windows/manage/Twips.h"
#include "windows/manage/frmChangeDate.h"

using engine::ReportSource;
using platform::Deref;
using platform::Named;
using platform::ValueLabel;

namespace {

const QString kLeftKey = QStringLiteral("DisplayExLeft");
const QString kTopKey = QStringLiteral("DisplayExTop");

// A position in twips as the text of a single-precision number ("1500").
QString TwipsText(int pixels) {
    return QString::number(double(float(manage::PixelsToTwips(pixels))), 'g', 9);
}

// Whether enough of a window's top edge at that place lies on some screen
// for the user to see it and drag it by its title. A place off every screen
// (a screen since removed) would hide the window, which a send may be
// waiting for.
bool Reachable(const QRect& window) {
    const QRect top(window.topLeft(), QSize(window.width(), qMin(window.height(), 40)));
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = top.intersected(screen->availableGeometry());
        if (seen.width() >= 60 && seen.height() >= 10)
            return true;
    }
    return false;
}

}  // namespace

frmDisplayEx::frmDisplayEx(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDisplayEx"));
    setWindowTitle(QStringLiteral("Chasewell Created"));
    BuildControls();
}

void frmDisplayEx::Release(QPointer<frmDisplayEx>& details, QObject* opener) {
    if (!details)
        return;
    disconnect(details, nullptr, opener, nullptr);
    if (details->IsLoaded()) {
        details->KeepTypedNote();
        details->close();
    }
    details->deleteLater();
    details = nullptr;
}

frmDisplayEx::~frmDisplayEx() = default;

void frmDisplayEx::BuildControls() {
    Frame1 = Named(new QGroupBox(QStringLiteral("Chasewell Details")), "Frame1");
    Label3 = Named(new QLabel(QStringLiteral("Chasewell Date:")), "Label3");
    lblNew = ValueLabel("lblNew");
    Picture1 = Named(new QWidget, "Picture1");
    cmdDate = Named(new QPushButton(QStringLiteral("&Change Date Or Time...")), "cmdDate");
    cmdChangeColors =
        Named(new QPushButton(QStringLiteral("C&hange Colors...")), "cmdChangeColors");
    Label2 = Named(new QLabel(QStringLiteral("Add Notes:")), "Label2");
    txtNote = Named(new QPlainTextEdit, "txtNote");
    txtNote->setTabChangesFocus(true);
    txtNote->setMinimumSize(txtNote->fontMetrics().averageCharWidth() * 56,
                            txtNote->fontMetrics().lineSpacing() * 6 + 12);
    Label2->setBuddy(txtNote);
    Label1 = Named(new QLabel(QStringLiteral("Note: Next reminder will occur on:")), "Label1");
    lblNext = ValueLabel("lblNext");
    cmdOk = Named(new QPushButton(QStringLiteral("E&xit")), "cmdOk");

    auto* holder = new QVBoxLayout(Picture1);
    holder->setContentsMargins(0, 0, 0, 0);
    holder->addWidget(cmdDate);
    holder->addWidget(cmdChangeColors);

    auto* frame = new QGridLayout(Frame1);
    frame->addWidget(Label3, 0, 0, Qt::AlignTop);
    frame->addWidget(lblNew, 0, 1, Qt::AlignTop);
    frame->addWidget(Picture1, 0, 2);
    frame->addWidget(Label2, 1, 0, 1, 3);
    frame->addWidget(txtNote, 2, 0, 1, 3);
    frame->setColumnStretch(1, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label1);
    bottom->addWidget(lblNext);
    bottom->addStretch();
    bottom->addWidget(cmdOk);

    auto* window = new QVBoxLayout(this);
    window->addWidget(Frame1, 1);
    window->addLayout(bottom);
    adjustSize();

    connect(cmdChangeColors, &QPushButton::clicked, this, &frmDisplayEx::cmdChangeColors_Click);
    connect(cmdDate, &QPushButton::clicked, this, &frmDisplayEx::cmdDate_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmDisplayEx::cmdOk_Click);
    connect(txtNote, &QPlainTextEdit::textChanged, this, &frmDisplayEx::txtNote_Change);
}

void frmDisplayEx::setMyReminderInstance(std::shared_ptr<CReminderItem> reminder) {
    m_reminder = std::move(reminder);
}

void frmDisplayEx::setStillPending(std::function<bool()> stillPending) {
    m_stillPending = std::move(stillPending);
}

bool frmDisplayEx::StillPending() {
    if (!m_stillPending || m_stillPending())
        return true;
    platform::MessageBox().Show(kGoneMessage, QStringLiteral("Chasewell"));
    return false;
}

void frmDisplayEx::KeepTypedNote() {
    if (!m_loaded || !m_reminder)
        return;
    const QString note = txtNote->toPlainText();
    // Unedited, or the reminder is gone (a list closing has nobody to tell).
    if (note == m_shownNote || (m_stillPending && !m_stillPending()))
        return;
    m_reminder->setNote(note);
    m_shownNote = note;
}

void frmDisplayEx::setMyNextReminderTime(const QString& text) {
    m_nextReminderTime = text;
}

void frmDisplayEx::setVisible(bool visible) {
    if (visible && !m_loaded)
        Form_Load();
    QDialog::setVisible(visible);
}

void frmDisplayEx::done(int result) {
    if (m_loaded)
        Form_Unload();
    QDialog::done(result);
}

void frmDisplayEx::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QPoint frmDisplayEx::DesignTimePosition() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QPoint(0, 0);
    const QRect area = screen->availableGeometry();
    return area.center() - QPoint(width() / 2, height() / 2);
}

void frmDisplayEx::ClearControls() {
    lblNew->clear();
    lblNext->clear();
    platform::SetTextColour(*txtNote, 0);
    m_shownNote.clear();
    txtNote->clear();
}

void frmDisplayEx::SetNewCaption(const QString& text) {
    if (lblNew->text() == text)
        return;
    lblNew->setText(text);
    lblNew_Change();
}

void frmDisplayEx::Form_Load() {
    m_loaded = true;
    m_dateShown = false;
    // A window loaded before must not go on showing its last reminder when
    // this load ends early.
    ClearControls();
    m_changed = false;
    std::optional<QPoint> stored;
    bool foreground = false;
    // Any failure ends the load; the window shows what was filled so far.
    engine::Trapped(ReportSource::Fixed("Chasewell.frmDisplayEx.Form_Load"), 1, [&] {
        Globals::WriteTrace("frmDisplayEx.Form_Load", "Loading...");
        const CReminderItem& reminder = Deref(m_reminder);
        SetNewCaption(reminder.ReminderDate());
        m_dateShown = true;
        lblNext->setText(m_nextReminderTime);
        platform::SetTextColour(*txtNote, reminder.Color());
        m_shownNote = reminder.Note();
        m_shownNote.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        txtNote->setPlainText(m_shownNote);
        // Filling the controls is no change of the user's.
        m_changed = false;
        foreground = true;
        const qint32 left = Globals::DisplayExLeft();
        const qint32 top = Globals::DisplayExTop();
        if (left != -1 && top != -1)
            stored = QPoint(manage::TwipsToPixels(left), manage::TwipsToPixels(top));
    });
    // The window opens at its design-time size, at the remembered place when
    // there is one the user can see, else at its design-time place.
    ensurePolished();
    adjustSize();
    move(stored && Reachable(QRect(*stored, frameGeometry().size())) ? *stored
                                                                     : DesignTimePosition());
    // Brought to the front once in place, so it does not appear elsewhere
    // first.
    if (foreground)
        platform::Windows().SetForegroundWindow(this);
}

void frmDisplayEx::Form_Unload() {
    // Cleared first: whatever ItemChanged's handlers do, this runs once.
    m_loaded = false;
    // The next opener gives its own test, or none.
    m_stillPending = nullptr;
    engine::Trapped(ReportSource::Fixed("Chasewell.frmDisplayEx.Form_Unload"), 1, [this] {
        if (m_changed)
            emit ItemChanged();
        m_reminder.reset();
        Globals::SaveSetting(Globals::kSection, kLeftKey, TwipsText(x()));
        Globals::SaveSetting(Globals::kSection, kTopKey, TwipsText(y()));
    });
    m_reminder.reset();
}

void frmDisplayEx::cmdChangeColors_Click() {
    if (!StillPending())
        return;
    // Cancelling, or any failure, ends this silently with nothing changed.
    try {
        const auto chosen = platform::Colours().ShowColor();
        if (!chosen)
            return;
        Deref(m_reminder).setColor(*chosen);
        platform::SetTextColour(*txtNote, *chosen);
        m_changed = true;
    } catch (...) {
    }
}

void frmDisplayEx::cmdDate_Click() {
    if (!StillPending())
        return;
    engine::Trapped(ReportSource::Fixed("Chasewell.frmDisplayEx.cmdDate_Click"), 1, [this] {
        const QPointer<frmDisplayEx> self(this);
        const QPointer<frmChangeDate> dialog = new frmChangeDate(this);
        dialog->setMyReminderInstance(m_reminder);
        dialog->exec();
        // Closed underneath the dialog (the add-in shutting down).
        if (!self)
            return;
        delete dialog;
        // Whether confirmed or not, the labels show what now holds: the
        // dialog may have re-armed the timer for another reminder.
        SetNewCaption(Deref(m_reminder).ReminderDate());
        m_dateShown = true;
        lblNext->setText(RemindTimer::NextReminderTime);
    });
}

void frmDisplayEx::cmdOk_Click() {
    // Gone meanwhile: nothing typed here could be kept, and the user hears so.
    if (m_reminder && !StillPending()) {
        close();
        return;
    }
    if (m_reminder) {
        if (m_dateShown)
            m_reminder->setReminderDate(lblNew->text());
        const QString note = txtNote->toPlainText();
        m_reminder->setNote(note == m_shownNote ? m_reminder->Note() : note);
    }
    close();
}

void frmDisplayEx::lblNew_Change() {
    m_changed = true;
}

void frmDisplayEx::txtNote_Change() {
    m_changed = true;
}
