#include "store/CReminderItems.h"

#include <algorithm>
#include <cstring>

#include "addin/contracts/ErrorReport.h"
#include "addin/contracts/HostEngine.h"
#include "platform/Env.h"
#include "platform/RuntimeError.h"
#include "store/DataFileText.h"
#include "store/ReplySubjects.h"
#include "store/TextRules.h"

namespace {

using engine::ReportSource;

const QString kDataFileName = QStringLiteral("ChasewellData.txt");
// SaveData hands the file over in pieces of this size: what the file layer
// writes at once, so that it writes each straight from here, without a copy,
// while it is still in the processor's cache.
constexpr qsizetype kPieceBytes = platform::LocalDataFiles::kBufferBytes;
const QString kLoadTrace = QStringLiteral("Chasewell.CReminderItems.LoadData");
const QString kRemoveByTrace = QStringLiteral("RemoveBy");
const ReportSource kExistsSource =
    ReportSource::Fixed(QStringLiteral("Chasewell.CReminderItems.Exists"));
const ReportSource kRemoveSource =
    ReportSource::Fixed(QStringLiteral("Chasewell.CReminderItems.Remove"));
const ReportSource kSaveSource =
    ReportSource::Fixed(QStringLiteral("Chasewell.CReminderItems.SaveData"));
const ReportSource kLoadSource =
    ReportSource::Fixed(QStringLiteral("Chasewell.CReminderItems.LoadAllData"));
const ReportSource kIsSameSource = ReportSource::Fixed(QStringLiteral("Chasewell.IsSame"));

}  // namespace

CReminderItems::~CReminderItems() {
    try {
        SaveData();
    } catch (...) {
        // SaveData reports its own failures; nothing may leave a destructor.
    }
    m_Items.clear();
    m_Loaded = false;
}

void CReminderItems::Initialize() {
    m_Items.clear();
    m_DataFilePath = engine::Global()->DataFolder(0) + kDataFileName;
    platform::Files().RemoveLeftovers(m_DataFilePath);  // what a save cut short left behind
    LoadData();
    // Loading added every reminder through Add; none of that is a change.
    m_Dirty = false;
}

CReminderItems::Reminder CReminderItems::Item(qint32 index) const {
    if (index < 1 || index > Count())
        throw platform::RuntimeError::SubscriptOutOfRange();
    return m_Items[static_cast<size_t>(index - 1)];
}

CReminderItems::Reminder CReminderItems::Find(const QString& findEmailAddress) const {
    Reminder found;
    const bool completed = engine::Trapped(kExistsSource, 0, [&] {
        for (const Reminder& item : m_Items) {
            if (item->EmailAddress() == findEmailAddress) {
                found = item;
                return;
            }
        }
    });
    return completed ? found : Reminder();
}

void CReminderItems::Add(const Reminder& reminderItem) {
    if (!reminderItem)
        throw platform::RuntimeError::ObjectNotSet();
    m_Items.push_back(reminderItem);
    m_Dirty = true;
}

void CReminderItems::Remove(const Reminder& reminderItem) {
    // A copy: the caller's reference may be to the very pointer removed.
    const Reminder given = reminderItem;
    engine::TrappedSteps(kRemoveSource, 1, [&](engine::Steps& steps) {
        steps.Begin(2);
        const qint32 count = Count();
        steps.Begin(4);
        const CReminderItem& wanted = platform::Deref(given);
        // The very reminder first, when it is in the list: the alarm window
        // passes the one it shows, and a later reminder that merely matches
        // it (same address, a subject containing its subject) must not be
        // removed in its place while the dismissed one stays.
        const auto very = std::find(m_Items.begin(), m_Items.end(), given);
        if (very != m_Items.end()) {
            steps.Begin(6);
            m_Items.erase(very);
            steps.Begin(8);
            m_Dirty = true;
            return;
        }
        for (qint32 index = count; index >= 1; --index) {
            steps.Begin(4);
            const Reminder& item = m_Items[static_cast<size_t>(index - 1)];
            if (!IsSame(item->EmailAddress(), wanted.EmailAddress(), false))
                continue;
            if (!IsSame(item->Subject(), wanted.Subject(), true))
                continue;
            steps.Begin(6);
            m_Items.erase(m_Items.begin() + (index - 1));
            steps.Begin(8);
            m_Dirty = true;
            return;
        }
    });
}

void CReminderItems::RemoveByEmailAddress(const QString& localEmailAddress) {
    Q_UNUSED(localEmailAddress);
    platform::MessageBox().Show(
        QStringLiteral("RemoveByEmailAddress is no longer used and should not have been called.  "
                       "Please report this message to technical support."),
        QStringLiteral("Chasewell.RemoveByEmailAddress"));
    m_Dirty = true;
}

