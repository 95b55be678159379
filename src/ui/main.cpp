#include "ui/flow/process_guard.h"
#include "ui/flow/program.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/message_box.h"

#include <QApplication>
#include <QDir>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    tessary::disableCoreDumps();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QApplication::setOrganizationName(QStringLiteral("Tessary"));
    QApplication::setDesktopFileName(QStringLiteral("tessary"));
    QApplication::setWindowIcon(tessary::programIcon());
    tessary::MessageBox::plainButtonsEverywhere();
    // The tray icon keeps the program alive; it ends only through its shutdown.
    QApplication::setQuitOnLastWindowClosed(false);

    tessary::Program program({QDir::currentPath(), QSystemTrayIcon::isSystemTrayAvailable(), {}});
    tessary::TerminationWatcher watcher;
    QObject::connect(&watcher, &tessary::TerminationWatcher::terminationRequested, &program,
                     &tessary::Program::shutdownProgram);
    program.startProgram(QApplication::arguments().mid(1));
    return QApplication::exec();
}
