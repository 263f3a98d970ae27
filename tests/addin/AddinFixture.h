#pragma once

// The add-in running in the substitute engine over an in-memory mailbox,
// with the fake platform: the way the mail client drives it.

#include <QFile>

#include "addin/CChasewell.h"
#include "host/engine/HxEngine.h"
#include "host/engine/MailConnection.h"
#include "host/mail/MailModel.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "store/CReminderItems.h"
#include "tests/support/EngineFixture.h"

namespace testing_support {

class AddinFixture : public EngineFixture {
protected:
    AddinFixture() {
        host::ConnectEngine(*model, engineObject);
        helper = host::RegisterMailHelperClasses(env.objects, model);
        model->Directory().Add("/o=Example/ou=Exchange/cn=Recipients/cn=lee", "lee@example.com");
    }
    ~AddinFixture() override { host::DisconnectEngine(*model); }

    void Start() { ASSERT_EQ(engineObject->StartModule(module), 0); }

    std::shared_ptr<host::HostFolder> Inbox() const {
        return model->DefaultFolder(client::olFolderInbox);
    }
    std::shared_ptr<host::HostFolder> SentItems() const {
        return model->DefaultFolder(client::olFolderSentMail);
    }
    std::shared_ptr<host::HostFolder> Root() const { return model->StoreRoots().front(); }

    // A message with the given recipients ("to:", "cc:" or "bcc:" before each
    // address; an address starting with "/o=" is an Exchange address).
    std::shared_ptr<host::HostMailItem> Message(const QString& subject,
                                                const QStringList& recipients) {
        auto item = model->NewMailItem();
        item->setSubject(subject);
        for (const QString& spec : recipients) {
            const QString kind = spec.section(':', 0, 0);
            const QString address = spec.section(':', 1);
            const qint32 type = kind == "cc"    ? client::olCC
                                : kind == "bcc" ? client::olBCC
                                                : client::olTo;
            item->RecipientList()->AddRecipient(type, address);
        }
        return item;
    }

    // A received message from an SMTP sender.
    std::shared_ptr<host::HostMailItem> Reply(const QString& from, const QString& subject) {
        auto item = model->NewMailItem();
        item->setSubject(subject);
        item->setSender(host::HostAddressEntry::ForAddress(from));
        item->RecipientList()->AddRecipient(client::olTo, host::kDefaultUserAddress);
        return item;
    }

    void WriteDataFile(const QByteArray& bytes) {
        QFile file(DataFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray DataFileBytes() const {
        QFile file(DataFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }

    CReminderItems& Reminders() { return *Globals::m_ReminderItems; }

    std::shared_ptr<host::MailModel> model = host::MailModel::Create();
    std::shared_ptr<host::HxEngine> engineObject =
        std::make_shared<host::HxEngine>(model->Application());
    std::shared_ptr<host::MailHelperLibrary> helper;
    std::shared_ptr<CChasewell> module = std::make_shared<CChasewell>();
};

}  // namespace testing_support
