#include "host/app/MessageView.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "host/app/AttachmentFiles.h"
#include "host/app/SafeTextBrowser.h"

namespace host::app {

namespace {

QLabel* Field(const QString& name) {
    auto* label = new QLabel;
    label->setObjectName(name);
    // Addresses and subjects come from mail: never markup.
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QString AddressesOfType(const HostMailItem& mail, qint32 type) {
    QStringList addresses;
    auto recipients = mail.RecipientList();
    for (qint32 i = 1; i <= recipients->Count(); ++i) {
        auto recipient = recipients->Item(i);
        if (recipient->Type() == type)
            addresses << recipient->Address();
    }
    return addresses.join(QStringLiteral("; "));
}

QString DefaultSaveFolder() {
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return downloads.isEmpty() ? QDir::homePath() : downloads;
}

}  // namespace

MessageView::MessageView(QWidget* parent) : QWidget(parent) {
    setObjectName("MessageView");
    m_subject = Field("lblSubject");
    QFont bold = m_subject->font();
    bold.setBold(true);
    m_subject->setFont(bold);
    m_from = Field("lblFrom");
    m_to = Field("lblTo");
    m_cc = Field("lblCC");
    m_bcc = Field("lblBCC");
    m_sent = Field("lblSent");
    m_notice = Field("lblReadingNotice");
    QFont italic = m_notice->font();
    italic.setItalic(true);
    m_notice->setFont(italic);
    m_body = new SafeTextBrowser;
    m_body->setObjectName("txtBody");
    m_body->inlinePart = [this](const QString& contentId) -> QByteArray {
        if (m_mail)
            for (const auto& attachment : m_mail->Attachments())
                if (attachment.contentId.compare(contentId, Qt::CaseInsensitive) == 0)
                    return attachment.data;
        return QByteArray();
    };

    m_attachments = new QListWidget;
    m_attachments->setObjectName("lstAttachments");
    m_attachments->setMaximumHeight(72);
    m_attachments->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* saveAction = new QAction(QStringLiteral("&Save Attachment..."), m_attachments);
    saveAction->setObjectName("actSaveAttachment");
    m_attachments->addAction(saveAction);
    connect(saveAction, &QAction::triggered, this, [this] { SaveChosen(); });
    connect(m_attachments, &QListWidget::itemActivated, this, [this] { SaveChosen(); });
    m_saveAttachment = new QPushButton(QStringLiteral("Save &Attachment..."));
    m_saveAttachment->setObjectName("cmdSaveAttachment");
    connect(m_saveAttachment, &QPushButton::clicked, this, [this] { SaveChosen(); });
    m_attachmentBox = new QWidget;
    auto* attachmentRow = new QHBoxLayout(m_attachmentBox);
    attachmentRow->setContentsMargins(0, 0, 0, 0);
    attachmentRow->addWidget(m_attachments, 1);
    attachmentRow->addWidget(m_saveAttachment, 0, Qt::AlignTop);

    m_form = new QFormLayout;
    m_form->addRow(QStringLiteral("From:"), m_from);
    m_form->addRow(QStringLiteral("To:"), m_to);
    m_form->addRow(QStringLiteral("Cc:"), m_cc);
    m_form->addRow(QStringLiteral("Bcc:"), m_bcc);
    m_form->addRow(QStringLiteral("Date:"), m_sent);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_subject);
    layout->addLayout(m_form);
    layout->addWidget(m_notice);
    layout->addWidget(m_body, 1);
    layout->addWidget(m_attachmentBox);

    chooseSavePath = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save Attachment"),
                                            DefaultSaveFolder() + '/' + suggested);
    };
    Show(nullptr);
}

void MessageView::Show(const std::shared_ptr<HostMailItem>& mail, const QString& userAddress) {
    m_mail = mail;
    m_listed.clear();
    m_attachments->clear();
    m_body->ClearRequested();
    if (!mail) {
        for (QLabel* label : {m_subject, m_from, m_to, m_cc, m_bcc, m_sent, m_notice})
            label->clear();
        m_body->clear();
        m_form->setRowVisible(m_cc, false);
        m_form->setRowVisible(m_bcc, false);
        m_notice->hide();
        m_attachmentBox->hide();
        return;
    }
    m_subject->setText(mail->Subject());
    m_from->setText(mail->Sender() ? mail->Sender()->Address() : userAddress);
    m_to->setText(AddressesOfType(*mail, client::olTo));
    m_cc->setText(AddressesOfType(*mail, client::olCC));
    m_bcc->setText(AddressesOfType(*mail, client::olBCC));
    m_form->setRowVisible(m_cc, !m_cc->text().isEmpty());
    m_form->setRowVisible(m_bcc, !m_bcc->text().isEmpty());
    m_sent->setText(mail->SentOn().toString(QStringLiteral("yyyy-MM-dd hh:mm")));

    // Reading the content may add to the notice (a file that went missing).
    const QString body = mail->Body();
    const QString html = mail->HtmlBody();
    if (body.isEmpty() && !html.isEmpty())
        m_body->setHtml(html);
    else
        m_body->setPlainText(body);
    m_notice->setText(mail->ReadingNotice());
    m_notice->setVisible(!m_notice->text().isEmpty());

    for (const auto& attachment : mail->Attachments()) {
        if (attachment.inlinePart)
            continue;
        m_listed.push_back(&attachment);
        m_attachments->addItem(AttachmentCaption(attachment));
    }
    m_attachmentBox->setVisible(!m_listed.empty());
    if (!m_listed.empty())
        m_attachments->setCurrentRow(0);
}

bool MessageView::SaveChosen() {
    return SaveAttachment(std::max(0, m_attachments->currentRow()));
}

bool MessageView::SaveAttachment(int row) {
    if (row < 0 || row >= static_cast<int>(m_listed.size()))
        return false;
    // The message may be shown elsewhere meanwhile; the bytes are its own.
    const HostAttachment attachment = *m_listed[static_cast<size_t>(row)];
    const QString path = chooseSavePath ? chooseSavePath(SafeFileName(attachment.name)) : QString();
    if (path.isEmpty())
        return false;
    QString error;
    if (!host::app::SaveAttachment(attachment, path, error)) {
        if (onError)
            onError(error);
        return false;
    }
    return true;
}

}  // namespace host::app
