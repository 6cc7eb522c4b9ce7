// The window's controls, built in code and placed in twips scaled to the
// window, so the layout keeps its proportions at any size.
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "ui/accessory_panel.h"
#include "ui/chip_picture_widget.h"
#include "ui/debug_panel_widget.h"
#include "ui/draggable_frame.h"
#include "ui/fonts.h"
#include "ui/main_window.h"
#include "ui/plot_ram_widget.h"
#include "ui/source_editor.h"

namespace zelo::ui {

namespace {
constexpr int kClientWidth = MainWindow::kClientWidth;
constexpr int kClientHeight = MainWindow::kClientHeight;
// The lower frame starts under the state picture.
constexpr int kLowerTop = 5400;
constexpr int kTimerIntervalMs = 5;

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
}  // namespace

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

    m_debugPanel = Named(new DebugPanelWidget(m_plotRam), "DebugPanel");
    m_debugPanel->setAutoFillBackground(true);
    Place(m_debugPanel, 7900, 60, 7400, 5300);

    // --- lower region -------------------------------------------------------
    m_lowerFrame = Named(new QWidget(m_central), "Frame編輯");
    Place(m_lowerFrame, 0, kLowerTop, kClientWidth, kClientHeight - kLowerTop);
    m_label1 = Named(new QLabel(m_lowerFrame), "Label1");
    m_label2 = Named(new QLabel(m_lowerFrame), "Label2");
    Place(m_label1, 0, 0, 6160, 240);
    Place(m_label2, 6160, 0, 7480, 240);

    m_editor = Named(new SourceEditor(m_lowerFrame), "編輯ASM");
    Place(m_editor, 60, 240, 13580, 3000);
    m_accessory = new AccessoryPanel(m_model, m_lowerFrame);
    m_pictureVo = Named(m_accessory, "PictureVo");
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
    Place(m_cycle, 2100, 680, 2100, 300);
    m_stepVo = Named(new QLabel(m_hexFile), "StepVo");
    Place(m_stepVo, 4300, 680, 1800, 300);
    m_back = Button(m_hexFile, "Back", "Back", "Undo the last step (Shift+F10)");
    Place(m_back, 6160, 640, 1260, 380);
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
    for (int i = 0; i < 5; ++i) {
        m_opAsm[i] = Named(new QRadioButton(app::kFileTypeCaptions[i], m_fileTypeFrame),
                           ("OpASM(" + std::to_string(i) + ")").c_str());
        m_opAsmGroup->addButton(m_opAsm[i], i);
        const auto place = app::kFileTypePlaces[static_cast<std::size_t>(i)];
        Place(m_opAsm[i], place.left, place.top, app::kFileTypeOptionWidth, app::kFileTypeOptionHeight);
    }

    // FrmOther sits directly under FileType.
    m_frmOther = Named(new QGroupBox(m_controlFrame), "FrmOther");
    Place(m_frmOther, 0, 800, 1700, 900);
    m_chkLeg = Named(new QCheckBox("LEG", m_frmOther), "ChkLeg");
    m_checkConvter = Named(new QCheckBox("Con", m_frmOther), "CheckConvter");
    m_disAssemble = Button(m_frmOther, "DisAssemble", "DisAssemble", "Disassemble a HEX or task file");
    m_checkDebug = Named(new QCheckBox(app::kDebugCaption, m_frmOther), "CheckDebug");
    Place(m_chkLeg, 80, 40, 760, 240);
    Place(m_checkConvter, 860, 40, 760, 240);
    Place(m_checkDebug, 80, 290, 1540, 240);
    Place(m_disAssemble, 80, 540, 1540, 340);

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
