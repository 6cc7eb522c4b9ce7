// The one workbench window: builds the controls in code, places them in
// twips scaled to the window, renders the Workbench model after every
// command and forwards every click to the model.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <array>
#include <filesystem>
#include <vector>

#include "app/workbench.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QGroupBox;

namespace zelo::ui {

class AccessoryPanel;
class ChipPictureWidget;
class DebugPanelWidget;
class DraggableFrame;
class PlotRamWidget;
class SourceEditor;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The window's client area in twips: the state picture over the lower frame.
    static constexpr int kClientWidth = 15400;
    static constexpr int kClientHeight = 10600;

    explicit MainWindow(std::filesystem::path workspace, QWidget* parent = nullptr);

    app::Workbench& Model() { return m_model; }
    AccessoryPanel* Accessory() const { return m_accessory; }
    // Writes the model's state into every widget.
    void Render();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createWidgets();
    void connectWidgets();
    void PlaceWidgets();
    void Place(QWidget* widget, int left, int top, int width, int height);
    QWidget* WidgetOf(app::Control control) const;

    // Asks before the edited source would be replaced or dropped; false when
    // the user cancels.
    bool ConfirmDiscardSource();
    void SaveAs();
    void Save();
    void AfterAsmAll();
    void OnTimer();
    void RunToCursorLine();

    app::Workbench m_model;

    QWidget* m_central = nullptr;
    PlotRamWidget* m_plotRam = nullptr;
    DraggableFrame* m_converter = nullptr;
    std::array<QLineEdit*, 4> m_weiB{};
    ChipPictureWidget* m_f8051 = nullptr;
    QWidget* m_lowerFrame = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    SourceEditor* m_editor = nullptr;
    QPlainTextEdit* m_listBox = nullptr;
    QWidget* m_pictureVo = nullptr;
    AccessoryPanel* m_accessory = nullptr;
    QListWidget* m_codeList = nullptr;
    QListWidget* m_ramList = nullptr;
    QListWidget* m_fileDemo = nullptr;
    QGroupBox* m_asmFile = nullptr;
    QPushButton* m_asmOpneFile = nullptr;
    QPushButton* m_asmSave1 = nullptr;
    QPushButton* m_asmSaveAs = nullptr;
    QPushButton* m_asmNextLine = nullptr;
    QPushButton* m_asmAll = nullptr;
    QLineEdit* m_asmText = nullptr;
    QPlainTextEdit* m_parsecText = nullptr;
    QLabel* m_status = nullptr;
    DraggableFrame* m_hexFile = nullptr;
    QPushButton* m_loadCode = nullptr;
    QPushButton* m_reLoad = nullptr;
    QPushButton* m_run = nullptr;
    QPushButton* m_oneStep = nullptr;
    QPushButton* m_stepOverCom = nullptr;
    QLineEdit* m_textStop = nullptr;
    QLabel* m_stepVo = nullptr;
    QLabel* m_cycle = nullptr;
    QLineEdit* m_hexToLine = nullptr;
    QLineEdit* m_hexBox = nullptr;
    QLineEdit* m_hexText = nullptr;
    QListWidget* m_stepOverList = nullptr;
    QWidget* m_controlFrame = nullptr;
    QGroupBox* m_fileTypeFrame = nullptr;
    QGroupBox* m_frmOther = nullptr;
    QGroupBox* m_functionFrame = nullptr;
    QGroupBox* m_displayFrame = nullptr;
    QGroupBox* m_mpuFrame = nullptr;
    std::array<QRadioButton*, 5> m_opAsm{};
    std::array<QRadioButton*, 2> m_option1{};
    std::array<QRadioButton*, 6> m_ramOp{};
    std::array<QRadioButton*, 3> m_chip{};
    QButtonGroup* m_opAsmGroup = nullptr;
    QButtonGroup* m_option1Group = nullptr;
    QButtonGroup* m_ramOpGroup = nullptr;
    QButtonGroup* m_chipGroup = nullptr;
    QCheckBox* m_chkLeg = nullptr;
    QCheckBox* m_checkConvter = nullptr;
    QCheckBox* m_checkDebug = nullptr;
    DebugPanelWidget* m_debugPanel = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_disAssemble = nullptr;
    QTimer* m_timer1 = nullptr;

    struct Placement {
        QWidget* widget;
        QRect twips;
    };
    std::vector<Placement> m_placements;
    double m_scale = 1.0 / 12.0;  // pixels per twip
    std::vector<std::string> m_shownFiles;
};

}  // namespace zelo::ui
