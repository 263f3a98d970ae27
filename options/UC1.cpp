#include "options/UC1.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QRadioButton>
#include <QVBoxLayout>
#include <functional>
#include <optional>

#include "addin/contracts/ErrorReport.h"
#include "options/HostCalls.h"
#include "options/Line.h"
#include "options/TimeOfDay.h"
#include "platform/Env.h"
#include "platform/NamedControls.h"

using options::kDefaultTimeOfDay;
using platform::Named;

namespace {

const QString kTitle = QStringLiteral("Chasewell");
// The add-in's section; the store compares section names without regard to
// letter case.
const QString kSection = QStringLiteral("Chasewell");
const QString kModuleName = QStringLiteral("Chasewell");

QString ApplicationName() {
    return engine::Global()->SettingsApplicationName();
}

QString ReadSetting(const char* key, const char* defaultValue) {
    return platform::Settings().GetSetting(ApplicationName(), kSection, QLatin1String(key),
                                           QLatin1String(defaultValue));
}

void SaveSetting(const char* key, const QString& value) {
    platform::Settings().SaveSetting(ApplicationName(), kSection, QLatin1String(key), value);
}

// A check box setting as the add-in reads it: the words True and False, or a
// whole number where 0 is clear and any other ticked.
bool CheckedSetting(const QString& text) {
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return platform::Dates().CLng(text) != 0;
}

QString CheckText(const QCheckBox* box) {
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

// An error that reached one of the page's event handlers: there is no caller
// to hand it to, and the page must go on working (a host that lacks an
// operation is the usual case), so it is only made visible to a developer.
void Unhandled(const char* where) {
    qWarning("UC1: %s failed: %s", where, qUtf8Printable(platform::CurrentErrorDescription()));
}

// The controls with hot help, and the number of their text in the engine's
// string table, in the order the texts are looked up.
struct Numbered {
    const char* control;
    int number;
};
constexpr Numbered kHotHelp[] = {
    {"chkRemove", 0},
    {"chkDisplayNextDate", 1},
    {"lblReminderOccursIn", 2},
    {"txtDays", 2},
    {"lblReminderOccursInUnits", 2},
    {"optUseNow", 4},
    {"optUseTime", 5},
    {"txtTimeOfDay", 5},
    {"chkIgnoreCCRecipients", 6},
};

}  // namespace

UC1::UC1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("UC1"));
    BuildControls();
}

UC1::~UC1() = default;

