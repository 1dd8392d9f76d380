// The main window's controls, start-up, shutdown and the way player events reach the engine.
#include "shell/frmmain.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QUrl>

#include <algorithm>
#include <vector>

#include "files/kept_games.h"
#include "files/paths.h"
#include "shell/screen_fit.h"
#include "shell/zastavka.h"
#include "text/text.h"

namespace tarvik::shell {

namespace {

// A player killed while saving leaves the temporary file of that write behind; the folders the player writes
// to (settings, quests, and the folders of recent quests, where saves usually go) are cleared of them.
void RemoveStaleWrites(const std::filesystem::path& settingsFile, const ShellSettings& s,
                       const std::filesystem::path& quests) {
    std::vector<std::filesystem::path> folders{settingsFile.parent_path(), quests};
    for (const std::string& recent : s.RecentFiles)
        if (!recent.empty()) folders.push_back(std::filesystem::path(recent).parent_path());
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const std::filesystem::path& folder : folders)
        if (!folder.empty()) RemoveStaleTempFiles(folder.string());
}

// A font family that names a fixed-pitch face gets a fixed-pitch stand-in when it is not installed.
bool LooksFixedPitch(const QString& family) {
    for (const char* word : {"console", "courier", "mono", "fixed", "terminal"})
        if (family.contains(QLatin1String(word), Qt::CaseInsensitive)) return true;
    return false;
}

}  // namespace

QFont FontFromSpec(const FontSpec& wanted) {
    QFont f;
    QString family = QString::fromStdString(wanted.name);
    f.setFamily(family);
    f.setStyleHint(LooksFixedPitch(family) ? QFont::TypeWriter : QFont::SansSerif);
    if (wanted.size > 0) f.setPointSizeF(wanted.size);
    f.setBold(wanted.bold);
    f.setItalic(wanted.italic);
    f.setUnderline(wanted.underline);
    f.setStrikeOut(wanted.strikethrough);
    return f;
}

FontSpec SpecFromFont(const QFont& f) {
    FontSpec s;
    s.name = f.family().toStdString();
    s.size = f.pointSizeF();
    s.bold = f.bold();
    s.italic = f.italic();
    s.underline = f.underline();
    s.strikethrough = f.strikeOut();
    return s;
}

void EventList::mousePressEvent(QMouseEvent* e) {
    QListWidget::mousePressEvent(e);
    emit pressed(e->button());
}

void EventList::mouseDoubleClickEvent(QMouseEvent* e) {
    // Beside the entries the list would take the second click for another press.
    if (e->button() == Qt::LeftButton && !itemAt(e->position().toPoint())) {
        e->accept();
        emit doubleClickedBeside();
        return;
    }
    QListWidget::mouseDoubleClickEvent(e);
}

void EventList::keyPressEvent(QKeyEvent* e) {
    int before = currentRow();
    QListWidget::keyPressEvent(e);
    if (currentRow() != before) emit movedByKey(currentRow());
}

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmMain");
    setWindowTitle(QString::fromUtf8("Тарвик"));
    setAcceptDrops(true);
    m_SettingsFile = SettingsFilePath();
    m_HelpFolder = HelpFolder();
    // The end of a piece is noticed on SDL's audio thread; the engine hears of it on this one.
    m_Audio = std::make_unique<media::AudioPlayer>([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_Closing && m_Engine && m_Audio->TakeMusicEnded()) m_Engine->MusicEnded();
            },
            Qt::QueuedConnection);
    });

    BuildControls();
    BuildMenus();

    Timer1.setObjectName("Timer1");
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, [this] {
        // The tick ends the wait that is counting; waits below it end as the engine stops counting them.
        Timer1.stop();
        if (!m_Loops.empty()) EndWait(m_Loops.back());
    });

    m_Engine = std::make_unique<Engine>(*this);
    m_Engine->SetHttpClient(&m_Http);
    SyncOptionsFromMenu();
    resize(kDefaultWidthTwips / kTwipsPerPixel, kDefaultHeightTwips / kTwipsPerPixel);
}

