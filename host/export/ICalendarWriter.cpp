#include "host/export/ICalendarWriter.h"

#include <libical/ical.h>
#include <QCryptographicHash>
#include <memory>

namespace host::calendar {

namespace {

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

icaltimetype FloatingTime(const QDateTime& wallClock) {
    icaltimetype time = icaltime_null_time();
    time.year = wallClock.date().year();
    time.month = wallClock.date().month();
    time.day = wallClock.date().day();
    time.hour = wallClock.time().hour();
    time.minute = wallClock.time().minute();
    time.second = 0;
    time.is_date = 0;
    time.zone = nullptr;
    return time;
}

icaltimetype UtcTime(const QDateTime& utc) {
    icaltimetype time = FloatingTime(utc);
    time.second = utc.time().second();
    time.zone = icaltimezone_get_utc_timezone();
    return time;
}

// TEXT values hold no control characters but tab, and line breaks only as
// LF (which libical writes as "\n"). A note typed on another system may hold
// CR LF; anything else is dropped rather than written into a file that
// calendar programs would refuse.
QByteArray TextValue(const QString& text) {
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                continue;
            clean += '\n';
        } else if (c == '\n' || c == '\t' || (c.unicode() >= 0x20 && c.unicode() != 0x7f)) {
            clean += c;
        }
    }
    return clean.toUtf8();
}

void Add(icalcomponent* component, icalproperty* property) {
    icalcomponent_add_property(component, property);
}

icalcomponent* Event(const ReminderEvent& event, const ExportHistory::Entry& entry) {
    icalcomponent* vevent = icalcomponent_new_vevent();
    const QByteArray summary = TextValue(event.summary);
    Add(vevent, icalproperty_new_uid(event.uid.toUtf8().constData()));
    Add(vevent, icalproperty_new_dtstamp(UtcTime(entry.lastModified)));
    Add(vevent, icalproperty_new_lastmodified(UtcTime(entry.lastModified)));
    Add(vevent, icalproperty_new_sequence(entry.sequence));
    Add(vevent, icalproperty_new_dtstart(FloatingTime(event.start)));
    Add(vevent, icalproperty_new_duration(icaldurationtype_from_int(15 * 60)));
    Add(vevent, icalproperty_new_summary(summary.constData()));
    const QByteArray description = TextValue(event.description);
    if (!description.isEmpty())
        Add(vevent, icalproperty_new_description(description.constData()));
    Add(vevent, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    icalcomponent* alarm = icalcomponent_new_valarm();
    Add(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    Add(alarm, icalproperty_new_trigger(icaltriggertype_from_int(0)));
    Add(alarm, icalproperty_new_description(summary.constData()));
    icalcomponent_add_component(vevent, alarm);
    return vevent;
}

}  // namespace

QByteArray EventFingerprint(const ReminderEvent& event) {
    QByteArray key;
    for (const QString& value :
         {event.start.toString(Qt::ISODate), event.summary, event.description}) {
        const QByteArray bytes = value.toUtf8();
        key += QByteArray::number(bytes.size()) + ':' + bytes;
    }
    return QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
}

QByteArray CalendarText(const std::vector<ReminderEvent>& events, ExportHistory& history,
                        const QDateTime& nowUtc, const QString& productVersion) {
    // A libical error must never end the program.
    icalerror_set_errors_are_fatal(0);
    Component calendar(icalcomponent_new_vcalendar());
    const QByteArray productId =
        QStringLiteral("-//Tandrel Software//Chasewell %1//EN").arg(productVersion).toUtf8();
    Add(calendar.get(), icalproperty_new_version("2.0"));
    Add(calendar.get(), icalproperty_new_prodid(productId.constData()));
    Add(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    for (const ReminderEvent& event : events)
        icalcomponent_add_component(
            calendar.get(),
            Event(event, history.Record(event.uid, EventFingerprint(event), nowUtc)));
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    QByteArray bytes(text);
    icalmemory_free_buffer(text);
    return bytes;
}

}  // namespace host::calendar
