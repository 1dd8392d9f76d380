#include "shell/frminfo.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMessageBox>
#include <QVBoxLayout>

#include "text/text.h"
#include "tools/analyzer.h"

namespace tarvik::shell {

namespace {

// Code page 1251 text with CR LF line ends, as Qt shows it.
QString FromCp1251(const std::string& s) {
    std::string lines = s;
    text::ReplaceAllNoCase(lines, "\r\n", "\n");
    return QString::fromStdString(text::Cp1251ToUtf8(lines));
}

}  // namespace

frmInfo::frmInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(FromCp1251(tools::AnalyzerCaption()));
    setModal(true);
    txtInfo = new QPlainTextEdit(this);
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    txtInfo->setReadOnly(true);
    txtInfo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A fixed-pitch font keeps the tab-aligned counts and the underscore rules in columns.
    txtInfo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The report lines its numbers up with tabs at every eighth character.
    txtInfo->setTabStopDistance(QFontMetricsF(txtInfo->font()).horizontalAdvance(QLatin1Char('x')) * 8);
    txtInfo->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtInfo);
    resize(820, 560);
}

void frmInfo::SetReport(const std::string& cp1251Report) {
    txtInfo->setPlainText(FromCp1251(cp1251Report));
    txtInfo->moveCursor(QTextCursor::Start);
}

// The window closes when Escape is let go in the report, not when it goes down.
bool frmInfo::eventFilter(QObject* watched, QEvent* e) {
    if (watched == txtInfo && (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        if (e->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(e)->isAutoRepeat()) reject();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void RunQuestAnalyzer(QWidget* parent, const std::string& questPath, const std::string& nativePath) {
    const tools::QuestAnalysis analysis = tools::AnalyzeQuestFile(questPath, nativePath);
    if (analysis.empty) {
        QMessageBox box(QMessageBox::Critical, FromCp1251(tools::EmptyQuestTitle()),
                        FromCp1251(tools::EmptyQuestMessage()), QMessageBox::Ok, parent);
        box.exec();
        return;
    }
    frmInfo window(parent);
    window.SetReport(analysis.report);
    window.exec();
}

}  // namespace tarvik::shell
