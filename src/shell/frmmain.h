// The main window: owns the one game engine, shows its screen model in the classic controls (story text,
// button list, inventory panel, input line) and hands the player's clicks and keys back to it.
//
// Controls and menu items carry the names quests and their authors know them by (txtText, List1, mFileF,
// svet1 ...), also as their Qt object names, so tests and tools find them with findChild.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QEventLoop>
#include <QFileSystemWatcher>
#include <QFont>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "files/kept_games.h"
#include "media/audio.h"
#include "net/curl_client.h"
#include "shell/accessibility.h"
#include "shell/html_view.h"
#include "shell/pictures.h"
#include "shell/recent.h"
#include "shell/settings.h"
#include "shell/story_view.h"

class QTextToSpeech;

namespace tarvik::shell {

class Zastavka;
class frmShifr;
class frmShifr2;
class frmMap;
class frmHelp;

// A colour value as quests write it (red + 256 * green + 65536 * blue), or a system colour (top bit set, the
// low byte naming it) looked up in `palette`. Nothing for a value no window could show.
std::optional<QColor> ColourFromValue(int32_t value, const QPalette& palette);

// "Caption|*.a;*.b|Other|*.c" as a Qt name filter list: "Caption (*.a *.b);;Other (*.c)". A caption that
// already ends in its own "(*.x)" keeps just one such part.
QString QtNameFilters(const QString& filter);

// The window-system font of a settings entry (the name is kept even when no such font is installed; the
// closest installed one is drawn) and back.
QFont FontFromSpec(const FontSpec& wanted);
FontSpec SpecFromFont(const QFont& font);

// The horizontal separator line above the buttons: drawn from (x1, y1) to (x2, y2) in its parent's
// coordinates, like the line control it stands for.
class LineControl : public QWidget {
    Q_OBJECT
public:
    explicit LineControl(QWidget* parent);
    void SetPoints(int x1, int y1, int x2, int y2);
    int x1() const { return m_x1; }
    int y1() const { return m_y1; }
    int x2() const { return m_x2; }
    int y2() const { return m_y2; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int m_x1 = 16, m_y1 = 0, m_x2 = 16, m_y2 = 0;
};

// A list that also reports a mouse press once the press has selected its entry, a double click beside the
// entries, and keyboard moves.
class EventList : public QListWidget {
    Q_OBJECT
public:
    explicit EventList(QWidget* parent) : QListWidget(parent) {}

signals:
    void pressed(Qt::MouseButton button);
    void doubleClickedBeside();
    void movedByKey(int row);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

class frmMain : public QMainWindow, public Host {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    Engine& engine() { return *m_Engine; }

    // Where the settings are read at start-up and written at shutdown; empty: neither happens. Defaults to
    // SettingsFilePath().
    void SetSettingsFile(const std::filesystem::path& file) { m_SettingsFile = file; }
    // The splash window at start-up; tests and screenshots go without it.
    void SetSplashEnabled(bool on) { m_SplashEnabled = on; }
    // The folder searched for the help (index.html, or a tarvik.chm); defaults to HelpFolder().
    void SetHelpFolder(const std::filesystem::path& folder) { m_HelpFolder = folder; }

    // The start-up sequence, ending with the window shown and the quest named by `commandLine` (the whole
    // command line as one text, possibly in double quotes) opened when it exists.
    void Startup(const QString& commandLine);
    // Writes the settings file from the controls; run when the window closes.
    void SaveSettings();

    // Settings as plain data: applied to the controls at start-up, read back from them at shutdown.
    void ApplySettings(const ShellSettings& s);
    ShellSettings CurrentSettings() const;

    // Places every control from the client area's size.
    void Form_Resize();

    // Every way of opening a quest (dialog, drop, recent item) ends here; `path` is UTF-8.
    void OpenQuestFile(const QString& path);
    void mLast_Click(int index);
    void MoveRecentToTop(int index);
    const RecentList& recent() const { return m_Recent; }

    // Menu handlers that tests and start-up run directly.
    void svet1_Click();
    void svet3_Click();
    void ResetAppearance();
    void mFileLoadquest_Click();
    void ChooseFont(int which);  // 1 shr1 (inventory), 2 shr2 (buttons), 3 shr3 (story text)
    // The story, button and inventory fonts at `percent` of their chosen size (kMinZoom to kMaxZoom).
    void SetZoom(int percent);
    int zoom() const { return m_Zoom; }

