// Clicks through the window as a new user does: open an example, assemble
// it, switch to "Simulate", step, run to a stop step; and the window paths
// that once crashed or misled (runs under ASan with the other tests).
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "app/version.h"
#include "ui/accessory_panel.h"
#include "ui/chip_picture_widget.h"
#include "ui/main_window.h"
#include "ui/plot_ram_widget.h"
#include "ui/source_editor.h"

using zelo::ui::MainWindow;

class WorkbenchGuiTest : public QObject {
    Q_OBJECT

private:
    template <typename T>
    T* Find(MainWindow& window, const char* name)
    {
        T* widget = window.findChild<T*>(QString::fromUtf8(name));
        if (!widget) qFatal("no control %s", name);
        return widget;
    }
    // Clicks near the left end, where option buttons and check boxes have
    // their indicator and caption.
    void Click(MainWindow& window, const char* name)
    {
        auto* button = Find<QAbstractButton>(window, name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(std::min(10, button->width() / 2), button->height() / 2));
    }
    void ChooseFile(MainWindow& window, const QString& file)
    {
        auto* list = Find<QListWidget>(window, "FileDemo");
        QVERIFY(list->isVisible());
        const auto items = list->findItems(file, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        const QRect rect = list->visualItemRect(items.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    std::filesystem::path Workspace()
    {
        const std::filesystem::path folder = m_dir.path().toStdString();
        std::filesystem::copy(std::filesystem::path(ZELO_SOURCE_DIR) / "examples", folder,
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
        return folder;
    }

    QTemporaryDir m_dir;

private slots:
    void aboutLineNamesTheRelease()
    {
        MainWindow window(Workspace());
        const QString about = Find<QLabel>(window, "About")->text();
        QVERIFY2(about.startsWith("About: ZELO8051 " + QString::fromStdString(std::string(zelo::app::ReleaseVersion()))),
                 qPrintable(about));
    }
    void openAssembleSimulateStepAndRun()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QString("ZELO8051"));

        Click(window, "AsmOpneFile");
        QVERIFY(!Find<QPushButton>(window, "AsmAll")->isEnabled());
        ChooseFile(window, "blink.asm");
        QVERIFY(!Find<QListWidget>(window, "FileDemo")->isVisible());
        QVERIFY(Find<QPlainTextEdit>(window, "編輯ASM")->toPlainText().contains("ACALL DELAY"));
        QCOMPARE(Find<QLabel>(window, "Label1")->text(), QString("  blink.asm"));

        Click(window, "AsmAll");
        QVERIFY(Find<QPlainTextEdit>(window, "編輯ASMList")->toPlainText().contains("Round 1 PASS!   Round 2 PASS!"));

        Click(window, "Option1(1)");
        QVERIFY(Find<QWidget>(window, "HexFile")->isVisible());
        QVERIFY(!Find<QWidget>(window, "AsmFile")->isVisible());
        QVERIFY(!Find<QWidget>(window, "編輯ASM")->isVisible());
        QCOMPARE(Find<QLabel>(window, "Label1")->text(), QString("  Accessory Display"));
        auto* codeList = Find<QListWidget>(window, "CodeList");
        QCOMPARE(codeList->count(), 256);
        QVERIFY(codeList->item(0)->text().startsWith("0000  75 81 60"));  // MOV SP,#60H loaded without LoadCode
        QVERIFY(Find<QPushButton>(window, "StepOverCom")->isVisible());

        for (int i = 0; i < 3; ++i) Click(window, "OneStep");
        QCOMPARE(Find<QLabel>(window, "StepVo")->text(), QString("Step:3"));
        QCOMPARE(Find<QLabel>(window, "Cycle")->text(), QString("Cycle:5"));  // 2 + 2 + 1
        QCOMPARE(Find<QLineEdit>(window, "HexToLine")->text(), QString("PC:0008"));
        QVERIFY(Find<QLineEdit>(window, "HexBox")->text().contains("CPL"));
        QVERIFY(Find<QLineEdit>(window, "HexText")->text().contains("ACALL"));

        auto* textStop = Find<QLineEdit>(window, "TextStop");
        textStop->selectAll();
        QTest::keyClicks(textStop, "40");
        Click(window, "Run");
        auto* run = Find<QPushButton>(window, "Run");
        QCOMPARE(run->text(), QString("STOP"));
        QVERIFY(!Find<QPushButton>(window, "OneStep")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(run->text(), QString("RUN"), 10000);
        QCOMPARE(Find<QLabel>(window, "StepVo")->text(), QString("Step:40"));
        QVERIFY(Find<QPushButton>(window, "OneStep")->isEnabled());
        QCOMPARE(QString::fromStdString(window.Model().Texts().cycle), Find<QLabel>(window, "Cycle")->text());
    }

    void layoutsConverterAndChip()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Click(window, "RamOp(4)");
        QCOMPARE(window.Model().Picture().Layout(), zelo::app::PictureLayout::Ascii);
        // A chip change reinitialises and shows the "RamName" layout.
        Click(window, "Chip(1)");
        QCOMPARE(window.Model().ChipModel(), zelo::core::ChipModel::C8052);
        QCOMPARE(window.Model().Picture().Layout(), zelo::app::PictureLayout::RamName);
        QVERIFY(Find<QRadioButton>(window, "RamOp(2)")->isChecked());
        QVERIFY(Find<QRadioButton>(window, "Chip(1)")->isChecked());

        Click(window, "CheckConvter");
        auto* converter = Find<QWidget>(window, "Converter");
        QVERIFY(converter->isVisible());
        auto* dec = Find<QLineEdit>(window, "weiB(2)");
        QTest::keyClicks(dec, "255");
        QCOMPARE(Find<QLineEdit>(window, "weiB(3)")->text(), QString("FF"));
        QCOMPARE(Find<QLineEdit>(window, "weiB(0)")->text(), QString("11111111"));
        QTest::keyClicks(dec, "?");
        QCOMPARE(Find<QLineEdit>(window, "weiB(3)")->text(), QString(""));

        // Dragging the panel leaves its top-left corner where the pointer was.
        auto* plot = Find<zelo::ui::PlotRamWidget>(window, "PlotRam");
        const QPoint before = converter->pos();
        const QPointF pointer = converter->mapToGlobal(QPointF(5, 5)) + QPointF(200, 40);
        QTest::mousePress(converter, Qt::LeftButton, {}, QPoint(5, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), pointer, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(converter, &move);
        QTest::mouseRelease(converter, Qt::LeftButton);
        QCOMPARE(converter->pos(), plot->mapFromGlobal(pointer.toPoint()));
        QVERIFY(converter->pos() != before);
        // It stays there when the window is resized and laid out again.
        const QPointF scaled = QPointF(converter->pos()) / window.width();
        window.resize(window.width() + 200, window.height() + 150);
        QTest::qWait(50);
        QVERIFY(std::abs(QPointF(converter->pos()).x() / window.width() - scaled.x()) < 0.01);

    }

    void hoverExplainsCellsAndAPinClickDrivesThePort()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* plot = Find<zelo::ui::PlotRamWidget>(window, "PlotRam");
        // The centre of the cell of row r, column c in the 165 x 54 picture.
        auto cellCentre = [plot](int row, int column) {
            return plot->ToWidget(5 + 10 * column + 5, 4 + 3 * (15 - row) + 1.5).toPoint();
        };

        Click(window, "RamOp(3)");  // the opcode map
        QTest::mouseMove(plot, cellCentre(0x7, 0x4));
        QTRY_VERIFY(window.windowTitle().startsWith("ZELO8051      OpCode= 74  [2B,1C]  Instruction= MOV  A, #data"));

        Click(window, "RamOp(0)");  // RamBit: SP is an SFR, 30H is undefined RAM
        QTest::mouseMove(plot, cellCentre(0x8, 0x1));
        QTRY_VERIFY(window.windowTitle().startsWith("ZELO8051    SFRCode=81H"));
        QTest::mouseMove(plot, cellCentre(0x3, 0x0));
        QTRY_VERIFY(window.windowTitle().startsWith("ZELO8051    IMCode=30H"));

        // A double click turns the inspector off: moving no longer changes the caption.
        QTest::mouseDClick(plot, Qt::LeftButton, {}, cellCentre(0x3, 0x0));
        const QString frozen = window.windowTitle();
        QTest::mouseMove(plot, cellCentre(0x8, 0x1));
        QTest::qWait(20);
        QCOMPARE(window.windowTitle(), frozen);

        // LEG shows the 40-pin chip; a click on pin 12 (P3.2, INT0) pulls the pin low
        // and leaves the latch.
        Click(window, "ChkLeg");
        auto* chip = Find<zelo::ui::ChipPictureWidget>(window, "F8051");
        QVERIFY(chip->isVisible());
        const auto& pin = window.Model().Pins().Pin(12);
        QVERIFY(QString::fromStdString(pin.name).startsWith("P3.2"));
        QCOMPARE(window.Model().Cpu().ReadBit(zelo::core::BitAddress{0xB0, 2}), '1');
        QTest::mouseClick(chip, Qt::LeftButton, {}, chip->WidgetFromTwips(QPointF(pin.innerX, pin.y)).toPoint());
        QCOMPARE(window.Model().Cpu().ReadBit(zelo::core::BitAddress{0xB0, 2}), '1');
        QCOMPARE(int(window.Model().Simulator().PinLevels()[3]), 0xFB);
        // Pin 20 is GND: a click there changes nothing.
        const auto& ground = window.Model().Pins().Pin(20);
        QTest::mouseClick(chip, Qt::LeftButton, {}, chip->WidgetFromTwips(QPointF(ground.innerX, ground.y)).toPoint());
        QCOMPARE(int(window.Model().Simulator().PinLevels()[3]), 0xFB);
        QCOMPARE(window.Model().Cpu().PeekRamByteText(0xB0), std::string("FF"));
    }

    void saveAsAsksForANameAndWritesTheFile()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* editor = Find<QPlainTextEdit>(window, "編輯ASM");
        QTest::keyClicks(editor, " NOP");
        QVERIFY(window.Model().SourceModified());
        // Answer the dialog as soon as it opens.
        QTimer::singleShot(200, [] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString("Save File As..."));
            QCOMPARE(dialog->labelText(), QString("Please Enter File Name"));
            dialog->setTextValue("fresh");
            dialog->accept();
        });
        Click(window, "AsmSave1");  // no name yet: asks
        QVERIFY(std::filesystem::exists(std::filesystem::path(m_dir.path().toStdString()) / "fresh.asm"));
        QVERIFY(!window.Model().SourceModified());
        QCOMPARE(QString::fromStdString(window.Model().ProgramName()), QString("fresh"));
    }

    void failedAsmAllSelectsTheFirstProblemLine()
    {
        const auto folder = Workspace();
        {
            std::ofstream bad(folder / "bad.asm", std::ios::binary);
            bad << "        MOV A,#1\r\n        SJMP NOWHERE\r\n        NOP\r\n        END\r\n";
        }
        MainWindow window(folder);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Click(window, "AsmOpneFile");
        ChooseFile(window, "bad.asm");
        Click(window, "AsmAll");
        auto* editor = Find<QPlainTextEdit>(window, "編輯ASM");
        QCOMPARE(editor->textCursor().selectedText(), QString("        SJMP NOWHERE"));
        QVERIFY(Find<QPlainTextEdit>(window, "編輯ASMList")->toPlainText().contains("Problem in line: 2"));
    }

    void openingAnotherFileAsksBeforeDroppingEdits()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Click(window, "AsmOpneFile");
        ChooseFile(window, "blink.asm");
        QTest::keyClicks(Find<QPlainTextEdit>(window, "編輯ASM"), "; edited");
        QVERIFY(window.Model().SourceModified());

        // Cancel keeps the edited source.
        bool asked = false;
        QTimer::singleShot(200, [&asked] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            asked = true;
            box->button(QMessageBox::Cancel)->click();
        });
        Click(window, "AsmOpneFile");
        ChooseFile(window, "sum.asm");
        QVERIFY(asked);
        QCOMPARE(QString::fromStdString(window.Model().ProgramName()), QString("blink"));
        QVERIFY(window.Model().SourceModified());
        QVERIFY(!Find<QListWidget>(window, "FileDemo")->isVisible());
        QVERIFY(Find<QPushButton>(window, "AsmSave1")->isEnabled());

        // Discard opens the other file.
        QTimer::singleShot(200, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            box->button(QMessageBox::Discard)->click();
        });
        Click(window, "AsmOpneFile");
        ChooseFile(window, "sum.asm");
        QCOMPARE(QString::fromStdString(window.Model().ProgramName()), QString("sum"));
        QVERIFY(!window.Model().SourceModified());
    }

    // The prompt's "Save" asks for a name, the new file refills the list and
    // deletes the clicked item: the click must still open the clicked file.
    void savingANewSourceFromThePromptOpensTheClickedFile()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClicks(Find<QPlainTextEdit>(window, "編輯ASM"), "        NOP");
        QVERIFY(window.Model().SourceModified());

        bool asked = false, named = false;
        QTimer::singleShot(200, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            asked = true;
            // The save-as dialog opens inside the prompt's Save.
            QTimer::singleShot(200, [&named] {
                auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                named = true;
                dialog->setTextValue("aaa_new");
                dialog->accept();
            });
            box->button(QMessageBox::Save)->click();
        });
        Click(window, "AsmOpneFile");
        ChooseFile(window, "timer.asm");
        QVERIFY(asked);
        QVERIFY(named);
        QVERIFY(std::filesystem::exists(std::filesystem::path(m_dir.path().toStdString()) / "aaa_new.asm"));
        QCOMPARE(QString::fromStdString(window.Model().ProgramName()), QString("timer"));
        QVERIFY(Find<QPlainTextEdit>(window, "編輯ASM")->toPlainText().contains("TMOD"));
        QVERIFY(!window.Model().SourceModified());
    }

    void hexAndRamAreSeparateAndBothClickableInAssembleMode()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Click(window, "Option1(1)");
        Click(window, "Option1(0)");
        auto* hex = Find<QRadioButton>(window, "OpASM(2)");
        auto* ram = Find<QRadioButton>(window, "OpASM(4)");
        QVERIFY(hex->isVisible());
        QVERIFY(ram->isVisible());
        QVERIFY(!hex->geometry().intersects(ram->geometry()));
        Click(window, "OpASM(4)");
        QVERIFY(ram->isChecked());
        QCOMPARE(window.Model().SelectedFileType(), zelo::app::FileType::Ram);
        Click(window, "OpASM(2)");
        QVERIFY(hex->isChecked());
        QCOMPARE(window.Model().SelectedFileType(), zelo::app::FileType::Hex);
    }

    // The left part of every cell's frame belongs to that cell, not to its
    // left neighbour.
    void hoverAtTheLeftOfACellDescribesThatCell()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* plot = Find<zelo::ui::PlotRamWidget>(window, "PlotRam");
        const zelo::app::GridGeometry grid;
        Click(window, "RamOp(0)");
        // 81H (SP): row 8, column 1; its left neighbour 80H is P0.
        QTest::mouseMove(plot, plot->ToWidget(grid.CellX(1) - 0.6, grid.CellY(8) + 2.0).toPoint());
        QTRY_VERIFY(window.windowTitle().startsWith("ZELO8051    SFRCode=81H"));
    }

    // Opening a source replaces the editor's text: the line numbers beside
    // it are those of the new text at once, also when the old text was
    // scrolled, without a click into the editor.
    // The listing in "Simulate": a click in its margin sets a breakpoint,
    // RUN stops there, and the line at PC is the highlighted one; the Debug
    // panel says why the run stopped.
    void marginClickSetsABreakpointAndTheRunStopsOnItsHighlightedLine()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Click(window, "AsmOpneFile");
        ChooseFile(window, "blink.asm");
        Click(window, "AsmAll");
        Click(window, "Option1(1)");
        Click(window, "OpASM(1)");
        Click(window, "CheckDebug");
        auto* editor = Find<zelo::ui::SourceEditor>(window, "編輯ASM");
        QVERIFY(editor->isVisible());
        QVERIFY(editor->Debugging());
        const int waitLine =
            *window.Model().Listing().LineOfAddress(*window.Model().Listing().LabelAddress("WAIT"));
        QCOMPARE(editor->PcLine(), window.Model().Listing().LineOfAddress(0));

        // The margin's point on the WAIT line.
        const QTextBlock block = editor->document()->findBlockByNumber(waitLine);
        const QRect lineRect = editor->cursorRect(QTextCursor(block));
        const QPoint inMargin(
            4, editor->Margin()
                   ->mapFromGlobal(editor->viewport()->mapToGlobal(lineRect.center()))
                   .y());
        QTest::mouseClick(editor->Margin(), Qt::LeftButton, {}, inMargin);
        QCOMPARE(window.Model().Simulator().Breakpoints().Addresses(),
                 std::vector<uint16_t>{0x000E});
        QCOMPARE(Find<QListWidget>(window, "DebugBreakpoints")->item(0)->text(),
                 QString("000EH WAIT"));

        Click(window, "Run");
        QTRY_VERIFY_WITH_TIMEOUT(!window.Model().RunningFlag(), 5000);
        QCOMPARE(editor->PcLine(), std::optional<int>(waitLine));
        const auto selections = editor->extraSelections();
        QCOMPARE(selections.size(), 1);
        QCOMPARE(selections.first().cursor.blockNumber(), waitLine);
        QCOMPARE(Find<QLabel>(window, "DebugStop")->text(),
                 QString("Stopped at breakpoint 000EH WAIT"));

        // Back undoes the step into WAIT: PC is on the line before it again.
        Click(window, "Back");
        QCOMPARE(editor->PcLine(), window.Model().Listing().LineOfAddress(0x000C));
    }

    void lineNumbersFollowANewSourceWithChineseComments()
    {
        const auto folder = Workspace();
        const std::string comment = QString::fromUtf8("延遲迴圈，等待計時器溢位後再繼續").toStdString();
        for (const char* name : {"long.asm", "comments.asm"}) {
            std::ofstream source(folder / name, std::ios::binary);
            const int lines = std::string(name) == "long.asm" ? 200 : 12;
            for (int i = 0; i < lines; ++i) source << "        NOP          ; " << comment << i << "\r\n";
            source << "        END\r\n";
        }
        MainWindow window(folder);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* editor = Find<QPlainTextEdit>(window, "編輯ASM");
        auto* numbers = editor->findChild<QWidget*>("LineNumbers");
        QVERIFY(numbers);
        Click(window, "AsmOpneFile");
        ChooseFile(window, "long.asm");
        editor->verticalScrollBar()->setValue(editor->verticalScrollBar()->maximum());
        QTest::qWait(50);
        Click(window, "AsmOpneFile");
        ChooseFile(window, "comments.asm");
        QVERIFY(editor->toPlainText().contains(QString::fromUtf8("延遲迴圈")));
        QTest::qWait(100);
        // What the screen shows is what a fresh paint of the margin shows.
        auto onScreen = [&window, numbers] {
            const QRect area(numbers->mapTo(&window, QPoint(0, 0)), numbers->size());
            return window.screen()->grabWindow(window.winId()).toImage().copy(area);
        };
        const QImage shown = onScreen();
        numbers->repaint();
        QTest::qWait(50);
        QCOMPARE(shown, onScreen());
    }

