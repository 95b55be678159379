#include "update/update_script.h"

#include "update/get_parm.h"
#include "update/script_number.h"
#include "update/version_history.h"

#include <optional>

namespace tessary {

namespace {

QString unreadableNumber(const QString& parm, const QString& value)
{
    return QStringLiteral("The update script's %1 is missing or not a number (\"%2\"). The check was stopped.")
        .arg(parm, value);
}

UpdateCheck stopped(UpdateCheck check, UpdateCheck::Outcome outcome, const QString& message = {})
{
    check.outcome = outcome;
    check.message = message;
    return check;
}

} // namespace

QUrl updateScriptUrl()
{
    return QUrl(QStringLiteral("http://update.tessary.example/a.txt"));
}

UpdateCheck evaluateUpdateScript(const QString& script, const QString& historyPath)
{
    UpdateCheck check;
    if (!script.toUpper().contains(QStringLiteral("WEBUPDATE-SCRIPT-START")))
        return stopped(check, UpdateCheck::Outcome::MessageBox,
                       QStringLiteral("Web Update Script not found! Download a newer copy of this program from XXX"));

    const QString programName = GetParm(script, QStringLiteral("ProgramName"));
    const QString downloadUrl = GetParm(script, QStringLiteral("DownloadURL"));
    const QString history = GetParm(script, QStringLiteral("VersionHistory"));
    std::optional<float> numbers[3];
    const QString numberNames[3] = {QStringLiteral("WebUpdateVersion"), QStringLiteral("CurrentVersion"),
                                    QStringLiteral("RecommendedVersion")};
    for (int i = 0; i < 3; ++i) {
        const QString value = GetParm(script, numberNames[i]);
        numbers[i] = scriptSingle(value);
        if (!numbers[i])
            return stopped(check, UpdateCheck::Outcome::Unreadable, unreadableNumber(numberNames[i], value));
    }
    const float webUpdateVersion = *numbers[0];
    const float currentVersion = *numbers[1];
    const float recommendedVersion = *numbers[2];
    const QString sizeText = GetParm(script, QStringLiteral("DownloadSize"));
    const auto downloadSize = scriptLong(sizeText);
    if (!downloadSize)
        return stopped(check, UpdateCheck::Outcome::Unreadable,
                       unreadableNumber(QStringLiteral("DownloadSize"), sizeText));

    if (webUpdateVersion > programVersion) {
        const QString compatibleText = GetParm(script, QStringLiteral("WebUpdateCompatable"));
        const auto compatible = scriptSingle(compatibleText);
        if (!compatible)
            return stopped(check, UpdateCheck::Outcome::Unreadable,
                           unreadableNumber(QStringLiteral("WebUpdateCompatable"), compatibleText));
        if (*compatible > programVersion)
            return stopped(check, UpdateCheck::Outcome::MessageBox,
                           QStringLiteral("We are too old to be doing this. I am retiring."));
        check.lines.append({QStringLiteral("Web Update Script Version: ") + versionText(*compatible) +
                            QStringLiteral(" (compatable)")});
    } else {
        check.lines.append({QStringLiteral("Web Update Script Version: ") + versionText(webUpdateVersion)});
    }

    if (!programName.contains(QStringLiteral("Tessary"))) {
        check.lines.append({QStringLiteral("Wrong Program Update Script Found. Aborting.")});
        check.lines.append({programName});
        return stopped(check, UpdateCheck::Outcome::WrongProgram);
    }
    if (!(currentVersion > programVersion)) {
        check.lines.append({QStringLiteral("Current Version is already up to date")});
        return stopped(check, UpdateCheck::Outcome::UpToDate);
    }
    check.lines.append({QStringLiteral("Most recent version is ") + versionText(currentVersion)});
    if (recommendedVersion > programVersion)
        check.lines.append({QStringLiteral("It is highly recommended that you upgrade"), true});
    check.lines.append({QString()});
    check.lines.append({QStringLiteral("The URL is ") + downloadUrl + QStringLiteral(" (") +
                        QString::number(*downloadSize) + QStringLiteral("kb size)")});

    const VersionHistory releases = passThroughHistoryFile(historyPath, history);
    if (!releases.error.isEmpty())
        return stopped(check, UpdateCheck::Outcome::Unreadable, releases.error);
    for (const Release& release : releases.releases) {
        if (!(release.version > programVersion))
            continue;
        if (check.listItems.size() < maximumListItems)
            check.listItems.append(versionText(release.version) + QStringLiteral(" - ") + release.description);
        else
            ++check.unlistedItems;
    }
    check.outcome = UpdateCheck::Outcome::Listed;
    return check;
}

QString unlistedReleasesItem(qsizetype count)
{
    return QStringLiteral("(%1 more releases not listed)").arg(count);
}

} // namespace tessary
