#include "app/generation_memory.h"

#include <QFileInfo>
#include <QSettings>
#include <QUrl>

namespace tessary {

namespace {

const QString group = QStringLiteral("KeyRingGenerations");

// One name per user and file: the file as the link at its name leads to it, without the slashes QSettings would
// take for groups.
QString entryOf(const QString& userName, const QString& ringPath)
{
    const QFileInfo ring(ringPath);
    const QString file = ring.exists() ? ring.canonicalFilePath() : ring.absoluteFilePath();
    return QString::fromLatin1(QUrl::toPercentEncoding(userName + QLatin1Char('|') + file));
}

QSettings store()
{
    return QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
}

} // namespace

std::uint64_t rememberedGeneration(const QString& userName, const QString& ringPath)
{
    const QSettings settings = store();
    return settings.value(group + QLatin1Char('/') + entryOf(userName, ringPath), 0).toULongLong();
}

bool rememberGeneration(const QString& userName, const QString& ringPath, std::uint64_t generation)
{
    if (generation <= rememberedGeneration(userName, ringPath))
        return true;
    QSettings settings = store();
    settings.setValue(group + QLatin1Char('/') + entryOf(userName, ringPath), quint64(generation));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString generationNotKeptMessage(const QString& ringPath)
{
    return QStringLiteral("The generation of %1 could not be kept in %2: an older copy of it put back would not be "
                          "noticed. Let the program write there.")
        .arg(QFileInfo(ringPath).fileName(), store().fileName());
}

void forgetGeneration(const QString& userName, const QString& ringPath)
{
    QSettings settings = store();
    settings.remove(group + QLatin1Char('/') + entryOf(userName, ringPath));
    settings.sync();
}

} // namespace tessary