void UC1::BuildControls() {
    frameSettings = Named(new QGroupBox(QStringLiteral("General Settings")), "frameSettings");
    chkRemove =
        Named(new QCheckBox(QStringLiteral("Automatically remove reminders if response received")),
              "chkRemove");
    chkDisplayNextDate = Named(
        new QCheckBox(QStringLiteral("Prompt for the next reminder date (when sending with the "
                                     "Chasewell button)")),
        "chkDisplayNextDate");
    chkIgnoreCCRecipients =
        Named(new QCheckBox(
                  QStringLiteral("Ignore CC addresses (when sending with the Chasewell button)")),
              "chkIgnoreCCRecipients");
    chkDisplayIndividualReminders =
        Named(new QCheckBox(
                  QStringLiteral("Display individual reminder windows instead of grouping them")),
              "chkDisplayIndividualReminders");

    frameTimeOfDayForReminder = Named(new QGroupBox(QStringLiteral("Default Reminder Occurrences")),
                                      "frameTimeOfDayForReminder");
    lblReminderOccursIn =
        Named(new QLabel(QStringLiteral("By default, reminder occurs in")), "lblReminderOccursIn");
    txtDays = Named(new QLineEdit(QStringLiteral("7")), "txtDays");
    txtDays->setMaximumWidth(txtDays->fontMetrics().averageCharWidth() * 8 + 12);
    lblReminderOccursIn->setBuddy(txtDays);
    lblReminderOccursInUnits =
        Named(new QLabel(QStringLiteral("day(s)")), "lblReminderOccursInUnits");
    Picture1 = Named(new QWidget, "Picture1");
    optUseNow = Named(new QRadioButton(QStringLiteral("Reminder occurs at time of message sent")),
                      "optUseNow");
    optUseTime =
        Named(new QRadioButton(QStringLiteral("Reminders all occur at this time each day:")),
              "optUseTime");
    txtTimeOfDay = Named(new QLineEdit(kDefaultTimeOfDay), "txtTimeOfDay");
    txtTimeOfDay->setMaximumWidth(txtTimeOfDay->fontMetrics().averageCharWidth() * 12 + 12);
    Line4 = Named(new options::Line, "Line4");
    Line6 = Named(new options::Line, "Line6");
    Line7 = Named(new options::Line, "Line7");
    Line8 = Named(new options::Line, "Line8");

    // The two option buttons are one group: choosing one clears the other.
    m_optionGroup = new QButtonGroup(this);
    m_optionGroup->setObjectName(QStringLiteral("optUseGroup"));
    m_optionGroup->addButton(optUseNow);
    m_optionGroup->addButton(optUseTime);

    auto* settings = new QVBoxLayout(frameSettings);
    settings->addWidget(chkRemove);
    settings->addWidget(chkDisplayNextDate);
    settings->addWidget(chkIgnoreCCRecipients);
    settings->addWidget(chkDisplayIndividualReminders);

    auto* days = new QHBoxLayout;
    days->addWidget(lblReminderOccursIn);
    days->addWidget(txtDays);
    days->addWidget(lblReminderOccursInUnits);
    days->addStretch();
    auto* choices = new QGridLayout(Picture1);
    choices->setContentsMargins(0, 0, 0, 0);
    choices->addWidget(optUseNow, 0, 0, 1, 2);
    choices->addWidget(optUseTime, 1, 0);
    choices->addWidget(txtTimeOfDay, 1, 1, Qt::AlignLeft);
    choices->setColumnStretch(1, 1);
    auto* times = new QVBoxLayout(frameTimeOfDayForReminder);
    times->addLayout(days);
    times->addWidget(Line6);
    times->addWidget(Picture1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(Line7);
    page->addWidget(frameSettings);
    page->addWidget(Line4);
    page->addWidget(frameTimeOfDayForReminder);
    page->addWidget(Line8);
    page->addStretch();

    // Every change runs the change step, also the ones loading makes: the
    // loading flag is what keeps those from counting.
    for (QCheckBox* box :
         {chkRemove, chkDisplayNextDate, chkIgnoreCCRecipients, chkDisplayIndividualReminders})
        connect(box, &QCheckBox::toggled, this, &UC1::ChangeMade);
    connect(txtDays, &QLineEdit::textChanged, this, &UC1::ChangeMade);
    connect(txtTimeOfDay, &QLineEdit::textChanged, this, &UC1::ChangeMade);
    connect(optUseNow, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optUseNow_Click();
    });
    connect(optUseTime, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optUseTime_Click();
    });

    for (const Numbered& entry : kHotHelp)
        findChild<QWidget*>(QLatin1String(entry.control))->installEventFilter(this);
    txtTimeOfDay->installEventFilter(this);
}

std::vector<QWidget*> UC1::Controls() const {
    return {frameSettings,
            chkRemove,
            chkDisplayNextDate,
            chkIgnoreCCRecipients,
            chkDisplayIndividualReminders,
            frameTimeOfDayForReminder,
            lblReminderOccursIn,
            txtDays,
            lblReminderOccursInUnits,
            optUseNow,
            optUseTime,
            txtTimeOfDay,
            Picture1,
            Line4,
            Line6,
            Line7,
            Line8};
}

void UC1::SetHost(QObject* theHost) {
    host = theHost;
}

void UC1::setEnabled(bool newEnabled) {
    for (QWidget* control : Controls()) {
        if (dynamic_cast<options::Line*>(control))
            continue;
        // Set by property name, as for any kind of control.
        const QMetaObject* meta = control->metaObject();
        const int index = meta->indexOfProperty("enabled");
        if (index < 0 || !meta->property(index).write(control, newEnabled))
            throw platform::RuntimeError::NotSupported();
    }
    // The time box only takes input while its option is chosen.
    if (newEnabled)
        txtTimeOfDay->setEnabled(!optUseNow->isChecked());
}

