// The menu bar and its handlers: file commands and the recent quests, view options and colour modes, fonts,
// the author tools, play options and help.
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QUrl>

#include <QTextToSpeech>

#include "shell/about.h"
#include "shell/accessibility.h"
#include "shell/frmhelp.h"
#include "shell/frminfo.h"
#include "shell/frmmain.h"
#include "shell/frmmap.h"
#include "shell/frmshifr.h"
#include "shell/frmshifr2.h"

namespace tarvik::shell {

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A path shown as a menu caption: "&" would otherwise mark a shortcut letter.
QString MenuCaption(const std::string& utf8) {
    QString s = QString::fromStdString(utf8);
    s.replace('&', QStringLiteral("&&"));
    return s;
}

// Each zoom key changes the fonts by this many percent of their chosen size.
constexpr int kZoomStep = 10;

// Colour values as the window system spells them: explicit colours, and system colours by number.
constexpr int32_t kSysWindowText = static_cast<int32_t>(0x80000008u);
constexpr int32_t kSysInfoBack = static_cast<int32_t>(0x80000018u);
constexpr int32_t kSilver = 0xC0C0C0;
constexpr int32_t kBlack = 0;

}  // namespace

QMenu* frmMain::AddMenu(QWidget* parent, const char* name, const QString& caption) {
    auto* menu = new QMenu(caption, parent);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(QString::fromLatin1(name) + "Action");
    if (auto* bar = qobject_cast<QMenuBar*>(parent))
        bar->addMenu(menu);
    else if (auto* up = qobject_cast<QMenu*>(parent))
        up->addMenu(menu);
    return menu;
}

QAction* frmMain::AddItem(QMenu* menu, const char* name, const QString& caption, bool checkable) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setCheckable(checkable);
    return a;
}

QAction* frmMain::AddSeparator(QMenu* menu, const char* name) {
    QAction* a = menu->addSeparator();
    a->setObjectName(name);
    return a;
}

