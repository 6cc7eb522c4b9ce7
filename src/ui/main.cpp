#include <QApplication>
#include <QMessageBox>
#include <cstdlib>

#include "app/workspace.h"
#include "ui/main_window.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    zelo::app::WorkspaceChoice choice;
    const QStringList args = application.arguments();
    if (args.size() > 1) choice.commandLineFolder = args.at(1).toStdString();
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
    zelo::ui::MainWindow window;
    window.show();
    return application.exec();
}
