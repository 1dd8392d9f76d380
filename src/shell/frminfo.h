// The analyzer's report window frmInfo, and the help menu's analyzer command that fills and shows it.
#pragma once

#include <string>

#include <QDialog>
#include <QPlainTextEdit>

namespace tarvik::shell {

class frmInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);
    // The report in code page 1251, as the analyzer makes it.
    void SetReport(const std::string& cp1251Report);

    QPlainTextEdit* txtInfo;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
};

// Analyses the open quest and shows the report modally over `parent`; an empty or missing quest (also no
// quest at all: questPath empty) gets the empty-file message box instead. questPath is the loaded quest's
// path as the engine holds it (code page 1251, shown in the report); nativePath is where to read it.
void RunQuestAnalyzer(QWidget* parent, const std::string& questPath, const std::string& nativePath);

}  // namespace tarvik::shell