private:
    // Opens, assembles and simulates an example with a board chosen by name.
    void SimulateWithBoard(MainWindow& window, const QString& program, const QString& board)
    {
        Click(window, "AsmOpneFile");
        ChooseFile(window, program);
        Click(window, "AsmAll");
        Click(window, "Option1(1)");
        auto* choice = Find<QComboBox>(window, "BoardChoice");
        const int index = choice->findText(board);
        QVERIFY(index >= 0);
        choice->setCurrentIndex(index);
        emit choice->activated(index);
    }
    void RunSteps(MainWindow& window, const char* steps)
    {
        auto* textStop = Find<QLineEdit>(window, "TextStop");
        textStop->selectAll();
        QTest::keyClicks(textStop, steps);
        Click(window, "Run");
        QTRY_COMPARE_WITH_TIMEOUT(Find<QPushButton>(window, "Run")->text(), QString("RUN"), 20000);
    }

private slots:
    void aPressedBoardButtonLightsAnLed()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        SimulateWithBoard(window, "buttons_int0.asm", "LEDs and switches");
        auto* board = Find<zelo::ui::BoardWidget>(window, "BoardPicture");
        QVERIFY(board->isVisible());
        RunSteps(window, "20");
        const auto& model = window.Model().Accessory().Board();
        QVERIFY(!model.LedLit(7));

        // The second button is wired to P3.3, which the program polls.
        std::optional<zelo::app::BoardShape> button;
        for (const auto& shape : board->Picture().shapes)
            if (shape.part == zelo::app::BoardPart::Button && shape.index == 1) button = shape;
        QVERIFY(button);
        const QPoint centre(button->x + button->w / 2, button->y + button->h / 2);
        QTest::mousePress(board, Qt::LeftButton, {}, centre);
        QVERIFY(model.ButtonPressed(1));
        QCOMPARE(int(window.Model().Simulator().PinLevels()[3]), 0xF7);
        for (int i = 0; i < 14; ++i) Click(window, "OneStep");  // twice round the loop
        QVERIFY(model.LedLit(7));
        QTest::mouseRelease(board, Qt::LeftButton, {}, centre);
        for (int i = 0; i < 14; ++i) Click(window, "OneStep");  // twice round the loop
        QVERIFY(!model.LedLit(7));
    }

    void aLineTypedIntoTheTerminalComesBackEchoed()
    {
        MainWindow window(Workspace());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        SimulateWithBoard(window, "serial_echo.asm", "LCD");
        auto* input = Find<QLineEdit>(window, "TerminalInput");
        QTest::keyClicks(input, "hi");
        QTest::keyClick(input, Qt::Key_Return);
        QVERIFY(input->text().isEmpty());
        QCOMPARE(window.Model().Accessory().Terminal().Pending().size(), std::size_t(4));  // "hi" CR LF
        RunSteps(window, "20000");
        QCOMPARE(Find<QPlainTextEdit>(window, "TerminalText")->toPlainText(), QString("hi\n"));
        QCOMPARE(Find<QPlainTextEdit>(window, "TerminalHex")->toPlainText(), QString("68 69 0D 0A\n"));
    }
};

QTEST_MAIN(WorkbenchGuiTest)
#include "workbench_gui_test.moc"