void frmMain::BuildMenus() {
    QMenuBar* bar = menuBar();

    mFileF = AddMenu(bar, "mFileF", U("&Файл"));
    mFileNewgame = AddItem(mFileF, "mFileNewgame", U("&Новая игра"));
    mFileLoadgame = AddItem(mFileF, "mFileLoadgame", U("&Загрузить игру"));
    AddSeparator(mFileF, "mFileP1");
    mFileLoadquest = AddItem(mFileF, "mFileLoadquest", U("Загрузить &квест"));
    Histoti = AddMenu(mFileF, "Histoti", U("&История"));
    for (int i = 0; i <= kRecentCount; ++i) {
        mLast[i] = AddItem(Histoti, "mLast", QString());
        mLast[i]->setProperty("index", i);
        mLast[i]->setVisible(false);
        if (i > 0)
            connect(mLast[i], &QAction::triggered, this, [this, i] { Post([this, i] { mLast_Click(i); }); });
    }
    mFileP5 = AddItem(Histoti, "mFileP5", U("(пусто)"));
    mFileP5->setEnabled(false);
    AddSeparator(mFileF, "mFileP2");
    mFileExit = AddItem(mFileF, "mFileExit", U("&Выход"));

    vid = AddMenu(bar, "vid", U("&Вид"));
    inv = AddItem(vid, "inv", U("&Инвентарь"), true);
    AddSeparator(vid, "mFileP4");
    SvBlock = AddItem(vid, "SvBlock", U("&Блок"), true);
    svet = AddMenu(vid, "svet", U("&Режим"));
    svet1 = AddItem(svet, "svet1", U("&Тарвик"), true);
    svet3 = AddItem(svet, "svet3", U("&Дос"), true);
    Ihban = AddMenu(vid, "Ihban", U("&Шрифт"));
    shr3 = AddItem(Ihban, "shr3", U("&Главное окно"));
    shr1 = AddItem(Ihban, "shr1", U("&Окно инвентаря"));
    shr2 = AddItem(Ihban, "shr2", U("&Кнопки"));
    AddSeparator(vid, "mZoomP");
    mZoomIn = AddItem(vid, "mZoomIn", U("&Крупнее"));
    mZoomOut = AddItem(vid, "mZoomOut", U("&Мельче"));
    mZoomReset = AddItem(vid, "mZoomReset", U("&Обычный размер"));
    mExactColours = AddItem(vid, "mExactColours", U("&Точные цвета квеста"), true);
    mPictureWindow = AddItem(vid, "mPictureWindow", U("Ок&но картинки"));

    mnuUtil = AddMenu(bar, "mnuUtil", U("&Утилиты"));
    Compress1 = AddItem(mnuUtil, "Compress1", U("&Сжатие"));
    mnuUtilsShifr1 = AddItem(mnuUtil, "mnuUtilsShifr1", U("&Шифрование (qs1)"));
    mQuestMap = AddItem(mnuUtil, "mQuestMap", U("&Карта квеста"));

    Parametr = AddMenu(bar, "Parametr", U("&Опции"));
    Soobit = AddItem(Parametr, "Soobit", U("&Без событий"), true);
    clk = AddItem(Parametr, "clk", U("&Один клик"), true);
    AddSeparator(Parametr, "mFileP3");
    Zvuk = AddItem(Parametr, "Zvuk", U("&Звук"), true);
    Music = AddItem(Parametr, "Music", U("&Музыка"), true);
    mSoundFont = AddItem(Parametr, "mSoundFont", U("&Шрифт MIDI..."));
    AddSeparator(Parametr, "mReadP");
    mReadAloud = AddItem(Parametr, "mReadAloud", U("&Читать вслух"), true);
    mRepeatPage = AddItem(Parametr, "mRepeatPage", U("По&вторить страницу"));
    mStopReading = AddItem(Parametr, "mStopReading", U("Ос&тановить чтение"));
    Soobit->setChecked(true);
    Zvuk->setChecked(true);
    Music->setChecked(true);

    mHelp = AddMenu(bar, "mHelp", U("&?"));
    help = AddItem(mHelp, "help", U("&Помощь"));
    help->setVisible(false);
    Sk = AddItem(mHelp, "Sk", U("&СКанер квеста"));
    AddSeparator(mHelp, "mFileP6");
    mHelpAbout = AddItem(mHelp, "mHelpAbout", U("&О программе"));

    // Only ever shown as the inventory's pop-up menu.
    inventar = AddMenu(bar, "inventar", U("Инвентарь"));
    inventar->menuAction()->setVisible(false);
    mFileP7 = AddItem(inventar, "mFileP7", U("(пусто)"));
    invS.push_back(AddItem(inventar, "invS", QString()));
    invS[0]->setVisible(false);

    BuildSessionMenus();
    BuildReloadMenus();
    BuildDialectMenus();
    // The file commands and the help have the keys desktop programs use for them.
    mFileNewgame->setShortcut(QKeySequence::New);
    mFileLoadquest->setShortcut(QKeySequence::Open);
    mFileLoadgame->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    mFileExit->setShortcut(QKeySequence::Quit);
    help->setShortcut(QKeySequence::HelpContents);
    // Ctrl and the keys that carry + and = on most keyboards; the desktop's own zoom keys too.
    auto keys = [](std::initializer_list<QKeySequence> wanted, QKeySequence::StandardKey desktop) {
        QList<QKeySequence> all(wanted);
        for (const QKeySequence& k : QKeySequence::keyBindings(desktop))
            if (!all.contains(k)) all << k;
        return all;
    };
    mZoomIn->setShortcuts(
        keys({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)},
             QKeySequence::ZoomIn));
    mZoomOut->setShortcuts(keys({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, QKeySequence::ZoomOut));
    mZoomReset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    mPictureWindow->setShortcut(QKeySequence(Qt::Key_F6));
    mRepeatPage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    mStopReading->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Period));

    // Commands that may run the quest go through the event loop, out of the menu's own handling.
    connect(mFileNewgame, &QAction::triggered, this, [this] { Post([this] { mFileNewgame_Click(); }); });
    connect(mFileLoadgame, &QAction::triggered, this, [this] { Post([this] { m_Engine->RestoreGame(); }); });
    connect(mFileLoadquest, &QAction::triggered, this, [this] { Post([this] { mFileLoadquest_Click(); }); });
    connect(mFileExit, &QAction::triggered, this, [this] { close(); });

    connect(inv, &QAction::triggered, this, [this] {
        m_Engine->SetOption("inv", !m_Engine->options().inv);
        Render();
    });
    for (QAction* a : {SvBlock, Soobit, clk, Zvuk, Music})
        connect(a, &QAction::toggled, this, [this] { SyncOptionsFromMenu(); });
    // The player's own click also silences the channel it switches off; a check mark set by the settings
    // is only copied.
    connect(Zvuk, &QAction::triggered, this, [this](bool on) { m_Engine->SetOption("Zvuk", on); });
    connect(Music, &QAction::triggered, this, [this](bool on) { m_Engine->SetOption("Music", on); });
    connect(mSoundFont, &QAction::triggered, this, [this] { Post([this] { ChooseSoundFont(); }); });
    connect(svet1, &QAction::triggered, this, [this] { Post([this] { svet1_Click(); }); });
    connect(svet3, &QAction::triggered, this, [this] { Post([this] { svet3_Click(); }); });
    connect(shr1, &QAction::triggered, this, [this] { Post([this] { ChooseFont(1); }); });
    connect(shr2, &QAction::triggered, this, [this] { Post([this] { ChooseFont(2); }); });
    connect(shr3, &QAction::triggered, this, [this] { Post([this] { ChooseFont(3); }); });
    connect(mZoomIn, &QAction::triggered, this, [this] { SetZoom(m_Zoom + kZoomStep); });
    connect(mZoomOut, &QAction::triggered, this, [this] { SetZoom(m_Zoom - kZoomStep); });
    connect(mZoomReset, &QAction::triggered, this, [this] { SetZoom(100); });
    connect(mExactColours, &QAction::toggled, this, [this] {
        PaintForeColours();
        RedrawStory();
    });
    connect(mPictureWindow, &QAction::triggered, this, [this] { FocusPictureWindow(); });
    connect(mReadAloud, &QAction::toggled, this, [this](bool on) { SetReadAloud(on); });
    connect(mRepeatPage, &QAction::triggered, this, [this] { RepeatPage(); });
    connect(mStopReading, &QAction::triggered, this, [this] {
        if (m_Speech) m_Speech->stop();
    });

    connect(Compress1, &QAction::triggered, this, [this] { Post([this] { ShowCompressor(); }); });
    connect(mnuUtilsShifr1, &QAction::triggered, this, [this] { Post([this] { ShowCipher(); }); });
    connect(help, &QAction::triggered, this, [this] { ShowHelp(); });
    connect(Sk, &QAction::triggered, this, [this] { Post([this] { ShowAnalyzer(); }); });
    connect(mQuestMap, &QAction::triggered, this, [this] { Post([this] { ShowQuestMap(); }); });
    connect(mHelpAbout, &QAction::triggered, this, [this] { Post([this] { ShowAbout(); }); });
}

