#include "ui/main_window.h"

namespace zelo::ui {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle("ZELO8051");
    resize(1027, 733);  // 15400 x 11000 twips at 15 twips per pixel
}

}  // namespace zelo::ui
