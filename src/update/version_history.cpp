#include "update/version_history.h"

#include "storage/codepage.h"
#include "storage/file_io.h"
#include "update/script_number.h"

#include <QStringList>

#include <cerrno>

namespace tessary {

namespace {

bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Sequential list items: a comma or a line end closes an item; empty items count, blank lines hold none.
QStringList listItems(const QString& text)
{
    QStringList items;
    qsizetype i = 0;
    const qsizetype end = text.size();
    while (i < end) {
        while (i < end && text.at(i) == QLatin1Char(' '))
            ++i;
        if (i < end && isLineEnd(text.at(i))) {
            ++i;
            continue;
        }
        if (i == end)
            break;
        QString item;
        if (text.at(i) == QLatin1Char('"')) {
            // An unclosed quote ends with its line: the line end belongs to no item.
            const qsizetype first = ++i;
            while (i < end && text.at(i) != QLatin1Char('"') && !isLineEnd(text.at(i)))
                ++i;
            item = text.mid(first, i - first);
            while (i < end && text.at(i) != QLatin1Char(',') && !isLineEnd(text.at(i)))
                ++i;
        } else {
            const qsizetype first = i;
            while (i < end && text.at(i) != QLatin1Char(',') && !isLineEnd(text.at(i)))
                ++i;
            item = text.mid(first, i - first).trimmed();
        }
        items.append(item);
        if (i < end)
            ++i; // the comma or line end that closed the item
    }
    return items;
}

} // namespace

VersionHistory parseVersionHistory(const QString& text)
{
    VersionHistory history;
    const QStringList items = listItems(text);
    for (qsizetype i = 0; i < items.size(); i += 2) {
        const auto version = scriptSingle(items.at(i));
        if (!version) {
            history.error = QStringLiteral("The version history holds \"%1\" where a version number belongs.")
                                .arg(items.at(i));
            history.releases.clear();
            return history;
        }
        if (i + 1 == items.size()) {
            history.error = QStringLiteral("The version history ends with version %1, which has no description.")
                                .arg(items.at(i));
            history.releases.clear();
            return history;
        }
        history.releases.append(Release{*version, items.at(i + 1)});
    }
    return history;
}

VersionHistory passThroughHistoryFile(const QString& path, const QString& history)
{
    // Replaced, not written into: the server's text must not land in a file a planted link names.
    const QByteArray line = toCodePage(history) + "\r\n";
    QString reason;
    VersionHistory failed;
    if (!replaceFile(path, line, reason)) {
        failed.error = QStringLiteral("Cannot write %1: %2").arg(path, reason);
        return failed;
    }
    QByteArray read;
    if (const FileReadStatus status = readRegularFile(path, line.size(), read, reason); status != FileReadStatus::Ok) {
        if (status == FileReadStatus::Missing)
            reason = systemReason(ENOENT);
        failed.error = QStringLiteral("Cannot read %1: %2").arg(path, reason);
        return failed;
    }
    return parseVersionHistory(fromCodePage(read));
}

} // namespace tessary