// ---- Music and sounds -----------------------------------------------------------------------------------

void frmMain::PlaySound(const std::string& path, const std::string&) {
    m_Audio->PlaySound(path);
}

void frmMain::StopSound() {
    m_Audio->StopSound();
}

void frmMain::PlayMusic(const std::string& path, const std::string&) {
    m_Audio->PlayMusic(path);
}

void frmMain::StopMusic() {
    m_Audio->StopMusic();
}

void frmMain::SetSoundFont(const std::string& utf8Path) {
    m_SoundFont = utf8Path;
    m_Audio->SetSoundFont(utf8Path);
}

// A cancelled dialog keeps the soundfont; the tune that plays keeps its sound until its next start.
void frmMain::ChooseSoundFont() {
    std::string current = media::SoundFontFor(m_SoundFont);
    QString start = current.empty() ? QString() : QString::fromStdString(current);
    QString file = QFileDialog::getOpenFileName(this, U("Шрифт MIDI"), start,
                                                U("Звуковые шрифты (*.sf2 *.sf3);;Все файлы (*)"));
    if (!file.isEmpty()) SetSoundFont(file.toStdString());
}

void frmMain::SyncOptionsFromMenu() {
    if (!m_Engine) return;
    Options& o = m_Engine->options();
    o.SvBlock = SvBlock->isChecked();
    o.Soobit = Soobit->isChecked();
    o.clk = clk->isChecked();
    o.Zvuk = Zvuk->isChecked();
    o.Music = Music->isChecked();
}

