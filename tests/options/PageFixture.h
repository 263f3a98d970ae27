#pragma once

// What the options page tests share: the fake platform, an engine global
// object that records what the page asks of it, hosts of several shapes, and
// the page itself, driven as a user would drive it.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <memory>

#include "host/engine/EngineLog.h"
#include "host/engine/HxGlobal.h"
#include "options/UC1.h"
#include "tests/support/FakeEnv.h"

namespace options_testing {

// The substitute engine's global object (its real texts), recording the
// string-table calls and with faults on request.
class RecordingGlobal : public host::HxGlobal {
public:
    explicit RecordingGlobal(host::EngineLog& log) : HxGlobal(log, QStringLiteral("/none/")) {}

    QString SettingsApplicationName() override { return appName; }
    void LoadStringTable(engine::StringTable& table, const QString& moduleName) override {
        calls << "LoadStringTable " + moduleName;
        if (failStringTable)
            throw platform::RuntimeError::FileNotFound();
        HxGlobal::LoadStringTable(table, moduleName);
        for (const QString& key : missingTexts) table.texts.remove(key);
        for (auto it = replacedTexts.cbegin(); it != replacedTexts.cend(); ++it)
            table.texts.insert(it.key(), it.value());
    }
    QString GetString(const engine::StringTable& table, const QString& key) override {
        calls << "GetString " + key;
        return HxGlobal::GetString(table, key);
    }

    QString appName = host::kSettingsApplicationName;
    QStringList calls;
    bool failStringTable = false;
    // Keys the loaded table lacks, and texts it holds in place of the usual.
    QStringList missingTexts;
    QHash<QString, QString> replacedTexts;
};

// A host as the settings dialog is one: both operations, the texts taken by
// reference. It records each call as a line; SetHotHelp may write a title
// back.
class RecordingHost : public QObject {
    Q_OBJECT
public:
    QStringList calls;
    QString titleToSet;

public slots:
    void OnStatusChange() { calls << QStringLiteral("OnStatusChange"); }
    void SetHotHelp(QString& title, QString& text) {
        calls << "SetHotHelp [" + title + "] [" + text + "]";
        if (!titleToSet.isEmpty())
            title = titleToSet;
    }
};

// The same operations taking the texts to read only, as Q_INVOKABLE methods.
class ReadOnlyHost : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void OnStatusChange() { calls << QStringLiteral("OnStatusChange"); }
    Q_INVOKABLE void SetHotHelp(const QString& title, const QString& text) {
        calls << "SetHotHelp [" + title + "] [" + text + "]";
    }
    QStringList calls;
};

class PageTest : public ::testing::Test {
protected:
    PageTest() {
        env.objects.Register(engine::kGlobalProgId, [this] { return global; });
    }

    // The page as the dialog shows it; the first show loads it.
    UC1& Show() {
        page.show();
        return page;
    }
    void Store(const QString& key, const QString& value) {
        env.settings.SaveSetting(global->appName, QStringLiteral("Chasewell"), key, value);
    }
    QString Stored(const QString& key) const {
        return env.settings.Value(global->appName, QStringLiteral("Chasewell"), key)
            .value_or(QStringLiteral("<missing>"));
    }
    // A click where a user clicks a check box or an option button: on its
    // box, at the left.
    static void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    // The mouse moves onto the control.
    static void Hover(QWidget* control) {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(control, &enter);
    }
    // Replaces the box's text by typing.
    static void Retype(QLineEdit* box, const QString& text) {
        box->selectAll();
        if (text.isEmpty())
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClicks(box, text);
    }
    std::vector<testing_support::RecordingMessageBoxes::Shown> Boxes() const {
        return env.messageBoxes.shown;
    }

    testing_support::TestEnv env;
    host::EngineLog log;
    std::shared_ptr<RecordingGlobal> global = std::make_shared<RecordingGlobal>(log);
    UC1 page;
};

}  // namespace options_testing
