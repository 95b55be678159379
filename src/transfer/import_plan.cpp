#include "transfer/import_plan.h"

#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/key_fields.h"
#include "storage/key_ring_format.h"
#include "storage/notes_text.h"
#include "storage/ole_date.h"

#include <QSet>
#include <QUrl>

namespace tessary {

namespace {

// Why a text cannot be a field of a key, or empty when it can. A password's character is never named.
QString characterRefusal(const QString& what, const QString& text, bool nameCharacter)
{
    if (fitsCodePage(text))
        return {};
    if (nameCharacter) {
        for (const char32_t c : text.toUcs4()) {
            const QString character = QString::fromUcs4(&c, 1);
            if (!fitsCodePage(character))
                return QStringLiteral("the %1 holds \"%2\", which a key ring cannot store").arg(what, character);
        }
    }
    return QStringLiteral("the %1 holds a character a key ring cannot store").arg(what);
}

// A copy that shares no buffer with the file's rows, which are wiped before a report may be done with it.
QString separate(const QString& text)
{
    return QString(text.constData(), text.size());
}

QString hostOf(const QString& url)
{
    return url.isEmpty() ? QString() : QUrl::fromUserInput(url).host();
}

class Planner
{
public:
    Planner(const KeyTable& into, const QDateTime& now) : m_now(now), m_room(KeyTable::capacity - into.keyCount())
    {
        for (int s = 1; s <= into.keyCount(); ++s)
            m_taken.insert(into.slot(s).name);
    }

    void plan(const ImportRow& row, ImportPlan& plan)
    {
        PlannedRow planned;
        planned.number = row.number;
        planned.label = rowLabel(plan.format, row.number);
        planned.title = separate(row.title);
        planned.dropped = row.dropped;
        planned.reason = row.refusal.isEmpty() ? refusal(row) : row.refusal;
        QByteArray name;
        if (planned.reason.isEmpty()) {
            planned.name = separate(nameOf(row));
            name = uniqueName(toCodePage(planned.name), planned);
        }
        if (planned.reason.isEmpty() && int(plan.records.size()) >= m_room)
            planned.reason = QStringLiteral("the key ring is full (%1 keys)").arg(KeyTable::capacity);
        if (!planned.reason.isEmpty()) {
            planned.outcome = PlannedRow::Outcome::Refused;
            planned.name.clear();
            plan.rows.append(planned);
            return;
        }
        m_taken.insert(name);
        plan.records.append(recordOf(row, name));
        plan.rows.append(planned);
    }

private:
    static QString refusal(const ImportRow& row)
    {
        const QString notes = storedNotes(row.notes);
        const struct
        {
            const char* what;
            const QString& text;
            qsizetype limit;
            const char* tooLong;
        } fields[] = {
            {"name", row.title, keyNameLimit, "the name is longer than %1 characters"},
            {"user name", row.userName, keyRingFieldLimit, "the user name is longer than %1 characters"},
            {"URL", row.url, keyRingFieldLimit, "the URL is longer than %1 characters"},
            {"notes", notes, maximumNotesLength, "the notes are longer than %1 characters once stored"},
            {"password", row.password, passwordBufferSize, "the password is longer than %1 characters"},
        };
        for (const auto& field : fields) {
            const bool isPassword = &field.text == &row.password;
            if (QString why = characterRefusal(QLatin1String(field.what), field.text, !isPassword); !why.isEmpty())
                return why;
            if (field.text.size() > field.limit)
                return QString::fromLatin1(field.tooLong).arg(field.limit);
        }
        // The stored password ends at its first NUL: what follows would be lost without a word.
        if (row.password.contains(QChar(u'\0')))
            return QStringLiteral("the password holds a NUL character, where a stored password ends");
        return {};
    }

    QString nameOf(const ImportRow& row)
    {
        if (!row.title.isEmpty())
            return row.title;
        const QString host = hostOf(row.url);
        if (!host.isEmpty() && fitsCodePage(host) && host.size() <= keyNameLimit)
            return host;
        return QStringLiteral("Imported %1").arg(++m_unnamed);
    }