// ---- Colour modes ---------------------------------------------------------------------------------------

void frmMain::ApplyControlColours(int32_t fore, int32_t back) {
    const QPalette base = QApplication::palette();
    std::optional<QColor> f = ColourFromValue(fore, base);
    std::optional<QColor> b = ColourFromValue(back, base);
    if (f) m_QuestFore = *f;
    if (b) {
        for (QWidget* w : std::initializer_list<QWidget*>{txtText, WB, lstItems, Combo1, List1, Text1}) {
            QPalette p = w->palette();
            for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                for (auto role : {QPalette::Base, QPalette::Window, QPalette::Button})
                    p.setColor(group, role, *b);
            w->setPalette(p);
        }
    }
    PaintForeColours();
}

bool frmMain::MendsColours() const {
    // The DOS mode's own colours read well, and a quest written for it is shown as its author saw it.
    return !mExactColours->isChecked() && !svet3->isChecked();
}

QColor frmMain::Readable(const QColor& fore, const QWidget* on) const {
    return MendsColours() ? ReadableColour(fore, on->palette().color(QPalette::Active, QPalette::Base))
                          : fore;
}

// The lists' and input line's text in the quest's colour, each mended against its own background.
void frmMain::PaintForeColours() {
    if (!m_QuestFore.isValid()) return;
    for (QWidget* w : std::initializer_list<QWidget*>{lstItems, Combo1, List1, Text1}) {
        const QColor c = Readable(m_QuestFore, w);
        QPalette p = w->palette();
        for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            p.setColor(QPalette::Active, role, c), p.setColor(QPalette::Inactive, role, c);
        w->setPalette(p);
    }
}

void frmMain::svet1_Click() {
    svet1->setChecked(true);
    svet3->setChecked(false);
    // The engine assigns the mode's colour variables, as it does at every new game, and recolours the text
    // printed in the old mode's own colour.
    m_Engine->SwitchColourMode(ColourMode::Normal);
    ApplyControlColours(kSysWindowText, kSysInfoBack);
    RedrawStory();
}

void frmMain::svet3_Click() {
    svet3->setChecked(true);
    svet1->setChecked(false);
    resize(kDosWidthTwips / kTwipsPerPixel, kDosHeightTwips / kTwipsPerPixel);
    KeepOnScreen();
    m_Engine->SwitchColourMode(ColourMode::Dos);
    ApplyControlColours(kSilver, kBlack);
    RedrawStory();
}

// The story text drawn again from the engine's runs, where the view was: its colours may have changed.
void frmMain::RedrawStory() {
    if (m_Rendering) return;
    const int scrolled = txtText->verticalScrollBar()->value();
    m_ShownRuns = 0;
    m_ShownOffset = 0;
    m_TextCleared = true;
    m_Dirty |= kScreenText;
    Render();
    txtText->verticalScrollBar()->setValue(scrolled);
}

