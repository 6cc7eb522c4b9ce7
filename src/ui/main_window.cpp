#include "ui/main_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>

#include "app/version.h"
#include "ui/accessory_panel.h"
#include "ui/chip_picture_widget.h"
#include "ui/debug_panel_widget.h"
#include "ui/draggable_frame.h"
#include "ui/fonts.h"
#include "ui/plot_ram_widget.h"
#include "ui/source_editor.h"

namespace zelo::ui {

namespace {
QString Q(const std::string& text) { return QString::fromStdString(text); }

void SetTextIfChanged(QLineEdit* edit, const std::string& text)
{
    const QString q = Q(text);
    if (edit->text() != q) edit->setText(q);
}

void SetTextIfChanged(QPlainTextEdit* edit, const std::string& text)
{
    const QString q = Q(text);
    if (edit->toPlainText() != q) {
        const QSignalBlocker block(edit);
        edit->setPlainText(q);
    }
}

void SetRows(QListWidget* list, const std::vector<std::string>& rows)
{
    bool same = list->count() == static_cast<int>(rows.size());
    for (int i = 0; same && i < list->count(); ++i) same = list->item(i)->text() == Q(rows[i]);
    if (same) return;
    const QSignalBlocker block(list);
    list->clear();
    for (const auto& row : rows) list->addItem(Q(row));
}
}  // namespace

MainWindow::MainWindow(std::filesystem::path workspace, QWidget* parent)
    : QMainWindow(parent), m_model(std::move(workspace))
{
    createWidgets();
    connectWidgets();
    // The "About" line under the window: the release and the commit it was built from.
    auto* about = new QLabel("About: " + Q(app::VersionText()), this);
    about->setObjectName("About");
    statusBar()->addWidget(about);
    m_model.StartUp();
    resize(static_cast<int>(kClientWidth * m_scale), static_cast<int>(kClientHeight * m_scale));
    Render();
}

void MainWindow::connectWidgets()
{
    auto after = [this](auto command) {
        return [this, command](auto&&...) {
            command();
            Render();
        };
    };

    connect(m_option1Group, &QButtonGroup::idClicked, this, [this](int i) {
        m_model.SwitchMode(i);
        Render();
    });
    connect(m_opAsmGroup, &QButtonGroup::idClicked, this, [this](int i) {
        m_model.SelectFileType(i);
        Render();
    });
    connect(m_ramOpGroup, &QButtonGroup::idClicked, this, [this](int i) {
        m_model.SelectLayout(i);
        Render();
    });
    connect(m_chipGroup, &QButtonGroup::idClicked, this, [this](int i) {
        m_model.ClickChip(i);
        Render();
    });
    connect(m_f8051, &ChipPictureWidget::pinLevelChoiceChanged, this, [this](char level) {
        m_model.SetPinLevelChoice(level);
        Render();
    });
    connect(m_accessory, &AccessoryPanel::changed, this, [this] { Render(); });
    connect(m_f8051, &ChipPictureWidget::pinPressed, this, [this](int x, int y) {
        m_model.ClickPin(x, y);
        Render();
    });
    connect(m_plotRam, &PlotRamWidget::pointerMoved, this, [this](double x, double y) {
        m_model.PointerMoved(x, y);
        Render();
    });
    connect(m_chkLeg, &QCheckBox::toggled, this, [this](bool on) {
        m_model.SetShowPins(on);
        Render();
    });
    connect(m_checkConvter, &QCheckBox::toggled, this, [this](bool on) {
        m_model.SetShowConverter(on);
        Render();
    });
    connect(m_checkDebug, &QCheckBox::toggled, this, [this](bool on) {
        m_model.SetShowDebug(on);
        Render();
    });
    connect(m_back, &QPushButton::clicked, this, after([this] { m_model.StepBack(); }));
    connect(m_editor, &SourceEditor::marginClicked, this, [this](int line) {
        m_model.ToggleBreakpointAtLine(line);
        Render();
    });
    connect(m_plotRam, &PlotRamWidget::rightClicked, this, [this](double x, double y) {
        m_model.WatchCellAt(x, y);
        Render();
    });
    connect(m_debugPanel, &DebugPanelWidget::removeBreakpoint, this, [this](int i) {
        m_model.RemoveBreakpoint(i);
        Render();
    });
    connect(m_debugPanel, &DebugPanelWidget::removeWatch, this, [this](int i) {
        m_model.RemoveWatch(i);
        Render();
    });
    connect(m_debugPanel, &DebugPanelWidget::addWatch, this, [this](const QString& text) {
        if (!m_model.AddWatch(text.toStdString()))
            m_debugPanel->setToolTip("Not a watch: " + text + " (30H, P1.0=1, X:0100=5A)");
        Render();
    });
    connect(m_debugPanel, &DebugPanelWidget::runToLine, this, [this] { RunToCursorLine(); });
    connect(m_debugPanel, &DebugPanelWidget::speedChanged, this, [this](int speed) {
        m_model.SetRunSpeed(speed);
        Render();
    });
    connect(m_disAssemble, &QPushButton::clicked, this, after([this] { m_model.DisAssemble(); }));
    connect(m_asmOpneFile, &QPushButton::clicked, this, after([this] { m_model.AsmOpneFile(); }));
    connect(m_loadCode, &QPushButton::clicked, this, after([this] { m_model.LoadCode(); }));
    connect(m_fileDemo, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        // Saving in the prompt may add a file, and the list is refilled (its
        // items deleted) by the Render that follows: the name is read first.
        const std::string name = item->text().toStdString();
        if (m_model.ListMode() == app::FileListMode::LoadSource && !ConfirmDiscardSource()) {
            m_model.CancelFileList();
            Render();
            return;
        }
        m_model.ClickFile(name);
        Render();
    });
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        if (m_editor->isReadOnly()) return;
        m_model.EditSource(m_editor->toPlainText().toStdString());
        Render();
    });
    connect(m_asmSave1, &QPushButton::clicked, this, [this] { Save(); });
    connect(m_asmSaveAs, &QPushButton::clicked, this, [this] { SaveAs(); });
    connect(m_asmNextLine, &QPushButton::clicked, this, after([this] { m_model.AsmNextLine(); }));
    connect(m_asmAll, &QPushButton::clicked, this, [this] { AfterAsmAll(); });
    connect(m_run, &QPushButton::clicked, this, after([this] { m_model.ClickRun(); }));
    connect(m_oneStep, &QPushButton::clicked, this, after([this] { m_model.OneStep(); }));
    connect(m_stepOverCom, &QPushButton::clicked, this, after([this] { m_model.StepOverCom(); }));
    connect(m_reLoad, &QPushButton::clicked, this, after([this] { m_model.ReLoadCom(); }));
    connect(m_stepOverList, &QListWidget::itemSelectionChanged, this, [this] {
        std::vector<int> rows;
        for (int i = 0; i < m_stepOverList->count(); ++i)
            if (m_stepOverList->item(i)->isSelected()) rows.push_back(i);
        m_model.StepOverListSelect(rows);
        Render();
    });
    connect(m_textStop, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_model.SetTextStop(text.toStdString());
    });
    connect(m_hexToLine, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_model.SetHexToLine(text.toStdString());
    });
    for (int i = 0; i < 4; ++i) {
        connect(m_weiB[i], &QLineEdit::textChanged, this, [this, i](const QString& text) {
            m_model.Converter().Changed(i, text.toStdString());
        });
    }
    // The converter's own writes come back as change events while its guard
    // is set, and are ignored there.
    m_model.Converter().SetWriteHook([this](int box, const std::string& text) {
        if (m_weiB[box]->text() != Q(text)) m_weiB[box]->setText(Q(text));
    });
    connect(m_plotRam, &PlotRamWidget::doubleClicked, this, after([this] { m_model.ToggleInspectOnHover(); }));
    connect(m_timer1, &QTimer::timeout, this, [this] { OnTimer(); });

    for (DraggableFrame* frame :
         {m_hexFile, m_converter, static_cast<DraggableFrame*>(m_debugPanel)}) {
        connect(frame, &DraggableFrame::dragged, this, [this, frame](QPoint at) {
            for (auto& placement : m_placements) {
                if (placement.widget == frame)
                    placement.twips.moveTopLeft(QPoint(static_cast<int>(at.x() / m_scale), static_cast<int>(at.y() / m_scale)));
            }
        });
    }

    auto shortcut = [this](const QKeySequence& keys, QPushButton* button) {
        auto* s = new QShortcut(keys, this);
        connect(s, &QShortcut::activated, button, [button] {
            if (button->isVisible() && button->isEnabled()) button->click();
        });
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_O), m_asmOpneFile);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_S), m_asmSave1);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), m_asmSaveAs);
    shortcut(QKeySequence(Qt::Key_F6), m_asmNextLine);
    shortcut(QKeySequence(Qt::Key_F7), m_asmAll);
    shortcut(QKeySequence(Qt::Key_F5), m_run);
    shortcut(QKeySequence(Qt::Key_F10), m_oneStep);
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), m_back);
    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), this);
    connect(f9, &QShortcut::activated, this, [this] {
        if (!m_model.ShowsDebugListing()) return;
        m_model.ToggleBreakpointAtLine(m_editor->CursorLine());
        Render();
    });
    auto* runTo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F10), this);
    connect(runTo, &QShortcut::activated, this, [this] { RunToCursorLine(); });
}