    // The name itself when free, else the first free "NAME (n)"; empty, with the reason set, when that would be
    // too long.
    QByteArray uniqueName(const QByteArray& wanted, PlannedRow& planned)
    {
        planned.outcome = PlannedRow::Outcome::Imported;
        if (!m_taken.contains(wanted))
            return wanted;
        for (int n = 2;; ++n) {
            const QByteArray numbered = wanted + " (" + QByteArray::number(n) + ')';
            if (numbered.size() > keyNameLimit) {
                planned.reason = QStringLiteral("the name is taken, and with a number it would be longer than %1 "
                                                "characters")
                                     .arg(keyNameLimit);
                return {};
            }
            if (!m_taken.contains(numbered)) {
                planned.outcome = PlannedRow::Outcome::Renamed;
                planned.name = fromCodePage(numbered);
                return numbered;
            }
        }
    }

    KeyRecord recordOf(const ImportRow& row, const QByteArray& name) const
    {
        KeyRecord record;
        record.name = name;
        record.userName = toCodePage(row.userName);
        record.url = toCodePage(row.url);
        record.description = toCodePage(storedNotes(row.notes));
        QByteArray password = toCodePage(row.password);
        record.password = passwordBuffer(password);
        wipe(password);
        // Whole seconds, in local time, as a key made here is stamped.
        const QDateTime created = (row.created.isValid() ? row.created : m_now).toLocalTime();
        record.dateCreated = toOleDate(created.date());
        record.timeCreated = toOleTime(QTime(created.time().hour(), created.time().minute(), created.time().second()));
        return record;
    }

    QDateTime m_now;
    int m_room;
    int m_unnamed = 0;
    QSet<QByteArray> m_taken;
};

} // namespace

ImportPlan::~ImportPlan()
{
    for (KeyRecord& record : records) {
        for (QByteArray* field : {&record.name, &record.userName, &record.url, &record.description, &record.password})
            wipe(*field);
    }
}

int ImportPlan::renamedCount() const
{
    int renamed = 0;
    for (const PlannedRow& row : rows)
        renamed += row.outcome == PlannedRow::Outcome::Renamed ? 1 : 0;
    return renamed;
}

ImportPlan planImport(const ImportRows& read, const KeyTable& into, const QDateTime& now)
{
    ImportPlan plan;
    plan.format = read.format;
    plan.skipped = read.skipped;
    plan.skippedWhat = read.skippedWhat;
    Planner planner(into, now);
    for (const ImportRow& row : read.rows)
        planner.plan(row, plan);
    return plan;
}

QString planHeadline(const ImportPlan& plan)
{
    return QStringLiteral("%1 %2: %3 to import, %4 refused")
        .arg(plan.rows.size())
        .arg(plan.rows.size() == 1 ? QStringLiteral("key") : QStringLiteral("keys"))
        .arg(plan.records.size())
        .arg(plan.refusedCount());
}

QString plannedRowText(const PlannedRow& row)
{
    QString text = QStringLiteral("%1 \"%2\"").arg(row.label, row.title);
    if (row.outcome == PlannedRow::Outcome::Refused)
        return text + QStringLiteral(": refused: ") + row.reason;
    if (row.outcome == PlannedRow::Outcome::Renamed)
        text += QStringLiteral(": imported as \"%1\"").arg(row.name);
    else if (row.dropped.isEmpty())
        return {};
    if (!row.dropped.isEmpty())
        text += QStringLiteral("; not kept: ") + row.dropped.join(QStringLiteral(", "));
    return text;
}

QString skippedText(const ImportPlan& plan)
{
    if (plan.skipped == 0)
        return {};
    return QStringLiteral("%1 skipped: %2").arg(plan.skipped).arg(plan.skippedWhat);
}

} // namespace tessary