QString UC1::SendPropMessage(const QString& theMessage, const QVariant&) {
    if (theMessage == QLatin1String("ResetHelpText"))
        currentHelpKey.clear();
    return QStringLiteral("ok");
}

void UC1::showEvent(QShowEvent* event) {
    // Values and texts are loaded once; showing the page again (another tab
    // of the dialog and back) keeps the user's edits.
    if (!m_shown) {
        m_shown = true;
        UserControl_Show();
    }
    QWidget::showEvent(event);
}

void UC1::UserControl_Show() {
    loading = true;
    try {
        LoadValues();
        engine::Global()->LoadStringTable(stringTable, kModuleName);
        helpTexts = engine::StringTable();
        for (const Numbered& entry : kHotHelp)
            helpTexts.texts.insert(
                QLatin1String(entry.control),
                engine::Global()->GetString(stringTable, QString::number(entry.number)));
        const std::pair<QWidget*, int> captions[] = {
            {frameSettings, 20},
            {chkRemove, 21},
            {chkDisplayNextDate, 22},
            {lblReminderOccursIn, 23},
            {lblReminderOccursInUnits, 24},
            {frameTimeOfDayForReminder, 27},
            {optUseNow, 28},
            {optUseTime, 29},
        };
        for (const auto& [control, number] : captions) {
            const QString text = engine::Global()->GetString(stringTable, QString::number(number));
            // A table without the text keeps the caption the page was built
            // with: a blank caption would leave a setting unexplained.
            if (text.isEmpty())
                continue;
            if (auto* frame = qobject_cast<QGroupBox*>(control))
                frame->setTitle(text);
            else if (auto* label = qobject_cast<QLabel*>(control))
                label->setText(text);
            else
                static_cast<QAbstractButton*>(control)->setText(text);
        }
    } catch (...) {
        platform::MessageBox().Show(engine::ReasonMessage(platform::CurrentErrorDescription()),
                                    kTitle);
    }
    // Also after an error: a page left loading would never count a change.
    dirty = false;
    loading = false;
}

void UC1::LoadValues() {
    // Loading inside the show keeps the show's flag up until the show ends.
    const bool wasLoading = loading;
    loading = true;
    // Each value is loaded on its own: one that cannot be read shows its
    // default (what the add-in uses for a missing value), and the others are
    // still loaded, so that an Apply after a failed load never writes back
    // values that were not read.
    std::optional<QString> failure;
    const auto step = [&failure](const std::function<void()>& load,
                                 const std::function<void()>& fallback) {
        try {
            load();
        } catch (...) {
            if (!failure)
                failure = platform::CurrentErrorDescription();
            fallback();
        }
    };
    const auto checkBox = [&step](QCheckBox* box, const char* key, const char* defaultValue) {
        step([=] { box->setChecked(CheckedSetting(ReadSetting(key, defaultValue))); },
             [=] { box->setChecked(CheckedSetting(QLatin1String(defaultValue))); });
    };

    checkBox(chkDisplayNextDate, "DisplayNext", "0");
    step([this] { txtDays->setText(ReadSetting("Days", "7")); },
         [this] { txtDays->setText(QStringLiteral("7")); });
    step([this] { txtTimeOfDay->setText(ReadSetting("TimeOfDay", "8:00 AM")); },
         [this] { txtTimeOfDay->setText(kDefaultTimeOfDay); });
    step([this] { optUseNow->setChecked(platform::Dates().CBool(ReadSetting("UseNow", "0"))); },
         [this] { optUseNow->setChecked(false); });
    step([this] { optUseTime->setChecked(!platform::Dates().CBool(ReadSetting("UseNow", "0"))); },
         [this] { optUseTime->setChecked(true); });
    txtTimeOfDay->setEnabled(!optUseNow->isChecked());
    checkBox(chkRemove, "Remove", "0");
    checkBox(chkIgnoreCCRecipients, "IgnoreCCRecipients", "1");
    checkBox(chkDisplayIndividualReminders, "DisplayIndividualReminders", "0");

    dirty = false;
    loading = wasLoading;
    if (failure) {
        QString title = QStringLiteral("Chasewell");
        try {
            title = ApplicationName();
        } catch (...) {
            // The name that could not be had is usually the failure itself.
        }
        platform::MessageBox().Show(engine::ReasonMessage(*failure), title + ".LoadValues");
    }
}