    // ---- Players who cannot see the screen well
    // The text printed since the page last spoken, for the screen reader and, with "Читать вслух", for the
    // speech engine; empty when nothing new was printed.
    const QString& lastPage() const { return m_LastPage; }
    // "Повторить страницу": the last page again.
    void RepeatPage();
    // "Читать вслух".
    void SetReadAloud(bool on);
    // Whether quest colours are drawn as the quest set them ("Точные цвета квеста", or the DOS mode), or
    // mended where they would be unreadable.
    bool MendsColours() const;
    // Gives the keyboard to the picture window's main picture, when the window is shown.
    void FocusPictureWindow();

    // Brings the controls up to date with the engine's screen model now.
    void Render();

    // ---- Continue, undo and transcript
    // "Продолжать игру": the game left at closing or at opening another quest is kept and offered back.
    bool ContinueEnabled() const;
    void SetContinueEnabled(bool on);
    // Keeps the game being left (or drops the kept one when the game ended) for the quest playing now.
    void KeepLeftGame();
    // Keeps the game when it has come to rest, as it does after every player action, so that a crash or a
    // kill loses at most the action under way.
    void KeepGameAtRest();
    // The desktop session or the system is ending the player: the settings and the game are kept now,
    // asking nothing.
    void KeepForQuit();
    // SIGTERM, SIGHUP: ends the player as closing the window does, asking nothing.
    void QuitOnSignal();
    // "Ход назад".
    void mFileUndo_Click();
    // "Запись сеанса…": starts writing the transcript to `utf8Path`, or stops it for an empty path.
    bool SetTranscript(const QString& utf8Path);

    // ---- Reload in place
    // "Перезагрузить квест": reads the playing quest from disk again and replays the game to where the player
    // stood; a replay that cannot go on says so in the title bar.
    void ReloadQuest();
    // "Следить за файлом квеста": reloads by itself when the quest file changes on disk.
    bool WatchEnabled() const;
    void SetWatchEnabled(bool on);

    // ---- The later dialect
    // "Поздний диалект": how the dialect is chosen for the quests read from now on.
    DialectSwitch dialectSwitch() const;
    void SetDialectSwitch(DialectSwitch chosen);

    // Host
    void ScreenChanged(unsigned parts) override;
    void ProcessEvents() override;
    void Wait(WaitReason why, int ms) override;
    int MessageBox(const std::string& text, const std::string& title, int style) override;
    DialogResult InputBox(const std::string& prompt, const std::string& title) override;
    DialogResult SaveFileDialog(const std::string& title, const std::string& filter) override;
    DialogResult OpenFileDialog(const std::string& title, const std::string& filter,
                                const std::string& folder) override;
    // Host: pictures and the quest's look
    bool SetPicture(PictureSpot spot, int index, const std::string& path) override;
    void PlacePicture(PictureSpot spot, int index, int top, int left, bool visible) override;
    void ShowPictureWindow(bool visible, const std::string& caption, bool captionSet) override;
    void SetFormSize(int heightTwips, int widthTwips) override;
    void SetControlColours(bool hasFore, int32_t fore, bool hasBack, int32_t back) override;

    // The main window's picture slot i (1..128), once the quest has used it; the picture window, once made.
    PictureBox* Image1(int i) const;
    Form1* pictureWindow() const { return m_Form1; }
    const QPixmap& background() const { return m_Background; }

    // ---- Music and sounds
    // Both channels play through one audio player, which opens the device only when something plays.
    void PlaySound(const std::string& path, const std::string& named) override;
    void StopSound() override;
    void PlayMusic(const std::string& path, const std::string& named) override;
    void StopMusic() override;
    // The soundfont chosen for MIDI music (UTF-8; empty: the installed default). TARVIK_SOUNDFONT overrides.
    void SetSoundFont(const std::string& utf8Path);
    const std::string& soundFont() const { return m_SoundFont; }
    media::AudioPlayer& audio() { return *m_Audio; }
    // Network include progress in the caption.
    void SetCaption(const std::string& caption) override;
    void RestoreCaption() override;
    // The client network includes fetch with; tests point it at their own settings.
    net::CurlClient& httpClient() { return m_Http; }
    void ShowHtmlPage(const std::string& page, const std::string& pageFile,
                      const std::string& baseFolder) override;

protected:
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct WaitLoop {
        QEventLoop loop;
        bool ended = false;  // ended by the timer, the engine or this window
    };