void MainWindow::Render()
{
    const auto& texts = m_model.Texts();
    const auto& controls = m_model.Controls();
    setWindowTitle(Q(texts.windowCaption));

    for (std::size_t i = 0; i < app::kControlCount; ++i) {
        const auto control = static_cast<app::Control>(i);
        QWidget* widget = WidgetOf(control);
        if (!widget) continue;
        widget->setVisible(controls.Visible(control));
        widget->setEnabled(controls.Enabled(control));
    }

    {
        const QSignalBlocker b1(m_option1Group), b2(m_opAsmGroup), b3(m_ramOpGroup), b4(m_chipGroup), b5(m_f8051);
        m_option1[m_model.SelectedMode()]->setChecked(true);
        m_opAsm[static_cast<int>(m_model.SelectedFileType())]->setChecked(true);
        m_ramOp[static_cast<int>(m_model.Picture().Layout())]->setChecked(true);
        m_chip[m_model.SelectedChip()]->setChecked(true);
        if (m_f8051->PinLevelChoice() != m_model.PinLevelChoice()) m_f8051->SetPinLevelChoice(m_model.PinLevelChoice());
        const QSignalBlocker b6(m_chkLeg), b7(m_checkConvter);
        m_chkLeg->setChecked(m_model.ShowPins());
        m_checkConvter->setChecked(m_model.Controls().Visible(app::Control::Converter));
    }

    if (m_accessory->isVisible()) m_accessory->Render();
    m_label1->setText(Q(texts.label1));
    m_label2->setText(Q(texts.label2));
    m_asmFile->setTitle(Q(texts.asmFileCaption));
    m_hexFile->setTitle(Q(texts.hexFileCaption));
    m_run->setText(Q(texts.runCaption));
    m_editor->setReadOnly(texts.editorReadOnly);
    if (const QString editorText = Q(texts.editor); m_editor->toPlainText() != editorText)
        m_editor->SetSourceText(editorText);
    SetTextIfChanged(m_listBox, texts.listBox);
    SetTextIfChanged(m_asmText, texts.asmText);
    SetTextIfChanged(m_parsecText, texts.parsecText);
    m_status->setText(Q(texts.status));
    SetTextIfChanged(m_hexToLine, texts.hexToLine);
    m_cycle->setText(Q(texts.cycle));
    m_stepVo->setText(Q(texts.stepVo));
    SetTextIfChanged(m_hexBox, texts.hexBox);
    SetTextIfChanged(m_hexText, texts.hexText);
    if (!m_textStop->hasFocus()) SetTextIfChanged(m_textStop, texts.textStop);

    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(m_weiB[i]);
        SetTextIfChanged(m_weiB[i], m_model.Converter().Boxes()[i]);
    }
    SetRows(m_codeList, m_model.CodeListRows());
    SetRows(m_ramList, m_model.RamListRows());
    SetRows(m_stepOverList, m_model.StepOverRows());
    if (m_fileDemo->isVisible()) {
        const auto files = m_model.FileListEntries();
        if (files != m_shownFiles) {
            m_shownFiles = files;
            SetRows(m_fileDemo, files);
        }
    }
    m_fileDemo->raise();
    m_plotRam->SetDrawing(&m_model.Picture().Drawing());

    m_editor->SetDebugging(m_model.ShowsDebugListing());
    if (m_model.ShowsDebugListing()) {
        m_editor->SetBreakpointLines(m_model.ListingBreakpointLines());
        m_editor->SetPcLine(m_model.ListingPcLine());
    }
    {
        const QSignalBlocker block(m_checkDebug);
        m_checkDebug->setChecked(m_model.ShowDebug());
    }
    m_debugPanel->setVisible(m_model.ShowDebug());
    if (m_model.ShowDebug()) {
        m_debugPanel->raise();
        m_debugPanel->Render(m_model.Debug(), m_model.RunSpeed());
    }
    m_back->setVisible(!m_model.ModeIsAssemble());
    m_back->setEnabled(m_model.CanStepBack());
    m_timer1->setInterval(m_model.TimerIntervalMs());
    if (m_model.ShowPins()) m_f8051->SetDrawList(m_model.ChipPicture());

    if (m_model.RunningFlag() && !m_timer1->isActive()) m_timer1->start();
    if (!m_model.RunningFlag() && m_timer1->isActive()) m_timer1->stop();
}

