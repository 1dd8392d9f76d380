// Continue, undo and transcript in the window: their menu items, the question at opening a quest with a
// kept game, and keeping the game that is left.
#include <QCoreApplication>
#include <QFileDialog>
#include <QKeySequence>
#include <QMenu>

#include "files/kept_games.h"
#include "shell/frmmain.h"
#include "text/text.h"

namespace tarvik::shell {

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

void frmMain::BuildSessionMenus() {
    mFileUndo = new QAction(U("&Ход назад"), mFileF);
    mFileUndo->setObjectName("mFileUndo");
    mFileUndo->setShortcut(QKeySequence::Undo);
    mFileUndo->setEnabled(false);
    mFileTranscript = new QAction(U("Запись &сеанса…"), mFileF);
    mFileTranscript->setObjectName("mFileTranscript");
    mFileTranscript->setCheckable(true);
    // Beside the other commands on the game itself, before the quest commands.
    QAction* questPart = mFileLoadquest;
    for (QAction* a : mFileF->actions())
        if (a->objectName() == "mFileP1") questPart = a;
    mFileF->insertAction(questPart, mFileUndo);
    mFileF->insertAction(questPart, mFileTranscript);
    addAction(mFileUndo);  // the shortcut works while the menu is closed

    mContinue = AddItem(Parametr, "mContinue", U("&Продолжать игру"), true);
    mContinue->setChecked(true);

    connect(mFileUndo, &QAction::triggered, this, [this] { Post([this] { mFileUndo_Click(); }); });
    connect(mFileTranscript, &QAction::triggered, this, [this](bool on) {
        if (!on) {
            SetTranscript(QString());
            return;
        }
        mFileTranscript->setChecked(false);
        Post([this] {
            QString file = QFileDialog::getSaveFileName(this, U("Запись сеанса"), QString(),
                                                        U("Текстовые файлы (*.txt)"));
            if (!file.isEmpty()) SetTranscript(file);
        });
    });
    connect(mFileF, &QMenu::aboutToShow, this, [this] { UpdateSessionMenus(); });
}

void frmMain::UpdateSessionMenus() {
    if (!mFileUndo || !m_Engine) return;
    mFileUndo->setEnabled(m_Engine->CanUndo());
    mFileTranscript->setChecked(m_Engine->TranscriptOn());
}

bool frmMain::ContinueEnabled() const {
    return mContinue && mContinue->isChecked();
}

void frmMain::SetContinueEnabled(bool on) {
    if (mContinue) mContinue->setChecked(on);
}

void frmMain::KeepLeftGame() {
    // Nothing to keep (the quest quit, or never came to rest) drops what an earlier play kept.
    KeepGame(m_Engine->KeptGameText(), false);
}

void frmMain::KeepGameAtRest() {
    // Written on the keeper's thread: the disk's flush takes longer than the action did.
    if (!m_Closing && m_Engine->AtRest()) KeepGame(m_Engine->KeptGameText(), true);
}

void frmMain::KeepForQuit() {
    // A log-out the player cancels goes on playing, and is told of failures again.
    const bool quiet = m_QuietQuit;
    m_QuietQuit = true;
    SaveSettings();
    KeepLeftGame();
    m_QuietQuit = quiet;
}

void frmMain::QuitOnSignal() {
    m_QuietQuit = true;
    KeepForQuit();
    close();
    // Also ends the waits of a message box or a quest statement the window is inside.
    QCoreApplication::quit();
}

void frmMain::KeepGame(const std::string& text, bool background) {
    if (m_Keeper.quest().empty() || !ContinueEnabled()) return;
    if (background ? m_Keeper.KeepInBackground(text) : m_Keeper.Keep(text)) {
        m_KeepFailed = false;
        return;
    }
    // Told once until keeping works again: a full disk would otherwise ask after every action.
    if (m_KeepFailed || m_QuietQuit) return;
    m_KeepFailed = true;
    MessageBox(text::Utf8ToCp1251("Не удалось сохранить игру в ") +
                   text::Utf8ToCp1251(files::KeptGamePath(m_Keeper.quest())),
               text::Utf8ToCp1251("Тарвик:"), 16);
}

void frmMain::mFileNewgame_Click() {
    // A new game ends the one under way: it is not kept.
    m_Keeper.Drop();
    m_PlayerActed = false;
    m_Engine->NewGame();
    UpdateSessionMenus();
}

void frmMain::mFileUndo_Click() {
    if (m_Engine->Undo()) Render();
    UpdateSessionMenus();
}

bool frmMain::SetTranscript(const QString& utf8Path) {
    bool ok = true;
    if (utf8Path.isEmpty()) {
        m_Engine->StopTranscript();
    } else if (!m_Engine->StartTranscript(utf8Path.toStdString())) {
        ok = false;
        MessageBox(text::Utf8ToCp1251("Не удалось записать ") + text::Utf8ToCp1251(utf8Path.toStdString()),
                   text::Utf8ToCp1251("Тарвик:"), 16);
    }
    UpdateSessionMenus();
    return ok;
}

}  // namespace tarvik::shell