// The window half of a new game's appearance; the engine has already assigned the mode's colour variables.
void frmMain::ResetAppearance() {
    if (svet3->isChecked()) {
        resize(kDosWidthTwips / kTwipsPerPixel, kDosHeightTwips / kTwipsPerPixel);
        ApplyControlColours(kSilver, kBlack);
    } else if (svet1->isChecked()) {
        ApplyControlColours(kSysWindowText, kSysInfoBack);
    }
}

// ---- Fonts ----------------------------------------------------------------------------------------------

namespace {

QFont Scaled(QFont font, double factor) {
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * factor))));
    return font;
}

}  // namespace

// The controls hold the fonts at the zoom; the chosen size is theirs without it.
QFont frmMain::ChosenFont(int which) const {
    const QWidget* control = txtText;
    if (which == 1) control = lstItems;
    if (which == 2) control = List1;
    QFont f = Scaled(control->font(), 100.0 / m_Zoom);
    // Hundredths of a point: the way back through the zoom must not leave a rounding error in the settings.
    if (f.pointSizeF() > 0) f.setPointSizeF(std::round(f.pointSizeF() * 100) / 100);
    return f;
}

void frmMain::SetZoom(int percent) {
    const std::array<QFont, 3> chosen{ChosenFont(1), ChosenFont(2), ChosenFont(3)};
    m_Zoom = std::clamp(percent, kMinZoom, kMaxZoom);
    for (int which = 1; which <= 3; ++which) SetFontOf(which, chosen[which - 1]);
}

void frmMain::SetFontOf(int which, const QFont& chosen) {
    const QFont font = Scaled(chosen, m_Zoom / 100.0);
    switch (which) {
        case 1:
            lstItems->setFont(font);
            Combo1->setFont(font);
            break;
        case 2:
            List1->setFont(font);
            Text1->setFont(font);
            break;
        case 3:
            txtText->setFont(font);
            txtText->document()->setDefaultFont(font);
            // The HTML view lies over the story text and reads in its font where a page sets none.
            WB->setFont(font);
            WB->document()->setDefaultFont(font);
            break;
        default:
            break;
    }
}

void frmMain::ChooseFont(int which) {
    if (which < 1 || which > 3) return;
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, ChosenFont(which), this);
    if (!ok) return;
    SetFontOf(which, chosen);
}

// ---- Opening quests -------------------------------------------------------------------------------------

void frmMain::mFileLoadquest_Click() {
    QFileDialog cmd(this, U("Какой квест вы хотите загрузить?"),
                    QString::fromStdString(QuestsFolder().string()));
    cmd.setObjectName("cmd");
    cmd.setNameFilters(QtNameFilters(U("Все поддерживаемые типы квестов|*.qst;*.qs1;*.qs3|"
                                       "Незашифрованные квесты (*.qst)|*.qst|"
                                       "Шифрованные квесты (*.qs1)|*.qs1|"
                                       "Сжатые квесты (*.qs3)|*.qs3"))
                           .split(QStringLiteral(";;")));
    cmd.setDefaultSuffix(QStringLiteral("qst"));
    cmd.setFileMode(QFileDialog::ExistingFile);
    cmd.setAcceptMode(QFileDialog::AcceptOpen);
    if (cmd.exec() != QDialog::Accepted) return;
    const QStringList files = cmd.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty()) return;
    OpenQuestFile(files.front());
}

void frmMain::RefreshRecentMenu() {
    bool any = false;
    for (int i = 1; i <= kRecentCount; ++i) {
        mLast[i]->setText(MenuCaption(m_Recent.Entry(i)));
        mLast[i]->setVisible(m_Recent.Visible(i));
        any = any || m_Recent.Visible(i);
    }
    // An empty history says so rather than opening an empty submenu.
    mFileP5->setVisible(!any);
}