frmMain::~frmMain() {
    // Nothing may call back into a half-destroyed window: the controls go while the engine still exists.
    m_Closing = true;
    // Silenced first, so no end of a piece is posted to a window going away.
    m_Audio.reset();
    if (m_Engine) m_Engine->RequestStop();
    EndAllWaits();
    delete m_Client;
    m_Client = nullptr;
}

void frmMain::BuildControls() {
    m_Client = new QWidget(this);
    m_Client->setObjectName("frmMainClient");
    setCentralWidget(m_Client);
    m_Client->installEventFilter(this);

    txtText = new StoryView(m_Client);
    txtText->setObjectName("txtText");
    txtText->setReadOnly(true);
    txtText->setUndoRedoEnabled(false);
    txtText->setAcceptRichText(false);
    txtText->setGeometry(8, 0, 400, 300);
    txtText->setContextMenuPolicy(Qt::CustomContextMenu);
    txtText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    connect(txtText, &StoryView::LinkClicked, this, [this](int link) {
        Post([this, link] {
            m_ScrollToPrinted = txtText->document()->characterCount() - 1;
            m_Engine->ChooseLink(link);
        });
    });
    connect(txtText, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { vid->popup(txtText->viewport()->mapToGlobal(pos)); });

    Frame1 = new QWidget(m_Client);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(8, 0, 400, 300);
    Frame1->hide();
    WB = new HtmlView(Frame1);
    WB->setObjectName("WB");
    WB->setGeometry(0, 0, 400, 300);
    // The view stands in for the story text: the same right-click menu, and keys reach the quest.
    WB->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(WB, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { vid->popup(WB->viewport()->mapToGlobal(pos)); });

    lstItems = new EventList(m_Client);
    lstItems->setObjectName("lstItems");
    lstItems->setGeometry(462, 0, 201, 300);
    lstItems->setContextMenuPolicy(Qt::CustomContextMenu);
    lstItems->hide();
    connect(lstItems, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        int row = lstItems->row(item);
        Post([this, row] {
            m_Combo1Held = false;
            m_Engine->ClickItem(row);
        });
    });
    connect(lstItems, &EventList::movedByKey, this, [this](int row) {
        if (m_Rendering || row < 0) return;
        Post([this, row] {
            m_Combo1Held = false;
            m_Engine->ClickItem(row);
        });
    });
    // A right-click first clicks the entry under the pointer, as a left click would: the press has already
    // moved the highlight there, and the menu must offer that entry's actions, not those of the one before.
    connect(lstItems, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const int row = lstItems->indexAt(pos).row();
        const QPoint at = lstItems->viewport()->mapToGlobal(pos);
        Post([this, row, at] {
            if (row >= 0) {
                m_Combo1Held = false;
                m_Engine->ClickItem(row);
                Render();
            }
            inventar->popup(at);
        });
    });

    Combo1 = new QComboBox(m_Client);
    Combo1->setObjectName("Combo1");
    Combo1->setGeometry(462, 310, 169, 21);
    Combo1->setEnabled(false);
    Combo1->hide();
    connect(Combo1, &QComboBox::activated, this, [this](int index) {
        if (!m_Rendering && !m_Closing) m_Engine->SelectAction(index);
    });

    Command1 = new QPushButton(QStringLiteral("»"), m_Client);
    Command1->setObjectName("Command1");
    Command1->setGeometry(637, 308, 25, 25);
    Command1->setEnabled(false);
    Command1->hide();
    connect(Command1, &QPushButton::clicked, this, [this] {
        int index = Combo1->currentIndex();
        Post([this, index] { m_Engine->ChooseAction(index); });
    });

    Line1 = new LineControl(m_Client);
    Line1->setObjectName("Line1");

    List1 = new EventList(m_Client);
    List1->setObjectName("List1");
    List1->setGeometry(8, 400, 655, 93);
    connect(List1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_Rendering && !m_Closing) m_Engine->SelectButton(row);
    });
    // Every mouse button counts as a press on the list.
    connect(List1, &EventList::pressed, this, [this](Qt::MouseButton) {
        int row = List1->currentRow();
        Post([this, row] { m_Engine->ClickButtonList(row); });
    });
    connect(List1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        int row = List1->row(item);
        Post([this, row] { m_Engine->ChooseButton(row); });
    });
    // Beside the entries a double click chooses the selected one.
    connect(List1, &EventList::doubleClickedBeside, this, [this] {
        int row = List1->currentRow();
        Post([this, row] { m_Engine->ChooseButton(row); });
    });

    Text1 = new QLineEdit(m_Client);
    Text1->setObjectName("Text1");
    Text1->setGeometry(8, 380, 655, 19);
    Text1->hide();
    connect(Text1, &QLineEdit::returnPressed, this, &frmMain::TextEnter);

    // Keys of these controls and of the window itself reach the engine as key presses; drops land on the
    // window, whatever control is under the pointer.
    m_KeyControls = {txtText, WB, lstItems, Combo1, Command1, List1};
    for (QWidget* w : m_KeyControls) w->installEventFilter(this);
    installEventFilter(this);
    for (QWidget* w :
         std::initializer_list<QWidget*>{txtText, txtText->viewport(), lstItems, lstItems->viewport(), List1,
                                         List1->viewport(), Text1, Combo1, WB, WB->viewport()})
        w->setAcceptDrops(false);

    m_Voice = new ScreenReaderVoice(m_Client);
    // What a screen reader calls each control.
    txtText->setAccessibleName(QString::fromUtf8("Текст истории"));
    WB->setAccessibleName(QString::fromUtf8("Текст истории"));
    lstItems->setAccessibleName(QString::fromUtf8("Инвентарь"));
    Combo1->setAccessibleName(QString::fromUtf8("Действие с предметом"));
    Command1->setAccessibleName(QString::fromUtf8("Выполнить действие"));
    Command1->setToolTip(Command1->accessibleName());
    List1->setAccessibleName(QString::fromUtf8("Кнопки"));
    Text1->setAccessibleName(QString::fromUtf8("Ответ на вопрос"));
    Text1->setAccessibleDescription(QString::fromUtf8("Введите ответ и нажмите Enter"));

    ShellSettings defaults;
    SetFontOf(3, FontFromSpec(defaults.font1));
    SetFontOf(1, FontFromSpec(defaults.font2));
    SetFontOf(2, FontFromSpec(defaults.font3));
}

