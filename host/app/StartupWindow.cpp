#include "host/app/StartupWindow.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace host::app {

namespace {

QTreeWidget* NewTree(const QString& name, const QStringList& headers) {
    auto* tree = new QTreeWidget;
    tree->setObjectName(name);
    tree->setHeaderLabels(headers);
    tree->setRootIsDecorated(false);
    tree->setAlternatingRowColors(true);
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return tree;
}

QGroupBox* Group(const QString& title, QWidget* content) {
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(content);
    return box;
}

}  // namespace

StartupWindow::StartupWindow(const StartupReport& report, QWidget* parent) : QDialog(parent) {
    setObjectName("StartupWindow");
    setWindowTitle(QStringLiteral("Chasewell"));

    auto* summary = new QLabel(
        QStringLiteral("Data file: %1\nNext alarm: %2")
            .arg(report.dataFile.isEmpty() ? QStringLiteral("(not loaded)") : report.dataFile,
                 report.nextAlarm.isEmpty() ? QStringLiteral("none") : report.nextAlarm));
    summary->setObjectName("lblSummary");
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_reminders = NewTree("treeReminders", {"E-mail", "Subject", "Sent", "Reminder due", "Note"});
    for (const auto& r : report.reminders)
        new QTreeWidgetItem(m_reminders,
                            {r.emailAddress, r.subject, r.sentDate, r.reminderDate, r.note});

    m_commands = NewTree("treeCommands", {"Window", "Id", "Caption", "Tooltip", "Menu"});
    for (const auto& c : report.commands)
        new QTreeWidgetItem(m_commands,
                            {c.window, QString::number(c.id), c.caption, c.tooltip, c.menu});

    m_problems = new QPlainTextEdit(report.problems.isEmpty() ? QStringLiteral("None.")
                                                              : report.problems.join('\n'));
    m_problems->setObjectName("txtProblems");
    m_problems->setReadOnly(true);
    m_problems->setMaximumHeight(90);

    auto* buttons = new QDialogButtonBox;
    m_close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::AcceptRole);
    m_close->setObjectName("cmdClose");
    m_close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(
        Group(QStringLiteral("Reminders loaded (%1)").arg(report.reminders.size()), m_reminders),
        3);
    layout->addWidget(
        Group(QStringLiteral("Commands added (%1)").arg(report.commands.size()), m_commands), 2);
    layout->addWidget(Group(QStringLiteral("Problems reported"), m_problems));
    layout->addWidget(buttons);
    resize(860, 560);
}

}  // namespace host::app