void frmMain::OpenQuestFile(const QString& path) {
    std::string utf8 = path.toStdString();
    int same = m_Recent.OpenQuestFile(utf8);
    if (same > 0) {
        mLast_Click(same);
        return;
    }
    RefreshRecentMenu();
    LoadQuest(utf8);
}

void frmMain::mLast_Click(int index) {
    std::string path = m_Recent.ClickItem(index);
    if (path.empty()) return;
    RefreshRecentMenu();
    LoadQuest(path);
}

void frmMain::MoveRecentToTop(int index) {
    m_Recent.MoveRecentToTop(index);
    RefreshRecentMenu();
}

// ---- Tools and help -------------------------------------------------------------------------------------

// Our own help, or a help file of the classic kind beside the program. An empty folder never means the
// working folder.
bool frmMain::HasHelp() const {
    std::error_code ec;
    if (!m_HelpFolder.empty() && std::filesystem::is_regular_file(m_HelpFolder / kHelpIndex, ec)) return true;
    return std::filesystem::exists((m_HelpFolder.empty() ? ProgramFolder() : m_HelpFolder) / "tarvik.chm",
                                   ec);
}

void frmMain::ShowHelp() {
    std::error_code ec;
    if (!m_HelpFolder.empty() && std::filesystem::is_regular_file(m_HelpFolder / kHelpIndex, ec)) {
        if (!m_Help) m_Help = new frmHelp(this, QString::fromStdString(m_HelpFolder.string()));
        m_Help->ShowContents();
        return;
    }
    // A help file of the classic kind is left to the desktop.
    std::filesystem::path file = (m_HelpFolder.empty() ? ProgramFolder() : m_HelpFolder) / "tarvik.chm";
    if (std::filesystem::exists(file))
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

// The plain quest the tools should start with: the open quest, or the .qst beside an open .qs1 or .qs3 (the
// tools turn plain quests into those). Empty when there is none.
QString frmMain::ToolQuestPath() const {
    const std::string& quest = m_Engine->questPath();
    if (quest.empty()) return QString();
    QString path = QString::fromStdString(m_Engine->NativePath(quest));
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    if (suffix == QStringLiteral("qs1") || suffix == QStringLiteral("qs3")) {
        path = info.path() + '/' + info.completeBaseName() + QStringLiteral(".qst");
        if (!QFileInfo::exists(path)) return QString();
    }
    return path;
}

void frmMain::FillToolPath(QLineEdit* txt, QString& filledWith) {
    // A quest opened since the last time replaces the path; otherwise what the player typed stays.
    const QString quest = ToolQuestPath();
    if (quest.isEmpty() || quest == filledWith) return;
    txt->setText(quest);
    filledWith = quest;
}

void frmMain::ShowCipher() {
    if (!m_Shifr) m_Shifr = new frmShifr(this);
    FillToolPath(m_Shifr->txt, m_ShifrFilled);
    m_Shifr->exec();
}

void frmMain::ShowCompressor() {
    if (!m_Shifr2) m_Shifr2 = new frmShifr2(this);
    FillToolPath(m_Shifr2->txt, m_Shifr2Filled);
    m_Shifr2->exec();
}

void frmMain::ShowAnalyzer() {
    const std::string& quest = m_Engine->questPath();
    RunQuestAnalyzer(this, quest, quest.empty() ? std::string() : m_Engine->NativePath(quest));
}

void frmMain::ShowQuestMap() {
    const std::string& quest = m_Engine->questPath();
    if (quest.empty()) {
        QMessageBox::information(this, U("Карта квеста"), U("Сначала откройте квест."));
        return;
    }
    // The map stays open beside the game; opened again, it is drawn anew from the file.
    if (!m_Map) m_Map = new frmMap(this);
    m_Map->ShowQuest(m_Engine->NativePath(quest), false);
    m_Map->show();
    m_Map->raise();
    m_Map->activateWindow();
}

void frmMain::ShowAbout() {
    frmAbout about(this);
    about.exec();
}

}  // namespace tarvik::shell