    void BuildControls();
    void BuildMenus();
    void BuildSessionMenus();
    void UpdateSessionMenus();
    void BuildReloadMenus();
    void BuildDialectMenus();
    // The title ends in the dialect's mark exactly while the playing quest is in the dialect.
    void MarkDialect();
    // Watches the playing quest's file (and its folder, for editors that save by renaming a new file over
    // it).
    void WatchQuestFile();
    void QuestFileTouched();
    void mFileNewgame_Click();
    QAction* AddItem(QMenu* menu, const char* name, const QString& caption, bool checkable = false);
    QAction* AddSeparator(QMenu* menu, const char* name);
    QMenu* AddMenu(QWidget* parent, const char* name, const QString& caption);
    void SyncOptionsFromMenu();
    void RefreshRecentMenu();
    void LoadQuest(const std::string& utf8Path);
    void SetPanelVisible(bool visible);
    void ApplyControlColours(int32_t fore, int32_t back);
    void ApplyLook();
    void ApplyPendingLook();
    PictureBox* SlotBox(int i);
    Form1* PictureWindow();
    void PaintBackground();
    void RedrawStory();
    // `font` as chosen, shown at the zoom; ChosenFont gives it back.
    void SetFontOf(int which, const QFont& font);
    QFont ChosenFont(int which) const;
    void ShowSplash();
    bool HasHelp() const;
    void ShowHelp();
    void ShowAnalyzer();
    void ShowQuestMap();
    void ShowCipher();
    void ShowCompressor();
    QString ToolQuestPath() const;
    void FillToolPath(QLineEdit* txt, QString& filledWith);
    // Keeps the whole window on the available area of its screen.
    void KeepOnScreen();
    void ShowAbout();

    // Player events reach the engine from the event loop, never from inside a widget's own handler: a run
    // may rebuild the very list that was clicked.
    void Post(std::function<void()> action);
    // Ends the innermost wait once the engine no longer counts it.
    void CheckWaits();
    void EndWait(WaitLoop* wait);
    void EndAllWaits();
    void KeyToEngine(QObject* origin, int code);
    void TextEnter();

    void RenderText();
    void RenderButtons();
    void RenderInventory();
    void RenderActions();
    void RenderInput();
    void RenderHtml();
    void ScrollToTop();
    void SpeakNewPage();
    void SpeakPage(const QString& page);
    QColor Readable(const QColor& fore, const QWidget* on) const;
    void PaintForeColours();

    // Network include: the client the engine fetches with, and the window's own caption while a download
    // shows its progress there.
    net::CurlClient m_Http;
    std::optional<QString> m_OwnCaption;

    std::unique_ptr<Engine> m_Engine;
    // Music and sounds: the player (the end of a piece comes back as a queued call) and the options item.
    void ChooseSoundFont();
    std::unique_ptr<media::AudioPlayer> m_Audio;
    std::string m_SoundFont;
    QAction* mSoundFont = nullptr;
    RecentList m_Recent;
    std::filesystem::path m_SettingsFile;
    std::filesystem::path m_HelpFolder;
    bool m_SplashEnabled = true;
    bool m_Started = false;
    bool m_Closing = false;

    // Controls.
    QWidget* m_Client = nullptr;
    StoryView* txtText = nullptr;
    QWidget* Frame1 = nullptr;
    HtmlView* WB = nullptr;
    EventList* lstItems = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    LineControl* Line1 = nullptr;
    EventList* List1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QTimer Timer1;
    QPointer<Zastavka> m_Zastavka;
    QPointer<frmShifr> m_Shifr;
    QPointer<frmShifr2> m_Shifr2;
    QPointer<frmMap> m_Map;
    QString m_ShifrFilled, m_Shifr2Filled;  // the quest path each tool dialog was last given
    QList<QWidget*> m_KeyControls;          // controls whose keys reach the engine
    std::array<PictureBox*, PictureModel::kSlots> m_Image1{};
    QPointer<Form1> m_Form1;
    QPixmap m_Background;
    // Sizes and colours of the style pass wait for the next render, after the window half of a new game's
    // look.
    struct PendingLook {
        int heightTwips = 0, widthTwips = 0;
        bool hasFore = false, hasBack = false;
        int32_t fore = 0, back = 0;
    } m_PendingLook;
    bool m_GameStarted = false;  // a reset since the last render: colours of the ticked mode
    QPointer<frmHelp> m_Help;

