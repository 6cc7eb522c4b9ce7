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
#include <QTimer>

#include "ui/chip_picture_widget.h"
#include "ui/draggable_frame.h"
#include "ui/fonts.h"
#include "ui/plot_ram_widget.h"
#include "ui/source_editor.h"

namespace zelo::ui {

namespace {
// The window's client area in twips: the state picture over the lower frame.
constexpr int kClientWidth = 15400;
constexpr int kClientHeight = 10600;
constexpr int kLowerTop = 5400;
constexpr int kTimerIntervalMs = 5;

QString Q(const std::string& text) { return QString::fromStdString(text); }

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* tip = nullptr)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    if (tip) button->setToolTip(QString::fromUtf8(tip));
    return button;
}

template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

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
    m_model.StartUp();
    resize(static_cast<int>(kClientWidth * m_scale), static_cast<int>(kClientHeight * m_scale));
    Render();
}

void MainWindow::Place(QWidget* widget, int left, int top, int width, int height)
{
    m_placements.push_back(Placement{widget, QRect(left, top, width, height)});
}

void MainWindow::createWidgets()
{
    setObjectName(QString::fromUtf8("檢視"));
    m_central = new QWidget(this);
    setCentralWidget(m_central);
    m_central->setFont(WorkbenchFont());

    // --- upper region: the state picture and its two panels ---------------
    m_plotRam = new PlotRamWidget(m_central);
    Place(m_plotRam, 0, 0, 15360, 5400);

    m_converter = Named(new DraggableFrame("Convert", m_plotRam), "Converter");
    m_converter->setAutoFillBackground(true);
    Place(m_converter, 300, 300, 2700, 1700);
    for (int i = 0; i < 4; ++i) {
        auto* label = Named(new QLabel(app::kConverterLabels[i], m_converter), ("BODH(" + std::to_string(i) + ")").c_str());
        m_weiB[i] = Named(new QLineEdit(m_converter), ("weiB(" + std::to_string(i) + ")").c_str());
        Place(label, 100, 260 + 340 * i, 500, 300);
        Place(m_weiB[i], 620, 260 + 340 * i, 1980, 300);
    }

    m_f8051 = Named(new ChipPictureWidget(m_plotRam), "F8051");
    m_f8051->setAutoFillBackground(true);
    Place(m_f8051, 10000, 0, 3600, 5260);

    // --- lower region -------------------------------------------------------
    m_lowerFrame = Named(new QWidget(m_central), "Frame編輯");
    Place(m_lowerFrame, 0, kLowerTop, kClientWidth, kClientHeight - kLowerTop);
    m_label1 = Named(new QLabel(m_lowerFrame), "Label1");
    m_label2 = Named(new QLabel(m_lowerFrame), "Label2");
    Place(m_label1, 0, 0, 6160, 240);
    Place(m_label2, 6160, 0, 7480, 240);

    m_editor = Named(new SourceEditor(m_lowerFrame), "編輯ASM");
    Place(m_editor, 60, 240, 13580, 3000);
    m_pictureVo = Named(new QFrame(m_lowerFrame), "PictureVo");
    static_cast<QFrame*>(m_pictureVo)->setFrameShape(QFrame::StyledPanel);
    Place(m_pictureVo, 60, 240, 6040, 3000);
    m_codeList = Named(new QListWidget(m_lowerFrame), "CodeList");
    Place(m_codeList, 6160, 240, 7480, 3000);
    m_ramList = Named(new QListWidget(m_lowerFrame), "RamList");
    Place(m_ramList, 6160, 240, 7480, 3000);
    m_listBox = Named(new QPlainTextEdit(m_lowerFrame), "編輯ASMList");
    m_listBox->setReadOnly(true);
    Place(m_listBox, 60, 3240, 6000, 1800);
    m_fileDemo = Named(new QListWidget(m_lowerFrame), "FileDemo");
    Place(m_fileDemo, 9640, 240, 4000, 3000);
    m_stepOverList = Named(new QListWidget(m_lowerFrame), "StepOverList");
    m_stepOverList->setSelectionMode(QAbstractItemView::MultiSelection);
    Place(m_stepOverList, 11140, 240, 2500, 3000);

    m_asmFile = Named(new QGroupBox("AsmFile", m_lowerFrame), "AsmFile");
    Place(m_asmFile, 6100, 3240, 7540, 1900);
    m_asmOpneFile = Button(m_asmFile, "AsmOpneFile", "LoadAsm", "Open a source of the workspace (Ctrl+O)");
    m_asmSave1 = Button(m_asmFile, "AsmSave1", "SaveAsm", "Save the source (Ctrl+S)");
    m_asmSaveAs = Button(m_asmFile, "ASMSave", "SaveAsmAs", "Save the source under a new name (Ctrl+Shift+S)");
    m_asmNextLine = Button(m_asmFile, "AsmNextLine", "AsmOne", "Assemble the next line (F6)");
    m_asmAll = Button(m_asmFile, "AsmAll", "AsmAll", "Assemble the whole source (F7)");
    int x = 120;
    for (QPushButton* b : {m_asmOpneFile, m_asmSave1, m_asmSaveAs, m_asmNextLine, m_asmAll}) {
        Place(b, x, 240, 1380, 380);
        x += 1460;
    }
    m_asmText = Named(new QLineEdit(m_asmFile), "AsmText");
    m_asmText->setReadOnly(true);
    Place(m_asmText, 120, 680, 7300, 300);
    m_parsecText = Named(new QPlainTextEdit(m_asmFile), "ParsecText");
    m_parsecText->setReadOnly(true);
    m_parsecText->setLineWrapMode(QPlainTextEdit::NoWrap);
    Place(m_parsecText, 120, 1010, 7300, 560);
    m_status = Named(new QLabel(m_asmFile), "Message");
    Place(m_status, 120, 1590, 7300, 260);

    m_hexFile = Named(new DraggableFrame("HexFile", m_lowerFrame), "HexFile");
    m_hexFile->setAutoFillBackground(true);
    Place(m_hexFile, 6100, 3240, 7540, 1900);
    m_loadCode = Button(m_hexFile, "LoadCode", "LoadCode", "Choose a HEX file of the workspace");
    m_reLoad = Button(m_hexFile, "ReLoadCom", "ReLoad", "Reload the program and reset");
    m_run = Button(m_hexFile, "Run", "RUN", "Run or stop (F5)");
    m_oneStep = Button(m_hexFile, "OneStep", "OneStep", "Execute one instruction (F10)");
    m_stepOverCom = Button(m_hexFile, "StepOverCom", "StepOver", "Choose subroutines to run undisplayed");
    x = 120;
    for (QPushButton* b : {m_loadCode, m_reLoad, m_run, m_oneStep, m_stepOverCom}) {
        Place(b, x, 240, 1140, 380);
        x += 1200;
    }
    m_textStop = Named(new QLineEdit(m_hexFile), "TextStop");
    m_textStop->setToolTip("Stop the run after this step (0: no stop step)");
    Place(m_textStop, 6160, 240, 1260, 380);
    m_hexToLine = Named(new QLineEdit(m_hexFile), "HexToLine");
    Place(m_hexToLine, 120, 680, 1800, 300);
    m_cycle = Named(new QLabel(m_hexFile), "Cycle");
    Place(m_cycle, 2100, 680, 2600, 300);
    m_stepVo = Named(new QLabel(m_hexFile), "StepVo");
    Place(m_stepVo, 4800, 680, 2600, 300);
    m_hexBox = Named(new QLineEdit(m_hexFile), "HexBox");
    m_hexBox->setReadOnly(true);
    m_hexBox->setToolTip("The instruction just executed");
    Place(m_hexBox, 120, 1040, 7300, 300);
    m_hexText = Named(new QLineEdit(m_hexFile), "HexText");
    m_hexText->setReadOnly(true);
    m_hexText->setToolTip("The next instruction");
    Place(m_hexText, 120, 1400, 7300, 300);

    // --- the column of selectors ----------------------------------------------
    m_controlFrame = Named(new QWidget(m_lowerFrame), "ControlFrame");
    Place(m_controlFrame, 13680, 0, 1700, 5150);
    m_fileTypeFrame = Named(new QGroupBox("FileType", m_controlFrame), "FileType");
    Place(m_fileTypeFrame, 0, 0, 1700, 800);
    m_opAsmGroup = new QButtonGroup(this);
    static constexpr std::array<std::array<int, 2>, 5> kFileTypePlaces{{{80, 240}, {80, 480}, {800, 240}, {800, 480}, {800, 240}}};
    for (int i = 0; i < 5; ++i) {
        m_opAsm[i] = Named(new QRadioButton(app::kFileTypeCaptions[i], m_fileTypeFrame),
                           ("OpASM(" + std::to_string(i) + ")").c_str());
        m_opAsmGroup->addButton(m_opAsm[i], i);
        Place(m_opAsm[i], kFileTypePlaces[i][0], kFileTypePlaces[i][1], 820, 240);
    }
    m_opAsm[2]->raise();  // "HEX" lies over "RAM", which shares its place

    // FrmOther sits directly under FileType.
    m_frmOther = Named(new QGroupBox(m_controlFrame), "FrmOther");
    Place(m_frmOther, 0, 800, 1700, 900);
    m_chkLeg = Named(new QCheckBox("LEG", m_frmOther), "ChkLeg");
    m_checkConvter = Named(new QCheckBox("Con", m_frmOther), "CheckConvter");
    m_disAssemble = Button(m_frmOther, "DisAssemble", "DisAssemble", "Disassemble a HEX or task file");
    Place(m_chkLeg, 80, 60, 760, 260);
    Place(m_checkConvter, 860, 60, 760, 260);
    Place(m_disAssemble, 80, 400, 1540, 380);

    m_functionFrame = Named(new QGroupBox("Function", m_controlFrame), "Frame2");
    Place(m_functionFrame, 0, 1720, 1700, 760);
    m_option1Group = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        m_option1[i] = Named(new QRadioButton(app::kModeCaptions[i], m_functionFrame),
                             ("Option1(" + std::to_string(i) + ")").c_str());
        m_option1Group->addButton(m_option1[i], i);
        Place(m_option1[i], 80, 240 + 240 * i, 1540, 240);
    }

    m_displayFrame = Named(new QGroupBox("Display", m_controlFrame), "DisplayName");
    Place(m_displayFrame, 0, 2500, 1700, 1500);
    m_ramOpGroup = new QButtonGroup(this);
    for (int i = 0; i < 6; ++i) {
        m_ramOp[i] = Named(new QRadioButton(app::kLayoutCaptions[i], m_displayFrame),
                           ("RamOp(" + std::to_string(i) + ")").c_str());
        m_ramOpGroup->addButton(m_ramOp[i], i);
        Place(m_ramOp[i], 80, 240 + 200 * i, 1540, 200);
    }

    m_mpuFrame = Named(new QGroupBox("MPU", m_controlFrame), "MPU");
    Place(m_mpuFrame, 0, 4020, 1700, 1000);
    m_chipGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        m_chip[i] = Named(new QRadioButton(app::kChipCaptions[i], m_mpuFrame), ("Chip(" + std::to_string(i) + ")").c_str());
        m_chipGroup->addButton(m_chip[i], i);
        Place(m_chip[i], 80, 240 + 240 * i, 1540, 240);
    }

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName("Timer1");
    m_timer1->setInterval(kTimerIntervalMs);
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
    connect(m_disAssemble, &QPushButton::clicked, this, after([this] { m_model.DisAssemble(); }));
    connect(m_asmOpneFile, &QPushButton::clicked, this, after([this] { m_model.AsmOpneFile(); }));
    connect(m_loadCode, &QPushButton::clicked, this, after([this] { m_model.LoadCode(); }));
    connect(m_fileDemo, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (m_model.ListMode() == app::FileListMode::LoadSource && !ConfirmDiscardSource()) {
            m_model.CancelFileList();
            Render();
            return;
        }
        m_model.ClickFile(item->text().toStdString());
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

    for (DraggableFrame* frame : {m_hexFile, m_converter}) {
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
}

QWidget* MainWindow::WidgetOf(app::Control control) const
{
    using app::Control;
    switch (control) {
        case Control::FileDemo: return m_fileDemo;
        case Control::OpAsm0: return m_opAsm[0];
        case Control::OpAsm1: return m_opAsm[1];
        case Control::OpAsm2: return m_opAsm[2];
        case Control::OpAsm3: return m_opAsm[3];
        case Control::OpAsm4: return m_opAsm[4];
        case Control::Converter: return m_converter;
        case Control::F8051: return m_f8051;
        case Control::PictureVo: return m_pictureVo;
        case Control::HexFile: return m_hexFile;
        case Control::AsmFile: return m_asmFile;
        case Control::CodeList: return m_codeList;
        case Control::RamList: return m_ramList;
        case Control::FrmOther: return m_frmOther;
        case Control::AsmSaveAs: return m_asmSaveAs;
        case Control::AsmSave1: return m_asmSave1;
        case Control::AsmNextLine: return m_asmNextLine;
        case Control::AsmAll: return m_asmAll;
        case Control::AsmOpneFile: return m_asmOpneFile;
        case Control::StepOverCom: return m_stepOverCom;
        case Control::StepOverList: return m_stepOverList;
        case Control::ReLoadCom: return m_reLoad;
        case Control::LoadCode: return m_loadCode;
        case Control::OneStep: return m_oneStep;
        case Control::Run: return m_run;
        case Control::RamOp: return m_displayFrame;
        case Control::Chip: return m_mpuFrame;
        case Control::EditAsm: return m_editor;
        case Control::EditAsmList: return m_listBox;
        case Control::DisAssemble: return m_disAssemble;
        case Control::Count: break;
    }
    return nullptr;
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

    m_label1->setText(Q(texts.label1));
    m_label2->setText(Q(texts.label2));
    m_asmFile->setTitle(Q(texts.asmFileCaption));
    m_hexFile->setTitle(Q(texts.hexFileCaption));
    m_run->setText(Q(texts.runCaption));
    m_editor->setReadOnly(texts.editorReadOnly);
    SetTextIfChanged(m_editor, texts.editor);
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
    if (m_model.ShowPins()) m_f8051->SetDrawList(m_model.ChipPicture());

    if (m_model.RunningFlag() && !m_timer1->isActive()) m_timer1->start();
    if (!m_model.RunningFlag() && m_timer1->isActive()) m_timer1->stop();
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

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    PlaceWidgets();
}

void MainWindow::PlaceWidgets()
{
    const QSize area = m_central->size();
    m_scale = std::min(area.width() / static_cast<double>(kClientWidth),
                       area.height() / static_cast<double>(kClientHeight));
    if (m_scale <= 0) return;
    auto px = [this](int twips) { return static_cast<int>(twips * m_scale + 0.5); };
    for (const auto& placement : m_placements) {
        const QRect& t = placement.twips;
        placement.widget->setGeometry(px(t.left()), px(t.top()), px(t.width()), px(t.height()));
    }
    // A 9-point face is 180 twips high.
    QFont font = m_central->font();
    font.setPixelSize(std::max(7, px(180)));
    m_central->setFont(font);
    m_editor->setFont(font);
}

}  // namespace zelo::ui
