#pragma once

// The slice of the mail client's object model that the add-in uses, with
// the client's own member names. Objects come from the engine
// (OutlookApplication) and from each other; "no object" is an empty pointer.

#include <QDateTime>
#include <QString>
#include <memory>

#include "platform/ComObject.h"

namespace client {

using platform::ComObject;
using platform::ObjectRef;

class Explorer;
class Items;
class MAPIFolder;
class NameSpace;
class Recipients;

// Default folders (GetDefaultFolder).
enum OlDefaultFolders {
    olFolderDeletedItems = 3,
    olFolderOutbox = 4,
    olFolderSentMail = 5,
    olFolderInbox = 6,
    olFolderCalendar = 9,
    olFolderContacts = 10
};
// Item kinds (DefaultItemType, CreateItem).
enum OlItemType { olMailItem = 0, olAppointmentItem = 1, olContactItem = 2, olTaskItem = 3 };
// Recipient types.
enum OlMailRecipientType { olOriginator = 0, olTo = 1, olCC = 2, olBCC = 3 };

class Application : public ComObject {
public:
    QString TypeName() const override { return "Application"; }
    // "MAPI" is the only namespace type.
    virtual std::shared_ptr<NameSpace> GetNamespace(const QString& type) = 0;
    virtual std::shared_ptr<Explorer> ActiveExplorer() = 0;
    virtual ObjectRef CreateItem(qint32 itemType) = 0;
};

class NameSpace : public ComObject {
public:
    QString TypeName() const override { return "NameSpace"; }
    virtual std::shared_ptr<MAPIFolder> GetDefaultFolder(qint32 folderType) = 0;
    // The item with that entry id, looked up in the default store, or, when a
    // store id is given, in the store it names. Fails when there is none.
    virtual ObjectRef GetItemFromID(const QString& entryId, const QString& storeId = QString()) = 0;
};

class MAPIFolder : public ComObject {
public:
    QString TypeName() const override { return "MAPIFolder"; }
    virtual QString EntryID() const = 0;
    virtual QString StoreID() const = 0;
    virtual QString Name() const = 0;
    virtual std::shared_ptr<client::Items> Items() = 0;
    virtual qint32 DefaultItemType() const = 0;
};

class Items : public ComObject {
public:
    QString TypeName() const override { return "Items"; }
    virtual qint32 Count() const = 0;
    // Positions from 1; fails outside 1 to Count.
    virtual ObjectRef Item(qint32 index) = 0;
};

class Selection : public ComObject {
public:
    QString TypeName() const override { return "Selection"; }
    virtual qint32 Count() const = 0;
    // Positions from 1; fails outside 1 to Count.
    virtual ObjectRef Item(qint32 index) = 0;
};

class Explorer : public ComObject {
public:
    QString TypeName() const override { return "Explorer"; }
    // No object when the explorer shows no folder.
    virtual std::shared_ptr<MAPIFolder> CurrentFolder() = 0;
    virtual std::shared_ptr<client::Selection> Selection() = 0;
};

class Inspector : public ComObject {
public:
    QString TypeName() const override { return "Inspector"; }
    virtual ObjectRef CurrentItem() = 0;
};

class AddressEntry : public ComObject {
public:
    QString TypeName() const override { return "AddressEntry"; }
    // "SMTP", or "EX" for an Exchange address.
    virtual QString Type() const = 0;
    virtual QString Address() const = 0;
};

class Recipient : public ComObject {
public:
    QString TypeName() const override { return "Recipient"; }
    virtual qint32 Type() const = 0;
    virtual QString Address() const = 0;
    virtual std::shared_ptr<client::AddressEntry> AddressEntry() = 0;
};

class Recipients : public ComObject {
public:
    QString TypeName() const override { return "Recipients"; }
    virtual qint32 Count() const = 0;
    virtual std::shared_ptr<Recipient> Item(qint32 index) = 0;
    virtual std::shared_ptr<Recipient> Add(const QString& address) = 0;
};

// What every item kind has (mail items, appointments, contacts, meeting
// requests, reports); TypeName tells the kinds apart.
class ItemObject : public ComObject {
public:
    virtual QString EntryID() const = 0;
    virtual QString Subject() const = 0;
    // The folder holding the item; no object for an unsaved new item.
    virtual std::shared_ptr<MAPIFolder> Parent() = 0;
};

// A mail item. Its default member is its subject.
class MailItem : public ItemObject {
public:
    QString TypeName() const override { return "MailItem"; }
    QVariant DefaultMember() const override { return Subject(); }

    virtual void setSubject(const QString& subject) = 0;
    virtual std::shared_ptr<client::Recipients> Recipients() = 0;
    virtual QDateTime SentOn() const = 0;
    // Opens the item in an inspector, not modal.
    virtual void Display() = 0;
    virtual std::shared_ptr<MailItem> Forward() = 0;
};

// The command-bar button the engine made for a command.
class CommandBarButton : public ComObject {
public:
    QString TypeName() const override { return "CommandBarButton"; }
    virtual bool Enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
};

}  // namespace client
