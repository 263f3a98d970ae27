#include "host/common/SettingsDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "addin/contracts/HostEngine.h"
#include "host/common/ProgramFiles.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/PropLoader.h"
#include "platform/Env.h"
#include "platform/NamedControls.h"

namespace host {

namespace {

const QString kTitle = QStringLiteral("Chasewell Settings");

// The settings store's description names the file and the cause.
QString SaveFailure(const QString& reason) {
    return QStringLiteral("Chasewell could not save its settings.\n\n") + reason +
           QStringLiteral(
               ".\n\nYour changes are still here: press Apply to try again, or Cancel to leave "
               "the settings as they were.");
}

}  // namespace

QString SettingsDialog::DefaultPageLibrary() {
    return ProgramLibrary(QStringLiteral("libChasewellProp.so"));
}

SettingsDialog::SettingsDialog(QWidget* parent, const QString& pageLibrary) : QDialog(parent) {
    setObjectName(QStringLiteral("SettingsDialog"));
    setWindowTitle(kTitle);

    auto* layout = new QVBoxLayout(this);
    try {
        m_page = LoadPropertyPage(pageLibrary, this);
    } catch (const ModuleLoadError& error) {
        lblPageError =
            platform::Named(new QLabel(QString::fromStdString(error.what())), "lblPageError");
        lblPageError->setTextFormat(Qt::PlainText);
        lblPageError->setWordWrap(true);
        layout->addWidget(lblPageError);
    }
    if (m_page) {
        m_page->SetHost(this);
        layout->addWidget(m_page->Widget());
        for (QWidget* control : m_page->Widget()->findChildren<QWidget*>())
            control->installEventFilter(this);
    }

    lblHotHelp = platform::Named(new QLabel, "lblHotHelp");
    lblHotHelp->setTextFormat(Qt::PlainText);
    lblHotHelp->setWordWrap(true);
    lblHotHelp->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblHotHelp->setFrameShape(QFrame::StyledPanel);
    lblHotHelp->setMargin(6);
    lblHotHelp->setMinimumHeight(lblHotHelp->fontMetrics().lineSpacing() * 3 + 14);
    layout->addWidget(lblHotHelp);

    auto* buttons = new QDialogButtonBox;
    cmdOK = platform::Named(buttons->addButton(QDialogButtonBox::Ok), "cmdOK");
    cmdCancel = platform::Named(buttons->addButton(QDialogButtonBox::Cancel), "cmdCancel");
    cmdApply = platform::Named(buttons->addButton(QDialogButtonBox::Apply), "cmdApply");
    cmdOK->setDefault(true);
    cmdApply->setEnabled(false);
    // Clicking Cancel leaves the focus where it is, so that leaving a box
    // the page checks on the way out does not complain about edits that are
    // about to be discarded.
    cmdCancel->setFocusPolicy(Qt::TabFocus);
    layout->addWidget(buttons);
    connect(cmdOK, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &SettingsDialog::reject);
    connect(cmdApply, &QPushButton::clicked, this, &SettingsDialog::cmdApply_Click);
}

void SettingsDialog::OnStatusChange() {
    cmdApply->setEnabled(true);
}

void SettingsDialog::SetHotHelp(QString& title, QString& text) {
    lblHotHelp->setText(title.isEmpty() ? text : title + u'\n' + text);
}

bool SettingsDialog::ApplyPage() {
    if (!m_page)
        return true;
    try {
        m_page->Apply();
    } catch (...) {
        platform::MessageBox().Show(SaveFailure(platform::CurrentErrorDescription()), kTitle);
        return false;
    }
    cmdApply->setEnabled(false);
    return true;
}

void SettingsDialog::cmdApply_Click() {
    ApplyPage();
}

void SettingsDialog::accept() {
    if (ApplyPage())
        QDialog::accept();
}

void SettingsDialog::reject() {
    if (m_page)
        m_page->LoadValues();
    cmdApply->setEnabled(false);
    QDialog::reject();
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Leave && m_page)
        m_page->SendPropMessage(QStringLiteral("ResetHelpText"), QVariant());
    return QDialog::eventFilter(watched, event);
}

}  // namespace host
