#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <ostream>

// GoogleTest prints QString and friends as readable text in failures.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QByteArray& bytes, std::ostream* out) { *out << '"' << bytes.toStdString() << '"'; }
inline void PrintTo(const QDateTime& value, std::ostream* out) {
    *out << value.toString(Qt::ISODateWithMs).toStdString();
}
QT_END_NAMESPACE
