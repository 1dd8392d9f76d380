#include "shell/about.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QVBoxLayout>
#include <QtGlobal>

namespace tarvik::shell {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("О программе"));
    setModal(true);

    lblName = new QLabel(this);
    lblName->setObjectName(QStringLiteral("lblName"));
    lblName->setTextFormat(Qt::RichText);
    lblName->setText(QStringLiteral("<h2>Тарвик</h2><p>версия %1</p>").arg(QStringLiteral(TARVIK_VERSION)));

    lblCredits = new QLabel(this);
    lblCredits->setObjectName(QStringLiteral("lblCredits"));
    lblCredits->setWordWrap(true);
    lblCredits->setTextFormat(Qt::RichText);
    lblCredits->setTextInteractionFlags(Qt::TextBrowserInteraction);
    lblCredits->setText(
        QStringLiteral("<p>Плеер текстовых квестов на языке Zot: открывает квест (.qst, .qs1, .qs3), "
                       "показывает его текст, кнопки и инвентарь и сохраняет игры (.qsv). "
                       "Для авторов квестов: шифрование, сжатие и анализ квестов.</p>"
                       "<p>Движок написан на C++20 и использует только стандартную библиотеку; "
                       "окно построено на Qt %1.</p>"
                       "<p>Спасибо авторам квестов на языке Zot и всем, кто в них играет.</p>")
            .arg(QString::fromLatin1(qVersion())));

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* icon = new QLabel(this);
    const QIcon appIcon = QIcon::fromTheme(QStringLiteral("tarvik"), windowIcon());
    if (!appIcon.isNull()) icon->setPixmap(appIcon.pixmap(64, 64));

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(lblName);
    texts->addWidget(lblCredits);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

}  // namespace tarvik::shell
