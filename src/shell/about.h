// The about window: the program's name, version and credits, shown modally over the main window.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace tarvik::shell {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* lblName;     // name and version
    QLabel* lblCredits;  // what it is and who made it possible
    QPushButton* btnOK;
};

}  // namespace tarvik::shell