// ---- Start-up and shutdown -------------------------------------------------------------------------------

void frmMain::Startup(const QString& commandLine) {
    // The HTML view starts blank.
    WB->clear();
    // Fonts need no character set here: every text is drawn from Unicode.
    help->setVisible(HasHelp());
    m_Engine->Seed(static_cast<uint32_t>(QDateTime::currentMSecsSinceEpoch()));
    // The inventory starts empty (the engine's own initial state) and Combo1 with it.
    Combo1->clear();
    std::filesystem::path quests = QuestsFolder();
    m_Engine->SetQuestsFolder(quests.string());
    svet1_Click();

    ShellSettings s;
    if (!m_SettingsFile.empty()) LoadSettingsFile(m_SettingsFile, s);
    RemoveStaleWrites(m_SettingsFile, s, quests);
    ApplySettings(s);

    show();
    m_Started = true;
    Render();
    if (m_SplashEnabled) ShowSplash();

    QString questFile = commandLine;
    while (questFile.startsWith('"') && questFile.size() >= 2)
        questFile = questFile.mid(1, questFile.size() - 2);
    if (!questFile.isEmpty() && QuestFileExists(questFile.toStdString())) {
        if (m_Zastavka) m_Zastavka->close();
        std::string path = questFile.toStdString();
        Post([this, path] { LoadQuest(path); });
    }
}