void MainWindow::RunToCursorLine()
{
    if (!m_model.ShowsDebugListing()) return;
    m_model.RunToLine(m_editor->CursorLine());
    Render();
}

void MainWindow::OnTimer()
{
    m_model.Timer1Tick();
    Render();
}

bool MainWindow::ConfirmDiscardSource()
{
    if (!m_model.SourceModified()) return true;
    const auto answer = QMessageBox::question(
        this, "ZELO8051", "The source has unsaved changes. Save them first?",
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Save) {
        Save();
        return !m_model.SourceModified();
    }
    return true;
}

void MainWindow::Save()
{
    const auto outcome = m_model.AsmSave1();
    if (outcome == app::SaveOutcome::NeedsName) {
        SaveAs();
        return;
    }
    Render();
}

void MainWindow::SaveAs()
{
    // An empty answer asks again; Cancel gives up without saving.
    QString offer = Q(m_model.ProgramName() + ".asm");
    for (;;) {
        bool ok = false;
        const QString answer = QInputDialog::getText(this, app::kSaveAsTitle, app::kSaveAsPrompt, QLineEdit::Normal,
                                                     offer, &ok);
        if (!ok) break;
        const auto outcome = m_model.ASMSave(answer.toStdString());
        if (outcome != app::SaveOutcome::NeedsName) break;
        offer = answer;
    }
    Render();
}

void MainWindow::AfterAsmAll()
{
    m_model.AsmAll();
    Render();
    if (const auto line = m_model.ProblemLine()) m_editor->SelectLine(*line);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (ConfirmDiscardSource())
        event->accept();
    else
        event->ignore();
}

}  // namespace zelo::ui
