#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>

#include "app/workspace.h"
#include "ui/main_window.h"

// zelo8051 [FOLDER] [--screenshot FILE]
// With --screenshot the window is grabbed into FILE after start-up and the
// program ends.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    zelo::app::WorkspaceChoice choice;
    QString screenshot;
    const QStringList args = application.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == "--screenshot" && i + 1 < args.size())
            screenshot = args.at(++i);
        else
            choice.commandLineFolder = args.at(i).toStdString();
    }
    if (const char* env = std::getenv("ZELO8051_HOME")) choice.environmentFolder = std::string(env);
    choice.programFolder = QCoreApplication::applicationDirPath().toStdString();
    if (const char* home = std::getenv("HOME")) choice.homeFolder = home;
#ifdef ZELO_EXAMPLES_DIR
    choice.shippedExamples = ZELO_EXAMPLES_DIR;
#endif
    const auto workspace = zelo::app::ResolveWorkspace(choice);
    if (!workspace.ok) {
        QMessageBox::critical(nullptr, "ZELO8051", QString::fromStdString(workspace.message));
        return 1;
    }
    zelo::ui::MainWindow window(workspace.folder);
    window.show();
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(800, &window, [&window, screenshot] {
            const bool saved = window.grab().save(screenshot);
            QApplication::exit(saved ? 0 : 2);
        });
    }
    return application.exec();
}
