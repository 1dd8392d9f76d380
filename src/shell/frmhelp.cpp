#include "shell/frmhelp.h"

#include <QDir>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QVBoxLayout>

#include "shell/settings.h"

namespace tarvik::shell {

frmHelp::frmHelp(QWidget* parent, const QString& folder) : QWidget(parent, Qt::Window), m_Folder(folder) {
    setObjectName("frmHelp");
    setWindowTitle(QString::fromUtf8("Тарвик — помощь"));
    resize(760, 560);

    m_Back = new QToolButton(this);
    m_Back->setObjectName("HelpBack");
    m_Back->setText(QString::fromUtf8("◀ Назад"));
    m_Back->setShortcut(QKeySequence::Back);
    m_Forward = new QToolButton(this);
    m_Forward->setObjectName("HelpForward");
    m_Forward->setText(QString::fromUtf8("Вперёд ▶"));
    m_Forward->setShortcut(QKeySequence::Forward);
    m_Contents = new QToolButton(this);
    m_Contents->setObjectName("HelpContents");
    m_Contents->setText(QString::fromUtf8("Содержание"));

    m_Browser = new HtmlView(this);
    m_Browser->setObjectName("HelpBrowser");
    m_Browser->SetAllowedFolders({folder});

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_Back);
    bar->addWidget(m_Forward);
    bar->addWidget(m_Contents);
    bar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_Browser, 1);

    m_Back->setEnabled(false);
    m_Forward->setEnabled(false);
    connect(m_Back, &QToolButton::clicked, m_Browser, &QTextBrowser::backward);
    connect(m_Forward, &QToolButton::clicked, m_Browser, &QTextBrowser::forward);
    connect(m_Browser, &QTextBrowser::backwardAvailable, m_Back, &QWidget::setEnabled);
    connect(m_Browser, &QTextBrowser::forwardAvailable, m_Forward, &QWidget::setEnabled);
    connect(m_Contents, &QToolButton::clicked, this, [this] {
        m_Browser->OpenLocalPage(
            QUrl::fromLocalFile(QDir(m_Folder).filePath(QString::fromLatin1(kHelpIndex))));
    });
}

void frmHelp::ShowContents() {
    if (m_Browser->source().isEmpty())
        m_Browser->OpenLocalPage(
            QUrl::fromLocalFile(QDir(m_Folder).filePath(QString::fromLatin1(kHelpIndex))));
    show();
    raise();
    activateWindow();
}

}  // namespace tarvik::shell
