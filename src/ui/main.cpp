#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>

#include "app/workspace.h"
#include "ui/main_window.h"

// zelo8051 [FOLDER] [--screenshot FILE [--demo NAME]]
// With --screenshot the window is grabbed into FILE after start-up and the
// program ends; --demo first opens NAME.asm, assembles it, switches to
// "Simulate" and executes a few steps, so the picture shows a program at work.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    zelo::app::WorkspaceChoice choice;
    QString screenshot;
    QString demo;
    const QStringList args = application.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == "--screenshot" && i + 1 < args.size())
            screenshot = args.at(++i);
        else if (args.at(i) == "--demo" && i + 1 < args.size())
            demo = args.at(++i);
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
    if (!demo.isEmpty()) {
        auto& model = window.Model();
        model.AsmOpneFile();
        model.ClickFile(demo.toStdString() + ".asm");
        model.AsmAll();
        model.SwitchMode(1);
        for (int step = 0; step < 12; ++step) model.OneStep();
        window.Render();
    }
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(800, &window, [&window, screenshot] {
            const bool saved = window.grab().save(screenshot);
            QApplication::exit(saved ? 0 : 2);
        });
    }
    return application.exec();
}
