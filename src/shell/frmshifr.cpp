#include "shell/frmshifr.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QVBoxLayout>

#include "shell/settings.h"
#include "tools/quest_files.h"

namespace tarvik::shell {

QString AppTitle() {
    // The main window's caption; the application's own name is the Latin one the desktop files use.
    return QStringLiteral("Тарвик");
}

void ShowToolMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, AppTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

QString WrittenMessage(const QString& done, const std::string& outputPath) {
    return done + QStringLiteral(":\n") + QString::fromStdString(outputPath);
}

QuestToolDialog::QuestToolDialog(QWidget* parent, const QString& caption, const QString& okCaption,
                                 const QString& filter)
    : QDialog(parent), m_filter(filter) {
    setWindowTitle(caption);
    setModal(true);
    txt = new QLineEdit(this);
    txt->setObjectName(QStringLiteral("txt"));
    txt->setMinimumWidth(380);
    btnOK = new QPushButton(okCaption, this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCheck = new QPushButton(QStringLiteral("Выбрать другой"), this);
    btnCheck->setObjectName(QStringLiteral("btnCheck"));
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCheck);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txt);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, [this] { btnOK_Click(); });
    connect(btnCheck, &QPushButton::clicked, this, [this] { btnCheck_Click(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancel_Click(); });
}

void QuestToolDialog::btnCheck_Click() {
    QString start;
    const QFileInfo current(txt->text());
    if (!txt->text().isEmpty() && current.absoluteDir().exists())
        start = current.absolutePath();
    else
        start = QString::fromStdString(QuestsFolder().string());
    const QString chosen =
        QFileDialog::getOpenFileName(this, QStringLiteral("Выберите квест"), start, m_filter);
    // Cancelling keeps the path that was there.
    if (!chosen.isEmpty()) txt->setText(chosen);
}

frmShifr::frmShifr(QWidget* parent)
    : QuestToolDialog(parent, QStringLiteral("Зашифровка квестов ..."), QStringLiteral("Зашифровать"),
                      QStringLiteral("Нешифрованные квесты (*.qst);;Все файлы (*)")) {
    setObjectName(QStringLiteral("frmShifr"));
}

void frmShifr::btnOK_Click() {
    setWindowTitle(QStringLiteral("Идет шифрование, подождите..."));
    const tools::WriteResult result = tools::WriteCipheredQuest(txt->text().toStdString());
    if (!result.ok()) {
        // The caption keeps saying the work is under way, as it stopped there.
        ShowToolMessage(this, QMessageBox::NoIcon, QStringLiteral("Возникла ошибка при открытии файла"));
        return;
    }
    const QString done = QStringLiteral("Шифрование успешно произведено");
    ShowToolMessage(this, QMessageBox::NoIcon, WrittenMessage(done, result.outputPath));
    setWindowTitle(done);
}

}  // namespace tarvik::shell