void CReminderItems::SaveData() {
    bool keepDirty = false;
    const bool completed = engine::Trapped(kSaveSource, 1, [&] {
        const bool anyItemDirty = std::any_of(m_Items.begin(), m_Items.end(),
                                              [](const Reminder& item) { return item->IsDirty(); });
        if (!anyItemDirty && !m_Dirty)
            return;

        if (!KeepUnreadFile()) {
            keepDirty = true;
            return;
        }

        // The records go to a new file that replaces the old one only once
        // it is complete, so a failure leaves the old file whole. They are
        // handed over in pieces of a bounded size, however long the list.
        auto file = platform::Files().NewWritableFile(m_DataFilePath);
        QByteArray piece(2 * kPieceBytes, Qt::Uninitialized);
        qsizetype used = 0;
        for (const Reminder& item : m_Items) {
            const qsizetype room = used + item->MaxRecordBytes() + 2;
            if (room > piece.size())
                piece.resize(room);
            char* const end = item->WriteRecord(piece.data() + used);
            end[0] = '\r';
            end[1] = '\n';
            used = end + 2 - piece.constData();
            if (used >= kPieceBytes) {
                const qsizetype whole = used - used % kPieceBytes;
                file->Append(QByteArray::fromRawData(piece.constData(), whole));
                used -= whole;
                std::memmove(piece.data(), piece.constData() + whole, static_cast<size_t>(used));
            }
        }
        if (used > 0)
            file->Append(QByteArray::fromRawData(piece.constData(), used));
        file->Commit();

        for (const Reminder& item : m_Items) item->setIsDirty(false);
        m_Dirty = false;
    });
    // What was not written must be written by the next save.
    if (!completed || keepDirty)
        m_Dirty = true;
}

void CReminderItems::LoadData() {
    engine::Trapped(kLoadSource, 0, [&] {
        if (m_Loaded)
            return;
        if (!platform::Files().Exists(m_DataFilePath)) {
            engine::WriteTrace(
                kLoadTrace,
                QStringLiteral("Reminder data file not found.  Looking for ") + m_DataFilePath);
            return;
        }

        // Until every line is in the list, saving would drop what is not.
        m_FileNotFullyRead = true;
        const QByteArray bytes = platform::Files().ReadAll(m_DataFilePath);
        bool everyLineTaken = true;
        store::DataFileLines lines(bytes);
        while (lines.Next()) {
            auto item = std::make_shared<CReminderItem>();
            // Added even when its line did not parse completely; the item
            // reported that itself.
            const bool taken = lines.IsAscii() ? item->LoadData(lines.AsciiLine())
                                               : item->LoadData(lines.DecodedLine());
            if (!taken)
                everyLineTaken = false;
            Add(item);
        }
        m_FileNotFullyRead = !everyLineTaken;

        engine::WriteTrace(kLoadTrace,
                           QStringLiteral("Reminder data loaded (") + QString::number(Count()) +
                               QStringLiteral(" items).  File found at ") + m_DataFilePath);
        m_Loaded = true;
    });
}

CReminderItems::Reminder CReminderItems::FindEx(const QString& findEmailAddress,
                                                const QString& findSubject) const {
    Reminder found;
    const bool completed = engine::Trapped(kExistsSource, 0, [&] {
        for (const Reminder& item : m_Items) {
            // The sought address occurs in the stored one, and the stored
            // subject in the sought one: a reply "RE: Budget" to a reminder
            // "Budget".
            if (IsSame(item->EmailAddress(), findEmailAddress, false) &&
                IsSame(findSubject, item->Subject(), true)) {
                found = item;
                return;
            }
        }
    });
    return completed ? found : Reminder();
}

CReminderItems::Reminder CReminderItems::RemoveBy(const QString& localEmailAddress,
                                                  const QString& localSubject) {
    engine::WriteTrace(kRemoveByTrace, QStringLiteral("Removing item from sender '") +
                                           localEmailAddress + QStringLiteral("' and subject '") +
                                           localSubject + QStringLiteral("'"));
    // From the end: of several matching reminders, the one added last goes.
    qint32 matched = 0;
    for (qint32 index = Count(); index >= 1; --index) {
        const Reminder& item = m_Items[static_cast<size_t>(index - 1)];
        engine::WriteTrace(kRemoveByTrace, QStringLiteral("Checking sender '") +
                                               item->EmailAddress() + QStringLiteral("'"));
        if (!IsSame(item->EmailAddress(), localEmailAddress, false))
            continue;
        engine::WriteTrace(kRemoveByTrace, QStringLiteral("Checking subject '") + item->Subject() +
                                               QStringLiteral("'"));
        if (IsSame(item->Subject(), localSubject, true)) {
            matched = index;
            break;
        }
    }
    if (matched == 0)
        return nullptr;
    engine::WriteTrace(kRemoveByTrace, QStringLiteral("Items are identical, removing reminder"));
    Reminder removed = m_Items[static_cast<size_t>(matched - 1)];
    m_Items.erase(m_Items.begin() + (matched - 1));
    m_Dirty = true;
    return removed;
}

