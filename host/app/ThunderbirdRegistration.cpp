#include "host/app/ThunderbirdRegistration.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "host/common/ProgramFiles.h"
#include "host/thunderbird/Protocol.h"
#include "platform/Env.h"
#include "platform/RuntimeError.h"

namespace host::app {

namespace {

const QString kHostProgramName = QStringLiteral("chasewell-thunderbird-host");

QByteArray Manifest(const QString& hostProgram) {
    const auto& protocol = thunderbird::Protocol::Builtin();
    QJsonObject manifest;
    manifest["name"] = protocol.HostName();
    manifest["description"] =
        QStringLiteral("Chasewell: reminders to chase e-mails that got no answer");
    manifest["path"] = hostProgram;
    manifest["type"] = QStringLiteral("stdio");
    manifest["allowed_extensions"] = QJsonArray{protocol.ExtensionId()};
    return QJsonDocument(manifest).toJson(QJsonDocument::Indented);
}

QString NextStep(const QString& extensionPackage) {
    QString text = QStringLiteral(
                       "\nNext, install the Chasewell extension in Thunderbird: open Tools > "
                       "Add-ons and Themes, choose Install Add-on From File... in the gear menu, "
                       "and pick\n  %1\nThen restart Thunderbird; Chasewell starts with it from "
                       "then on.\n")
                       .arg(extensionPackage);
    if (!QFileInfo::exists(extensionPackage))
        text += QStringLiteral(
            "(The extension package is not there: build or install Chasewell "
            "completely first.)\n");
    return text;
}

}  // namespace

QString ThunderbirdHostProgram() {
    return ProgramLibrary(kHostProgramName);
}

QString ThunderbirdExtensionPackage() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/chasewell/chasewell.xpi"));
}

ThunderbirdRegistration RegisterThunderbird(const QString& home, const QString& hostProgram,
                                            const QString& extensionPackage) {
    ThunderbirdRegistration result;
    const QFileInfo host(hostProgram);
    if (!host.isFile() || !host.isExecutable()) {
        result.text = QStringLiteral(
                          "The Chasewell host for Thunderbird is not there: %1 is "
                          "missing. Build or install Chasewell completely first.\n")
                          .arg(hostProgram);
        return result;
    }
    const QString folder = home + QStringLiteral("/.mozilla/native-messaging-hosts/");
    const QString path = folder + thunderbird::Protocol::Builtin().HostName() + ".json";
    const QString program = host.absoluteFilePath();
    QString before;
    QFile existing(path);
    if (existing.exists()) {
        QJsonParseError error;
        const QJsonObject old = existing.open(QIODevice::ReadOnly)
                                    ? QJsonDocument::fromJson(existing.readAll(), &error).object()
                                    : QJsonObject();
        const QString named = old.value("path").toString();
        const bool ours =
            old.value("name").toString() == thunderbird::Protocol::Builtin().HostName() &&
            old.value("allowed_extensions").toArray() ==
                QJsonArray{thunderbird::Protocol::Builtin().ExtensionId()} &&
            QFileInfo(named).fileName() == kHostProgramName;
        if (!ours) {
            result.text =
                QStringLiteral(
                    "%1 is not Chasewell's: %2. It was left as it is. If the program "
                    "it belongs to is gone, remove the file and run chasewell "
                    "--register-thunderbird again.\n")
                    .arg(path, named.isEmpty() ? QStringLiteral("it cannot be read as a manifest "
                                                                "of Chasewell")
                                               : QStringLiteral("it names %1").arg(named));
            return result;
        }
        if (named == program) {
            result.registered = true;
            result.text = QStringLiteral(
                              "Chasewell was already registered with Thunderbird "
                              "(%1 names %2); nothing changed.\n")
                              .arg(path, program) +
                          NextStep(extensionPackage);
            return result;
        }
        before = named;
    }
    try {
        if (!QDir().mkpath(folder))
            throw platform::RuntimeError(
                76, QStringLiteral("Could not create the folder %1").arg(folder));
        auto file = platform::Files().NewWritableFile(path);
        file->Append(Manifest(program));
        file->Commit();
    } catch (const platform::RuntimeError& error) {
        result.text = error.description() + QStringLiteral(".\n");
        return result;
    }
    result.registered = true;
    result.text = before.isEmpty()
                      ? QStringLiteral("Chasewell is registered with Thunderbird: %1 names %2.\n")
                            .arg(path, program)
                      : QStringLiteral(
                            "Chasewell is registered with Thunderbird: %1 now names %2 "
                            "(it named %3 before).\n")
                            .arg(path, program, before);
    result.text += NextStep(extensionPackage);
    return result;
}

}  // namespace host::app
