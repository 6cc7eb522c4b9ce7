// The one workbench window.
#pragma once

#include <QMainWindow>

namespace zelo::ui {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace zelo::ui
