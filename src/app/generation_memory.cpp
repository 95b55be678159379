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

void rememberGeneration(const QString& userName, const QString& ringPath, std::uint64_t generation)
{
    if (generation <= rememberedGeneration(userName, ringPath))
        return;
    QSettings settings = store();
    settings.setValue(group + QLatin1Char('/') + entryOf(userName, ringPath), quint64(generation));
    settings.sync();
}

void forgetGeneration(const QString& userName, const QString& ringPath)
{
    QSettings settings = store();
    settings.remove(group + QLatin1Char('/') + entryOf(userName, ringPath));
    settings.sync();
}

} // namespace tessary
