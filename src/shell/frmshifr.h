// The author tools' file dialogs: the cipher dialog frmShifr (a plain quest to .qs1) and, built on the same
// frame, the compression dialog frmShifr2 (to .qs3). The main window keeps one of each for the whole run and
// shows it modally with exec(), so the path typed in stays; Отмена only hides the dialog.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include <string>

namespace tarvik::shell {

// The program's title as message boxes show it.
QString AppTitle();
// A tool's success message naming the file it wrote.
QString WrittenMessage(const QString& done, const std::string& outputPath);
// A modal box with the program's title and one OK button.
void ShowToolMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text);

// A quest path box and the three buttons; the subclasses say what "OK" does.
class QuestToolDialog : public QDialog {
    Q_OBJECT
public:
    QLineEdit* txt;          // path of the plain quest (UTF-8 file system path)
    QPushButton* btnOK;      // runs the tool on txt
    QPushButton* btnCheck;   // "Выбрать другой": picks the quest with an open dialog
    QPushButton* btnCancel;  // "Отмена": hides the dialog

    virtual void btnOK_Click() = 0;
    void btnCheck_Click();
    void btnCancel_Click() { hide(); }

protected:
    QuestToolDialog(QWidget* parent, const QString& caption, const QString& okCaption, const QString& filter);

private:
    QString m_filter;
};

class frmShifr : public QuestToolDialog {
    Q_OBJECT
public:
    explicit frmShifr(QWidget* parent = nullptr);
    // Writes the .qs1 beside the quest (quest.qst gives quest.qs1) and reports the outcome in a message box.
    void btnOK_Click() override;
};

}  // namespace tarvik::shell