    // The story, button and inventory fonts are shown at this percentage of their chosen size.
    int m_Zoom = 100;
    // The quest's colour of the lists and the input line, before any mending.
    QColor m_QuestFore;
    // What has been spoken of the story: a position in the engine's runs, like the shown one.
    size_t m_SpokenRuns = 0, m_SpokenOffset = 0;
    bool m_PageToSpeak = false;
    QString m_LastPage;
    QTextToSpeech* m_Speech = nullptr;
    ScreenReaderVoice* m_Voice = nullptr;
    bool m_PictureByKeyboard = false;  // the picture window is being activated to take the keyboard
    QAction *mZoomIn = nullptr, *mZoomOut = nullptr, *mZoomReset = nullptr, *mExactColours = nullptr,
            *mPictureWindow = nullptr;
    QAction *mReadAloud = nullptr, *mRepeatPage = nullptr, *mStopReading = nullptr;

    // Menus.
    QMenu *mFileF = nullptr, *Histoti = nullptr, *vid = nullptr, *svet = nullptr, *Ihban = nullptr;
    QMenu *mnuUtil = nullptr, *Parametr = nullptr, *mHelp = nullptr, *inventar = nullptr;
    QAction *mFileNewgame = nullptr, *mFileLoadgame = nullptr, *mFileLoadquest = nullptr,
            *mFileExit = nullptr;
    QAction *mFileP5 = nullptr, *mFileP7 = nullptr;
    QAction *inv = nullptr, *SvBlock = nullptr, *svet1 = nullptr, *svet3 = nullptr;
    QAction *shr1 = nullptr, *shr2 = nullptr, *shr3 = nullptr;
    QAction *Compress1 = nullptr, *mnuUtilsShifr1 = nullptr, *mQuestMap = nullptr;
    QAction *Soobit = nullptr, *clk = nullptr, *Zvuk = nullptr, *Music = nullptr;
    QAction *help = nullptr, *Sk = nullptr, *mHelpAbout = nullptr;
    std::array<QAction*, kRecentCount + 1> mLast{};
    std::vector<QAction*> invS;  // element 0 is the design-time one and stays hidden

    // Continue, undo and transcript.
    QAction *mFileUndo = nullptr, *mFileTranscript = nullptr, *mContinue = nullptr;
    files::GameKeeper m_Keeper;  // the kept game of the quest the engine plays
    bool m_KeepFailed = false;   // the last keeping failed and the player has been told
    bool m_QuietQuit = false;    // ending without a window to ask in: failures are not shown
    uint64_t m_Loads = 0;        // quests opened
    bool m_PlayerActed = false;  // a player event ran since the quest opened or a new game began
    void KeepGame(const std::string& text, bool background);

    // Reload in place.
    QAction *mFileReload = nullptr, *mWatchQuest = nullptr;
    std::string m_PlayingPath;  // UTF-8 path of the quest the engine plays, read again by a reload
    QFileSystemWatcher* m_Watcher = nullptr;
    QTimer m_ReloadTimer;  // lets an editor finish writing before the file is read
    QString m_QuestStamp;  // size and modification time of the quest file as last read

    QMenu* mDialect = nullptr;
    QAction *mDialectAuto = nullptr, *mDialectOn = nullptr, *mDialectOff = nullptr;

    // What the controls show, so a render only touches what changed.
    unsigned m_Dirty = kScreenAll;
    bool m_RenderQueued = false;
    bool m_InRunEvents = false;  // inside the event processing a running quest asked for
    void QueueRender();
    bool m_Rendering = false;
    size_t m_ShownRuns = 0;     // runs of the story text in txtText (the last one maybe in part)
    size_t m_ShownOffset = 0;   // bytes of the last shown run
    bool m_TextCleared = true;  // txtText still shows text the engine has cleared
    bool m_PageCleared = true;  // the engine cleared the text since the last page began
    // After a link's choice: where in txtText what it printed begins, so that the view shows it.
    int m_ScrollToPrinted = -1;
    std::vector<std::string> m_ShownButtons;
    std::vector<std::string> m_ShownItems;
    std::vector<std::string> m_ShownActions;
    bool m_InputShown = false;
    bool m_Combo1Held = false;  // off since an input ended, until the next click on an item

    // Waits and responsiveness.
    std::vector<WaitLoop*> m_Loops;  // innermost last
    QString m_LastGameFolder;
    std::chrono::steady_clock::time_point m_LastEvents{};
    std::chrono::steady_clock::time_point m_LastRender{};
};

}  // namespace tarvik::shell
