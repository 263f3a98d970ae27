#include "addin/MessageHeaders.h"

#include <QStringList>

std::vector<std::pair<QString, QString>> HeaderFields(const QString& headers) {
    std::vector<std::pair<QString, QString>> fields;
    const QStringList lines = headers.split(u'\n');
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            break;  // the header ends at the first empty line
        if ((line.startsWith(u' ') || line.startsWith(u'\t')) && !fields.empty()) {
            QString& value = fields.back().second;
            value += (value.isEmpty() ? QString() : QStringLiteral(" ")) + line.trimmed();
            continue;
        }
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        fields.emplace_back(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
    }
    return fields;
}

bool IsField(const QString& field, const char* name) {
    return field.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}
