// The main window: owns the one game engine, shows its screen model in the classic controls (story text,
// button list, inventory panel, input line) and hands the player's clicks and keys back to it.
//
// Controls and menu items carry the names quests and their authors know them by (txtText, List1, mFileF,
// svet1 ...), also as their Qt object names, so tests and tools find them with findChild.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QEventLoop>
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
#include "shell/recent.h"
#include "shell/settings.h"

namespace tarvik::shell {

class Zastavka;
class frmShifr;
class frmShifr2;

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
    // The folder searched for tarvik.chm; defaults to the program's folder.
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

    // Brings the controls up to date with the engine's screen model now.
    void Render();

    // Host
    void ScreenChanged(unsigned parts) override;
    void ProcessEvents() override;
    void Wait(WaitReason why, int ms) override;
    int MessageBox(const std::string& text, const std::string& title, int style) override;
    DialogResult InputBox(const std::string& prompt, const std::string& title) override;
    DialogResult SaveFileDialog(const std::string& title, const std::string& filter) override;
    DialogResult OpenFileDialog(const std::string& title, const std::string& filter,
                                const std::string& folder) override;

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
    QAction* AddItem(QMenu* menu, const char* name, const QString& caption, bool checkable = false);
    QAction* AddSeparator(QMenu* menu, const char* name);
    QMenu* AddMenu(QWidget* parent, const char* name, const QString& caption);
    void SyncOptionsFromMenu();
    void RefreshRecentMenu();
    void LoadQuest(const std::string& utf8Path);
    void SetPanelVisible(bool visible);
    void ApplyControlColours(int32_t fore, int32_t back);
    void ApplyStyles();
    void SetFontOf(int which, const QFont& font);
    void ShowSplash();
    void ShowHelp();
    void ShowAnalyzer();
    void ShowCipher();
    void ShowCompressor();
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
    void RenderHtml(bool pageTop);
    void ScrollToTop();

    std::unique_ptr<Engine> m_Engine;
    RecentList m_Recent;
    std::filesystem::path m_SettingsFile;
    std::filesystem::path m_HelpFolder;
    bool m_SplashEnabled = true;
    bool m_Started = false;
    bool m_Closing = false;

    // Controls.
    QWidget* m_Client = nullptr;
    QTextEdit* txtText = nullptr;
    QWidget* Frame1 = nullptr;
    QTextBrowser* WB = nullptr;
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
    QList<QWidget*> m_KeyControls;  // controls whose keys reach the engine

    // Menus.
    QMenu *mFileF = nullptr, *Histoti = nullptr, *vid = nullptr, *svet = nullptr, *Ihban = nullptr;
    QMenu *mnuUtil = nullptr, *Parametr = nullptr, *mHelp = nullptr, *inventar = nullptr;
    QAction *mFileNewgame = nullptr, *mFileLoadgame = nullptr, *mFileLoadquest = nullptr,
            *mFileExit = nullptr;
    QAction *mFileP5 = nullptr, *mFileP7 = nullptr;
    QAction *inv = nullptr, *SvBlock = nullptr, *svet1 = nullptr, *svet3 = nullptr;
    QAction *shr1 = nullptr, *shr2 = nullptr, *shr3 = nullptr;
    QAction *Compress1 = nullptr, *mnuUtilsShifr1 = nullptr;
    QAction *Soobit = nullptr, *clk = nullptr, *Zvuk = nullptr, *Music = nullptr;
    QAction *help = nullptr, *Sk = nullptr, *mHelpAbout = nullptr;
    std::array<QAction*, kRecentCount + 1> mLast{};
    std::vector<QAction*> invS;  // element 0 is the design-time one and stays hidden

    // What the controls show, so a render only touches what changed.
    unsigned m_Dirty = kScreenAll;
    bool m_RenderQueued = false;
    bool m_InRunEvents = false;  // inside the event processing a running quest asked for
    void QueueRender();
    bool m_Rendering = false;
    bool m_GameStarted = false;    // a reset since the last render: colours of the ticked mode
    bool m_StylesPending = false;  // do_style since the last render
    size_t m_ShownRuns = 0;        // runs of the story text in txtText (the last one maybe in part)
    size_t m_ShownOffset = 0;      // bytes of the last shown run
    bool m_TextCleared = true;     // txtText still shows text the engine has cleared
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
