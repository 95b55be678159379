#include "app/data_folder.h"
#include "ui/flow/process_guard.h"
#include "ui/flow/program.h"
#include "ui/widgets/combo_box_name.h"
#include "ui/widgets/icons.h"
#include "ui/widgets/message_box.h"

#include <QApplication>
#include <QProcessEnvironment>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    tessary::disableCoreDumps();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QApplication::setOrganizationName(QStringLiteral("Tessary"));
    QApplication::setDesktopFileName(QStringLiteral("org.tessary.tessary"));
    QApplication::setWindowIcon(tessary::programIcon());
    tessary::MessageBox::plainButtonsEverywhere();
    tessary::nameComboBoxesByTheirLabels();
    // The tray icon keeps the program alive; it ends only through its shutdown.
    QApplication::setQuitOnLastWindowClosed(false);

    const tessary::DataFolder folder = tessary::enterDataFolder({}, QProcessEnvironment::systemEnvironment());
    if (!folder.failure.isEmpty()) {
        tessary::MessageBox::show(nullptr, folder.failure, tessary::MessageBox::programTitle(),
                                  tessary::MessageBox::Kind::Failure);
        return 1;
    }
    tessary::Program program({folder.path, QSystemTrayIcon::isSystemTrayAvailable(), {}});
    tessary::TerminationWatcher watcher;
    QObject::connect(&watcher, &tessary::TerminationWatcher::terminationRequested, &program,
                     &tessary::Program::shutdownProgram);
    program.startProgram(QApplication::arguments().mid(1));
    return QApplication::exec();
}