void frmMain::ApplySettings(const ShellSettings& s) {
    if (s.dos) svet3_Click();
    if (s.invVisible != inv->isChecked()) m_Engine->SetOption("inv", !m_Engine->options().inv);
    // A size the window cannot take leaves that one as it was, not the other.
    ResizeWithinScreen(*this, QSize(s.width > 0 ? s.width / kTwipsPerPixel : width(),
                                    s.height > 0 ? s.height / kTwipsPerPixel : height()));
    // A position saved on another screen, or at another scaling, may not fit this one.
    KeepOnScreen();
    Soobit->setChecked(s.Soobit);
    Zvuk->setChecked(s.Zvuk);
    Music->setChecked(s.Music);
    clk->setChecked(s.clk);
    SetSoundFont(s.soundFont);
    SyncOptionsFromMenu();
    SetFontOf(3, FontFromSpec(s.font1));
    SetFontOf(1, FontFromSpec(s.font2));
    SetFontOf(2, FontFromSpec(s.font3));
    m_Recent.Assign(s.RecentFiles);
    RefreshRecentMenu();
    SetContinueEnabled(s.keepGames);
    SetWatchEnabled(s.watchQuest);
    mExactColours->setChecked(s.exactColours);
    SetZoom(s.zoom);
    SetReadAloud(s.readAloud);
    SetDialectSwitch(s.dialect);
    Render();
}

ShellSettings frmMain::CurrentSettings() const {
    ShellSettings s;
    s.dos = svet3->isChecked();
    s.invVisible = !lstItems->isHidden();
    s.width = width() * kTwipsPerPixel;
    s.height = height() * kTwipsPerPixel;
    s.Soobit = Soobit->isChecked();
    s.Zvuk = Zvuk->isChecked();
    s.Music = Music->isChecked();
    s.clk = clk->isChecked();
    s.soundFont = m_SoundFont;
    // The fonts as chosen: the zoom is kept apart.
    s.font1 = SpecFromFont(ChosenFont(3));
    s.font2 = SpecFromFont(ChosenFont(1));
    s.font3 = SpecFromFont(ChosenFont(2));
    s.zoom = m_Zoom;
    s.readAloud = mReadAloud->isChecked();
    s.exactColours = mExactColours->isChecked();
    s.RecentFiles = m_Recent.Entries();
    s.keepGames = ContinueEnabled();
    s.watchQuest = WatchEnabled();
    s.dialect = dialectSwitch();
    return s;
}

void frmMain::SaveSettings() {
    if (m_SettingsFile.empty()) return;
    SaveSettingsFile(m_SettingsFile, CurrentSettings());
}

void frmMain::closeEvent(QCloseEvent* e) {
    if (!m_Closing) {
        m_Closing = true;
        SaveSettings();
        KeepLeftGame();
        SetTranscript(QString());
        // A run still going (an endless loop, a wait) ends as soon as it next looks.
        m_Engine->RequestStop();
        if (m_Zastavka) m_Zastavka->close();
        EndAllWaits();
    }
    e->accept();
}

void frmMain::ShowSplash() {
    if (!m_Zastavka) {
        m_Zastavka = new Zastavka(this);
        m_Zastavka->setObjectName("Zastavka");
        connect(m_Zastavka, &Zastavka::closed, this, [this] {
            activateWindow();
            List1->setFocus();
        });
    }
    m_Zastavka->show();
}

// ---- Player events --------------------------------------------------------------------------------------

void frmMain::Post(std::function<void()> action) {
    QMetaObject::invokeMethod(
        this,
        [this, action = std::move(action)] {
            if (m_Closing) return;
            // Opening a quest or a new game clears this again: a fresh opening is nothing to keep.
            m_PlayerActed = true;
            action();
            Render();
            CheckWaits();
            if (m_PlayerActed) KeepGameAtRest();
        },
        Qt::QueuedConnection);
}

void frmMain::CheckWaits() {
    if (!m_Loops.empty() && !m_Engine->TimerRunning()) EndWait(m_Loops.back());
}

void frmMain::EndWait(WaitLoop* wait) {
    wait->ended = true;
    wait->loop.quit();
}

void frmMain::EndAllWaits() {
    for (WaitLoop* wait : m_Loops) EndWait(wait);
}

void frmMain::TextEnter() {
    // The line goes as typed, prompt and all: the game drops the one ">" it begins with, and no more.
    std::string line = text::Utf8ToCp1251(Text1->text().toStdString());
    Post([this, line] { m_Engine->SubmitLine(line); });
}