std::vector<CReminderItems::Reminder> CReminderItems::FindBySender(
    const QString& findEmailAddress) const {
    std::vector<Reminder> found;
    for (const Reminder& item : m_Items)
        if (OccursAsAddress(item->EmailAddress(), findEmailAddress))
            found.push_back(item);
    return found;
}

bool CReminderItems::IsSame(const QString& a, const QString& b, bool subjectMode) {
    bool same = false;
    engine::Trapped(kIsSameSource, 1, [&] {
        if (!subjectMode) {
            same = OccursAsAddress(a, b);
            return;
        }
        if (Occurs(a, b)) {
            same = true;
            return;
        }
        // "RE: Budget" and "FW: Budget" are the same subject; so are two
        // subjects that are nothing but a prefix.
        const QString strippedA = StripPrefix(a);
        const QString strippedB = StripPrefix(b);
        same = (strippedA.isEmpty() && strippedB.isEmpty()) || Occurs(strippedA, strippedB);
        if (!same)
            same = SameTopic(a, b);
    });
    return same;
}

bool CReminderItems::SameTopic(const QString& a, const QString& b) {
    // Long threads and mail programs in other languages stack their prefixes
    // ("AW: WG: Budget", "[team] Re: Fwd: Budget"), and a subject may hold a
    // colon of its own ("RE: Budget: Q3"); taking off only the text up to
    // the first colon misses all of them. Taking off every known prefix
    // finds the topic both are about.
    const store::ReplySubject topicA = store::ReduceReplySubject(a);
    const store::ReplySubject topicB = store::ReduceReplySubject(b);
    if (topicA.prefixes == 0 && topicB.prefixes == 0)
        return false;  // neither is a reply or a forward: nothing more to compare
    if (topicA.topic.isEmpty() || topicB.topic.isEmpty())
        // Two subjects that are nothing but prefixes are one, as with a
        // single prefix; nothing else is the same as an empty topic, or a
        // bare "RE:" would end every reminder of its sender.
        return topicA.topic.isEmpty() && topicB.topic.isEmpty();
    return topicA.topic.contains(topicB.topic, Qt::CaseInsensitive);
}

QString CReminderItems::StripPrefix(const QString& text) {
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return text;
    return store::TrimSpaces(QStringView(text).sliced(colon + 1)).toString();
}

bool CReminderItems::Occurs(const QString& a, const QString& b) {
    // Nothing occurs in an empty text; an empty text occurs in any other.
    if (a.isEmpty())
        return false;
    return a.contains(b, Qt::CaseInsensitive);
}

namespace {

// The characters an address is made of: letters and digits, and the others
// an address may hold before or after its "@". A match must not have one of
// these right before or after it, or it is a piece of a longer address.
bool IsAddressCharacter(QChar c) {
    static const QString kOthers = QStringLiteral(".@_%+-'!#$&*/=?^`{|}~");
    return c.isLetterOrNumber() || kOthers.contains(c);
}

}  // namespace

bool CReminderItems::OccursAsAddress(const QString& a, const QString& b) {
    if (a.isEmpty())
        return false;
    if (b.isEmpty())
        return true;
    // The address may stand inside a display form ("Pat <pat@x.com>"), but a
    // reply from dan@example.com must not end the reminder for
    // jordan@example.com, nor bob@x.com the one for bob@x.com.au.
    for (qsizetype at = a.indexOf(b, 0, Qt::CaseInsensitive); at >= 0;
         at = a.indexOf(b, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + b.size();
        const bool startsAlone = at == 0 || !IsAddressCharacter(a.at(at - 1));
        const bool endsAlone = end == a.size() || !IsAddressCharacter(a.at(end));
        if (startsAlone && endsAlone)
            return true;
    }
    return false;
}

bool CReminderItems::KeepUnreadFile() {
    if (!m_FileNotFullyRead)
        return true;
    platform::DataFiles& files = platform::Files();
    try {
        if (!files.Exists(m_DataFilePath)) {
            // Gone meanwhile: nothing left to lose.
            m_FileNotFullyRead = false;
            return true;
        }
        const QString stem = m_DataFilePath + QStringLiteral(".unread-") +
                             platform::Now().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        QString copy = stem;
        for (int n = 2; files.Exists(copy); ++n) copy = stem + u'-' + QString::number(n);
        files.Copy(m_DataFilePath, copy);
        m_FileNotFullyRead = false;
        engine::ReportError(QStringLiteral("The reminder data file could not be read completely.  "
                                           "It was kept as ") +
                                copy + u'.',
                            1, kSaveSource);
        return true;
    } catch (...) {
        engine::ReportError(
            QStringLiteral("The reminder data file could not be read completely and "
                           "could not be kept aside, so it was not saved over.  "
                           "Reason: ") +
                platform::CurrentErrorDescription(),
            1, kSaveSource);
        return false;
    }
}
