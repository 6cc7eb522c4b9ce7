// Window paths that used to crash or mislead: a file clicked while the
// edited source is saved through the prompt, the file-type options shown
// together, the hover inspector at the left of a cell and the line numbers
// of a source with Chinese comments. Runs under ASan with the other tests.
#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "ui/main_window.h"
#include "ui/plot_ram_widget.h"

using zelo::ui::MainWindow;

class WindowFaultsGuiTest : public QObject {
    Q_OBJECT

private:
    template <typename T>
    T* Find(MainWindow& window, const char* name)
    {
        T* widget = window.findChild<T*>(QString::fromUtf8(name));
        if (!widget) qFatal("no control %s", name);
        return widget;
    }
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
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
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
};

QTEST_MAIN(WindowFaultsGuiTest)
#include "window_faults_gui_test.moc"
