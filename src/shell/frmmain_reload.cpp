// Reload in place: "Перезагрузить квест" and "Следить за файлом квеста". The engine replays the game; the
// window names the outcome in its title and watches the quest file for an author's edits.
#include <QApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>

#include "shell/frmmain.h"
#include "text/text.h"

namespace tarvik::shell {

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString Stamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return {};
    return QString::number(info.size()) + "/" + QString::number(info.lastModified().toMSecsSinceEpoch());
}

}  // namespace

void frmMain::BuildReloadMenus() {
    mFileReload = new QAction(U("&Перезагрузить квест"), mFileF);
    mFileReload->setObjectName("mFileReload");
    mFileReload->setShortcut(QKeySequence(Qt::Key_F5));
    mFileReload->setEnabled(false);
    // With the other commands on the quest, after "Загрузить квест".
    QAction* after = nullptr;
    const QList<QAction*> items = mFileF->actions();
    for (qsizetype i = 0; i + 1 < items.size(); ++i)
        if (items[i] == mFileLoadquest) after = items[i + 1];
    mFileF->insertAction(after, mFileReload);
    addAction(mFileReload);  // F5 works while the menu is closed

    mWatchQuest = AddItem(Parametr, "mWatchQuest", U("&Следить за файлом квеста"), true);

    m_Watcher = new QFileSystemWatcher(this);
    m_ReloadTimer.setSingleShot(true);
    m_ReloadTimer.setInterval(300);
    connect(mFileReload, &QAction::triggered, this, [this] { Post([this] { ReloadQuest(); }); });
    connect(mWatchQuest, &QAction::toggled, this, [this] { WatchQuestFile(); });
    connect(m_Watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_ReloadTimer.start(); });
    connect(m_Watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_ReloadTimer.start(); });
    connect(&m_ReloadTimer, &QTimer::timeout, this, [this] { QuestFileTouched(); });
    connect(mFileF, &QMenu::aboutToShow, this, [this] { mFileReload->setEnabled(!m_PlayingPath.empty()); });
}

bool frmMain::WatchEnabled() const {
    return mWatchQuest && mWatchQuest->isChecked();
}

void frmMain::SetWatchEnabled(bool on) {
    if (mWatchQuest) mWatchQuest->setChecked(on);
}

void frmMain::WatchQuestFile() {
    if (!m_Watcher) return;
    mFileReload->setEnabled(!m_PlayingPath.empty());
    if (!m_Watcher->files().isEmpty()) m_Watcher->removePaths(m_Watcher->files());
    if (!m_Watcher->directories().isEmpty()) m_Watcher->removePaths(m_Watcher->directories());
    m_ReloadTimer.stop();
    if (m_PlayingPath.empty()) return;
    const QString path = QString::fromStdString(m_PlayingPath);
    m_QuestStamp = Stamp(path);
    if (!WatchEnabled()) return;
    m_Watcher->addPath(path);
    m_Watcher->addPath(QFileInfo(path).absolutePath());
}

void frmMain::QuestFileTouched() {
    if (m_PlayingPath.empty() || !WatchEnabled()) return;
    const QString path = QString::fromStdString(m_PlayingPath);
    // An editor that saved by renaming has left the watch on a file that is gone: the new one is watched.
    if (QFileInfo::exists(path) && !m_Watcher->files().contains(path)) m_Watcher->addPath(path);
    // Other files of the folder change too; only a quest that is there and differs is read again.
    const QString stamp = Stamp(path);
    if (stamp.isEmpty() || stamp == m_QuestStamp) return;
    // A dialog of the game is open: the reload waits until it is answered.
    if (QApplication::activeModalWidget() || m_Engine->Replaying()) {
        m_ReloadTimer.start();
        return;
    }
    Post([this] { ReloadQuest(); });
}

void frmMain::ReloadQuest() {
    if (m_PlayingPath.empty() || m_Engine->Replaying()) return;
    const QString path = QString::fromStdString(m_PlayingPath);
    m_QuestStamp = Stamp(path);
    const QString title = QFileInfo(path).fileName() + U(" — Тарвик");
    setWindowTitle(title);
    m_Engine->Reload([this, path](const std::string& why) {
        setWindowTitle(QFileInfo(path).fileName() + U(" — ") +
                       QString::fromStdString(text::Cp1251ToUtf8(why)) + U(" — Тарвик"));
    });
    Render();
    UpdateSessionMenus();
}

}  // namespace tarvik::shell
