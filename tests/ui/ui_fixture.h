#pragma once

// What the window tests share: a program over a temporary data directory, its boxes recorded instead of shown,
// and its end observed instead of leaving the process.

#include "app/session.h"
#include "storage/codepage.h"
#include "storage/key_fields.h"
#include "storage/key_ring_file.h"
#include "storage/user_list.h"
#include "test_files.h"
#include "ui/browser/key_browser.h"
#include "ui/flow/program.h"
#include "ui/widgets/message_box.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <utility>

namespace tessary::test {

struct Fixture
{
    QTemporaryDir directory;
    int ends = 0;
    std::unique_ptr<Program> program;

    explicit Fixture(bool trayAvailable = true)
    {
        QStandardPaths::setTestModeEnabled(true);
        // The settings store too lies in the temporary folder, fresh for each test.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, directory.path());
        MessageBox::setRecording(true);
        program = std::make_unique<Program>(Program::Options{directory.path(), trayAvailable, [this] { ++ends; }});
    }

    ~Fixture()
    {
        program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString path(const QString& name) const { return directory.filePath(name); }
    bool exists(const QString& name) const { return QFileInfo::exists(path(name)); }

    // Argon2id at its lightest: the window tests are about what the windows do, not about the cost of a guess.
    static KdfParameters lightKdf()
    {
        KdfParameters kdf;
        kdf.passes = 1;
        kdf.memory = KdfParameters::leastMemory;
        return kdf;
    }

    // A user with its key ring and the given keys, made as the command-line tool would.
    void addUser(const QString& name, const QString& password, const QList<QByteArray>& keyNames = {},
                 KeyRingFormat format = KeyRingFormat::Classic)
    {
        Session maker(directory.path());
        maker.setKeyDerivation(lightKdf());
        QVERIFY(maker.createUser(name, password, format).succeeded());
        for (const QByteArray& keyName : keyNames) {
            KeyRecord record;
            record.name = keyName;
            record.url = "https://" + keyName + ".example";
            record.userName = "user-" + keyName;
            record.password = "secret-" + keyName;
            QCOMPARE(maker.keyTable().addKey(record), KeyTable::AddResult::Added);
        }
        QVERIFY(maker.save());
    }

    // A user's strong key ring put back from the copy one save before the last, as a restored backup would be: the
    // generation of the copy and the one remembered here, or zeros when it could not be done.
    std::pair<std::uint64_t, std::uint64_t> putBackOlderCopy(const QString& name, const QString& password)
    {
        QFile file(path(name + QStringLiteral(".keyRing")));
        const QByteArray older = fileBytes(file.fileName());
        Session saver(directory.path());
        if (!saver.login(name, password).succeeded())
            return {};
        const std::uint64_t generation = saver.keyRing().generation;
        if (!saver.save() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(older) != older.size())
            return {};
        return {generation, saver.keyRing().generation};
    }

    // The key names stored in a user's key ring, read back under the password.
    QList<QByteArray> storedKeys(const QString& name, const QString& password) const
    {
        Session reader(directory.path());
        if (!reader.login(name, password, Session::LockMode::None).succeeded())
            return {QByteArrayLiteral("<login failed>")};
        QList<QByteArray> names;
        for (int slot = 1; slot <= reader.keyTable().keyCount(); ++slot)
            names.append(reader.keyTable().slot(slot).name);
        return names;
    }

    static QStringList texts(const QList<MessageBox::Shown>& shown)
    {
        QStringList result;
        for (const MessageBox::Shown& box : shown)
            result.append(box.text);
        return result;
    }
};

// A logged-in program with its key browser shown over Ann's keys (each key's password is "secret-" + its name).
struct Browser
{
    Fixture fixture;
    KeyBrowser* window = nullptr;

    explicit Browser(const QList<QByteArray>& keys = {"alpha", "beta", "gamma"})
    {
        fixture.addUser(QStringLiteral("Ann"), QStringLiteral("pw"), keys);
        fixture.program->startProgram({QStringLiteral("/s")});
        if (!fixture.program->session().login(QStringLiteral("Ann"), QStringLiteral("pw")).succeeded())
            return;
        fixture.program->completeLogin();
        window = fixture.program->keyBrowser();
    }

    KeyTable& table() { return fixture.program->session().keyTable(); }
    void select(int row) { window->keyView()->selectRow(row); }
};

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tessary::test
