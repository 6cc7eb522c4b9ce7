#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "app/version.h"
#include "app/workspace.h"
#include "ui/main_window.h"

// The examples of the source tree, for a program run from its build folder.
#ifndef ZELO_EXAMPLES_DIR
#define ZELO_EXAMPLES_DIR ""
#endif

namespace {
constexpr const char* kUsage =
    "Usage: zelo8051 [FOLDER] [--screenshot FILE [--demo NAME [--debug | --board BOARD [--steps N]]]]\n"
    "The 8051 teaching workbench: assemble, simulate and disassemble 8051,\n"
    "8052 and 89Cx051 programs in one window. FOLDER is the workspace, the\n"
    "folder whose sources, listings and HEX files the workbench reads and writes.\n"
    "\n"
    "Options:\n"
    "  --screenshot FILE  save a picture of the window into FILE and end\n"
    "  --demo NAME        before the picture, assemble NAME.asm and step it\n"
    "  --debug            with --demo: the listing, a breakpoint and the Debug panel\n"
    "  --board BOARD      with --demo, the board file BOARD of the boards folder\n"
    "  --steps N          with --demo, the number of steps (12 unless given)\n"
    "  --help             show this text and end\n"
    "  --version          show the version and end\n";
}  // namespace

// zelo8051 [FOLDER] [--screenshot FILE [--demo NAME [--debug | --board BOARD [--steps N]]]]
// With --screenshot the window is grabbed into FILE after start-up and the
// program ends; --demo first opens NAME.asm, assembles it, switches to
// "Simulate" and executes a few steps, so the picture shows a program at work;
// with --debug it shows the listing and the Debug panel instead, with a
// watch on P1.0, and runs to a breakpoint on the first subroutine.
// Without --debug, --board chooses the board file BOARD of the boards folder
// and --steps sets the number of steps (12 unless said).
int main(int argc, char** argv)
{
    // Answered before the window system is reached, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") return (std::cout << kUsage).good() ? 0 : 1;
        if (arg == "--version") return (std::cout << zelo::app::VersionOptionText("zelo8051")).good() ? 0 : 1;
    }
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName("zelo8051");
    QApplication::setWindowIcon(QIcon::fromTheme("zelo8051"));
    zelo::app::WorkspaceChoice choice;
    QString screenshot;
    QString demo;
    bool debugDemo = false;
    QString demoBoard;
    int demoSteps = 12;
    const QStringList args = application.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == "--screenshot" && i + 1 < args.size())
            screenshot = args.at(++i);
        else if (args.at(i) == "--demo" && i + 1 < args.size())
            demo = args.at(++i);
        else if (args.at(i) == "--debug")
            debugDemo = true;
        else if (args.at(i) == "--board" && i + 1 < args.size())
            demoBoard = args.at(++i);
        else if (args.at(i) == "--steps" && i + 1 < args.size())
            demoSteps = args.at(++i).toInt();
        else
            choice.commandLineFolder = args.at(i).toStdString();
    }
    if (const char* env = std::getenv("ZELO8051_HOME")) choice.environmentFolder = std::string(env);
    choice.programFolder = QCoreApplication::applicationDirPath().toStdString();
    if (const char* home = std::getenv("HOME")) choice.homeFolder = home;
    choice.shippedExamples = zelo::app::ShippedExamplesFolder(choice.programFolder, ZELO_EXAMPLES_DIR);
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
        if (debugDemo) {
            model.SelectFileType(1);
            model.SetShowDebug(true);
            const auto& listing = model.Listing();
            // A breakpoint on the subroutine DELAY (or the first label after
            // 0000H), a watch on P1.0; runs stop on the watch until one
            // reaches the breakpoint.
            auto target = listing.LabelAddress("DELAY");
            for (const auto& label : listing.Labels()) {
                if (target) break;
                if (label.address != 0) target = label.address;
            }
            if (target) {
                if (const auto line = listing.LineOfAddress(*target))
                    model.ToggleBreakpointAtLine(*line);
            }
            model.AddWatch("P1.0");
            for (int run = 0; run < 5 && model.Simulator().ProgramCounter() != target.value_or(0);
                 ++run) {
                model.ClickRun();
                for (int tick = 0; tick < 100000 && model.RunningFlag(); ++tick) model.Timer1Tick();
            }
        } else {
            const auto& boards = model.Accessory().Files();
            for (size_t i = 0; i < boards.size(); ++i)
                if (QString::fromStdString(boards[i].stem().string()) == demoBoard)
                    model.ChooseBoard(static_cast<int>(i));
            for (int step = 0; step < demoSteps; ++step) model.OneStep();
        }
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
