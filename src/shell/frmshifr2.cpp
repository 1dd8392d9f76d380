#include "shell/frmshifr2.h"

#include "tools/quest_files.h"

namespace tarvik::shell {

frmShifr2::frmShifr2(QWidget* parent)
    : QuestToolDialog(parent, QStringLiteral("Сжатие квестов ..."), QStringLiteral("Сжать"),
                      QStringLiteral("Нешифрованные квесты (*.qst)")) {
    setObjectName(QStringLiteral("frmShifr2"));
}

void frmShifr2::btnOK_Click() {
    setWindowTitle(QStringLiteral("Идет сжатие, подождите..."));
    // A quest that is missing, unreadable or cannot be written out gets the same warning.
    const tools::WriteResult result = tools::WriteCompressedQuest(txt->text().toStdString());
    if (!result.ok()) {
        ShowToolMessage(this, QMessageBox::Warning, QStringLiteral("Во время сжатия произошла ошибка!"));
        return;
    }
    const QString done = QStringLiteral("Сжатие успешно произведено");
    ShowToolMessage(this, QMessageBox::NoIcon, WrittenMessage(done, result.outputPath));
    setWindowTitle(done);
}

}  // namespace tarvik::shell