void UC1::Apply() {
    // Whatever the validation left in the box is saved: a time that could not
    // be repaired was reset to the default.
    bool cancel = false;
    txtTimeOfDay_Validate(cancel);
    SaveSetting("DisplayNext", CheckText(chkDisplayNextDate));
    SaveSetting("Days", txtDays->text());
    SaveSetting("IgnoreCCRecipients", CheckText(chkIgnoreCCRecipients));
    SaveSetting("DisplayIndividualReminders", CheckText(chkDisplayIndividualReminders));
    SaveSetting("TimeOfDay", txtTimeOfDay->text());
    SaveSetting("UseNow",
                optUseNow->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    SaveSetting("Remove", CheckText(chkRemove));
    dirty = false;
    // Days is kept as typed, but a text the add-in cannot read as a number
    // of days makes every send with a reminder fail: the user hears of it
    // now, not at the next send.
    try {
        platform::Dates().CInt(txtDays->text());
    } catch (const platform::RuntimeError&) {
        platform::MessageBox().Show(
            QStringLiteral("The number of days \"%1\" is not a whole number from -32768 to "
                           "32767.  Until it is, messages sent with a reminder get no reminder.")
                .arg(txtDays->text()),
            kTitle);
    }
}

void UC1::txtTimeOfDay_Validate(bool& Cancel) {
    const QString text = txtTimeOfDay->text();
    const std::optional<QString> repaired = options::RepairedTimeOfDay(text);
    if (repaired) {
        if (*repaired != text)
            txtTimeOfDay->setText(*repaired);
        return;
    }
    platform::MessageBox().Show(QStringLiteral("Invalid Date"), kTitle);
    Cancel = true;
    txtTimeOfDay->setText(kDefaultTimeOfDay);
}

void UC1::optUseNow_Click() {
    txtTimeOfDay->setEnabled(false);
    ChangeMade();
}

void UC1::optUseTime_Click() {
    txtTimeOfDay->setEnabled(true);
    ChangeMade();
}

void UC1::ChangeMade() {
    if (!loading) {
        dirty = true;
        try {
            if (host)
                options::CallHost(*host, "OnStatusChange", {});
        } catch (...) {
            Unhandled("OnStatusChange");
        }
    }
    try {
        hotHelpTitle.clear();
        ShowHotHelp(QString());
    } catch (...) {
        Unhandled("SetHotHelp");
    }
}

void UC1::ShowHotHelp(const QString& key) {
    if (!host)
        return;
    if (!key.isEmpty() && key == currentHelpKey)
        return;
    QString text;
    if (key.isEmpty()) {
        currentHelpKey.clear();
    } else {
        currentHelpKey = key;
        text = engine::Global()->GetString(helpTexts, key);
    }
    options::CallHost(*host, "SetHotHelp", {&hotHelpTitle, &text});
}

bool UC1::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) && watched != this) {
        try {
            ShowHotHelp(watched->objectName());
        } catch (...) {
            Unhandled("SetHotHelp");
        }
    } else if (watched == txtTimeOfDay && event->type() == QEvent::FocusOut && !m_validating) {
        // Leaving the window or opening the box's context menu is no move
        // to another control.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            m_validating = true;
            bool cancel = false;
            try {
                txtTimeOfDay_Validate(cancel);
            } catch (...) {
                Unhandled("txtTimeOfDay_Validate");
            }
            if (cancel)
                txtTimeOfDay->setFocus(Qt::OtherFocusReason);
            m_validating = false;
        }
    }
    return QWidget::eventFilter(watched, event);
}