void frmMain::KeyToEngine(QObject* origin, int code) {
    if (origin == List1) {
        int row = List1->currentRow();
        Post([this, row, code] { m_Engine->PressButtonListKey(row, code); });
    } else {
        Post([this, code] { m_Engine->PressKey(code); });
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_Client && e->type() == QEvent::Resize) {
        Form_Resize();
        return false;
    }
    if (watched == m_Client && e->type() == QEvent::Paint) {
        PaintBackground();
        return false;
    }
    if (e->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, e);

    // A key goes first to the control with the focus and then up to the window when the control leaves it;
    // it is counted once, where it started.
    QWidget* focus = focusWidget();
    bool origin = watched == focus || (watched == this && !m_KeyControls.contains(focus) && focus != Text1);
    if (!origin) return false;
    auto* key = static_cast<QKeyEvent*>(e);
    int code = -1;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        code = 13;
    } else if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        return false;  // moves the focus, as in any window
    } else if (key->key() == Qt::Key_Delete) {
        return false;  // edits, types no character, though some systems spell it as DEL
    } else if (!key->text().isEmpty()) {
        std::string cp = text::Utf8ToCp1251(key->text().toStdString());
        if (!cp.empty()) code = static_cast<unsigned char>(cp[0]);
    }
    if (code >= 0) KeyToEngine(watched, code);
    return false;
}

void frmMain::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    // One file opens; a bundle of files is not a quest to choose from. While the input line waits, quests
    // are not opened, as the file menu is off then too.
    if (urls.size() != 1 || !urls.front().isLocalFile() || m_Engine->inputVisible()) return;
    e->acceptProposedAction();
    QString path = urls.front().toLocalFile();
    Post([this, path] { OpenQuestFile(path); });
}

void frmMain::LoadQuest(const std::string& utf8Path) {
    KeepLeftGame();
    std::string kept;
    const bool offer = ContinueEnabled() && files::ReadKeptGame(utf8Path, kept);
    // Asked before the quest starts, so the answer is not mixed up with the quest's own opening.
    const bool resume =
        offer && MessageBox(text::Utf8ToCp1251("Продолжить игру с того места, где вы остановились?"),
                            text::Utf8ToCp1251("Тарвик"), 32 + 4) == kAnswerYes;
    m_KeepFailed = false;
    m_PlayerActed = false;
    const uint64_t load = ++m_Loads;
    // Named before the run starts: the quest may keep running for as long as it is played.
    const QFileInfo info(QString::fromStdString(utf8Path));
    setWindowTitle(info.fileName() + QString::fromUtf8(" — Тарвик"));
    m_PlayingPath = utf8Path;
    WatchQuestFile();
    if (resume) {
        // The kept game comes back in place of the opening, which would greet or ask as for a new game. The
        // kept file stays as it is until the game is back: a restore cut short keeps nothing.
        m_Keeper.SetQuest({});
        const bool back = m_Engine->ContinueQuest(utf8Path, kept);
        // A quest opened meanwhile keeps its own game.
        if (load == m_Loads && (back || !IsSavedGameText(kept))) m_Keeper.SetQuest(utf8Path);
    } else {
        m_Keeper.SetQuest(utf8Path);
        if (offer) m_Keeper.Drop();
        m_Engine->OpenQuest(utf8Path);
    }
    UpdateSessionMenus();
}

void frmMain::KeepOnScreen() {
    QScreen* screen = this->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // The frame (title bar, borders) must fit too; before the window is first shown it is not known yet.
    const QSize frame = frameGeometry().size() - geometry().size();
    const int w = std::min(width(), area.width() - frame.width());
    const int h = std::min(height(), area.height() - frame.height());
    if (w != width() || h != height()) resize(w, h);
    const QRect outer = frameGeometry();
    const int x = std::clamp(outer.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width()));
    const int y = std::clamp(outer.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
    if (x != outer.x() || y != outer.y()) move(x, y);
}

}  // namespace tarvik::shell
