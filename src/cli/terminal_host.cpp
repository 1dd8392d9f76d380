#include "cli/terminal_host.h"

#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>
#include <utility>
#include <vector>

#include "cli/dump.h"
#include "cli/messages.h"
#include "engine/message_box.h"
#include "text/html_text.h"

namespace tarvik::cli {

namespace {

volatile sig_atomic_t g_Interrupts = 0;

void OnInterrupt(int) {
    if (g_Interrupts != 0) {
        // The quest is busy and does not reach a point where it could stop: leave now, colours reset.
        const char reset[] = "\033[0m\n";
        (void)!write(STDOUT_FILENO, reset, sizeof reset - 1);
        _exit(130);
    }
    g_Interrupts = 1;
}

}  // namespace

// Quest text may carry any byte. Control characters other than line breaks and tabs would move the cursor or
// start terminal escape sequences, so they are dropped; CR LF becomes a plain line break.
std::string TerminalText(const std::string& cp1251) {
    std::string utf8 = text::Cp1251ToUtf8(cp1251);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if (c == '\r') {
            // A CR at the very end is taken as the first half of a CR LF whose LF comes in the next piece.
            if (i + 1 == utf8.size() || utf8[i + 1] == '\n') continue;
            out += '\n';
        } else if (c == '\n' || c == '\t') {
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            continue;
        } else if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            ++i;  // a C1 control (U+0080..U+009F), which some terminals obey like ESC [
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void PrintPage(const Engine& engine, std::ostream& out) {
    std::string page = TerminalText(engine.ScreenText());
    out << page;
    if (!page.empty() && page.back() != '\n') out << "\n";
    const auto& buttons = engine.buttons();
    if (!buttons.empty()) out << "\n";
    for (size_t i = 0; i < buttons.size(); ++i)
        out << "  " << (i + 1) << ". " << TerminalText(buttons[i]) << "\n";
}

namespace {

// A one-line form of a caption or message.
std::string OneLine(const std::string& cp1251) {
    std::string s = TerminalText(cp1251);
    std::replace(s.begin(), s.end(), '\n', ' ');
    return s;
}

bool ParseNumber(const std::string& s, int& n) {
    if (s.empty() || s.size() > 6) return false;
    n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    return true;
}

std::vector<std::string> Words(const std::string& s) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        size_t b = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
        if (i > b) words.push_back(s.substr(b, i - b));
    }
    return words;
}

// The captions of the message box buttons, as the window system shows them.
const char* ButtonCaption(MessageAnswer answer) {
    switch (answer) {
        case kAnswerOk:
            return "ОК";
        case kAnswerCancel:
            return "Отмена";
        case kAnswerAbort:
            return "Прервать";
        case kAnswerRetry:
            return "Повтор";
        case kAnswerIgnore:
            return "Пропустить";
        case kAnswerYes:
            return "Да";
        case kAnswerNo:
            return "Нет";
    }
    return "";
}

// Window-system colour values are negative (0x80000000 plus an index); the quest's default "window text" is
// one of them, and the terminal's own foreground is its natural equivalent.
constexpr int32_t kWindowText = -2147483640;

}  // namespace

TerminalHost::TerminalHost(std::istream& in, std::ostream& out, bool colour)
    : m_In(in), m_Out(out), m_Colour(colour) {}

void TerminalHost::InstallInterruptHandler() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a read at the prompt returns, so the play can end
    sigaction(SIGINT, &sa, nullptr);
}

bool TerminalHost::ColourWanted(int fd) {
    if (!isatty(fd)) return false;
    const char* term = std::getenv("TERM");
    if (!term || !*term || std::strcmp(term, "dumb") == 0) return false;
    const char* noColour = std::getenv("NO_COLOR");
    return !(noColour && *noColour);
}

std::string TerminalHost::Style(const char* sgr) const {
    if (!m_Colour) return {};
    return std::string("\033[") + sgr + "m";
}

// Quest colours are red + 256 * green + 65536 * blue. Black, like the window-text colour, becomes the
// terminal's own foreground: quests are written for a light window, and black on a dark terminal would be
// unreadable.
std::string TerminalHost::TextColour(int32_t colour) const {
    if (!m_Colour) return {};
    // Other system colours (negative too) have no terminal counterpart either.
    if (colour == kWindowText || colour < 0 || colour == 0) return "\033[39m";
    int r = colour & 0xff, g = (colour >> 8) & 0xff, b = (colour >> 16) & 0xff;
    return "\033[38;2;" + std::to_string(r) + ";" + std::to_string(g) + ";" + std::to_string(b) + "m";
}

void TerminalHost::Greet(const std::string& questName) {
    m_Out << Style("1") << "Tarvik" << Style("0") << " — " << questName << "\n"
          << Style("2")
          << _("Type a button's number to choose it, i N to use inventory entry N, ? for help, q to quit.")
          << Style("0") << "\n\n";
    m_Out.flush();
}

void TerminalHost::Farewell() {
    ShowNewText();
    EndLine();
    m_Out << Style("0") << Style("2") << _("Goodbye.") << Style("0") << "\n";
    m_Out.flush();
}

void TerminalHost::EndLine() {
    if (!m_AtLineStart) {
        m_Out << "\n";
        m_AtLineStart = true;
    }
}

void TerminalHost::ScreenChanged(unsigned parts) {
    if (!m_Engine) return;
    if (parts & (kScreenButtons | kScreenInventory)) m_ChoicesStale = true;
    if (!(parts & kScreenText)) return;
    // Text only grows between clears, so a printed position that no longer exists means the screen was
    // cleared.
    const auto& runs = m_Engine->textRuns();
    bool printedSomething = m_Run > 0 || m_Offset > 0;
    bool gone = m_Run >= runs.size()
                    ? printedSomething || m_ShownTextless
                    : runs[m_Run].text.size() < m_Offset ||
                          (m_ShownTextless && !runs[m_Run].rule && runs[m_Run].picture.empty());
    if (gone) {
        m_Run = 0;
        m_Offset = 0;
        m_ShownTextless = false;
        m_Cleared = true;
        m_ChoicesStale = true;
    }
}

// A page of the HTML view, as readable text under a rule of its own.
void TerminalHost::ShowHtmlPage(const std::string& page, const std::string&, const std::string&) {
    EndLine();
    m_Out << "\n" << Style("2");
    for (int k = 0; k < 40; ++k) m_Out << "═";
    m_Out << Style("0") << "\n" << text::HtmlToText(text::Cp1251ToUtf8(page));
    m_LastHtmlPage = page;
    m_AtLineStart = true;
    m_ChoicesStale = true;
    m_Out.flush();
}

void TerminalHost::ShowNewText() {
    const auto& runs = m_Engine->textRuns();
    bool any = false;
    for (size_t i = m_Run; i < runs.size(); ++i) {
        size_t from = i == m_Run ? m_Offset : 0;
        const bool textless = runs[i].rule || !runs[i].picture.empty();
        if (textless ? i == m_Run && m_ShownTextless : from >= runs[i].text.size()) continue;
        if (!any && m_Cleared) {
            EndLine();
            m_Out << "\n" << Style("2");
            for (int k = 0; k < 40; ++k) m_Out << "─";
            m_Out << Style("0") << "\n";
            m_Cleared = false;
        }
        any = true;
        if (textless) {
            // A rule, or the name of a picture the window shows in the story, on a line of its own.
            EndLine();
            m_Out << Style("2");
            if (runs[i].rule)
                for (int k = 0; k < 20; ++k) m_Out << "─";
            else
                m_Out << "[" << TerminalText(runs[i].picture) << "]";
            m_Out << Style("0") << "\n";
            m_AtLineStart = true;
            continue;
        }
        std::string piece = TerminalText(runs[i].text.substr(from));
        if (piece.empty()) continue;
        m_Out << TextColour(runs[i].color) << piece;
        m_AtLineStart = piece.back() == '\n';
    }
    if (!runs.empty()) {
        m_Run = runs.size() - 1;
        m_Offset = runs.back().text.size();
        m_ShownTextless = runs.back().rule || !runs.back().picture.empty();
    }
    if (any) m_Out << Style("0");
    m_Out.flush();
}

void TerminalHost::ShowChoices() {
    EndLine();
    const auto& buttons = m_Engine->buttons();
    bool showInventory = m_Engine->options().inv || m_Engine->invLast() >= 0;
    if (!buttons.empty() || showInventory) m_Out << "\n";
    if (!buttons.empty()) {
        for (size_t i = 0; i < buttons.size(); ++i) {
            std::string caption = OneLine(buttons[i]);
            const std::string phantom = " //phantom";
            bool isPhantom = caption.size() >= phantom.size() &&
                             caption.compare(caption.size() - phantom.size(), phantom.size(), phantom) == 0;
            m_Out << "  " << Style("1") << (i + 1) << "." << Style("0") << " "
                  << (isPhantom ? Style("2") : "") << caption << Style("0") << "\n";
        }
    }
    if (showInventory) ShowInventory();
    ShowPictures();
    m_ChoicesStale = false;
}

// A terminal shows no pictures; it names the files the window would show.
void TerminalHost::ShowPictures() {
    const PictureModel& pm = m_Engine->pictures();
    auto add = [](std::string& list, const std::string& file) {
        if (file.empty()) return;
        list += list.empty() ? "" : ", ";
        list += OneLine(file);
    };
    std::string slots;
    for (const PictureState& p : pm.images)
        if (p.visible) add(slots, p.file);
    std::string window;
    if (pm.windowVisible) {
        add(window, pm.image);
        for (const PictureState& p : pm.overlays)
            if (p.visible) add(window, p.file);
    }
    std::string background;
    add(background, pm.background);
    if (slots.empty() && window.empty() && background.empty()) return;
    m_Out << Style("2") << "  " << _("Pictures:") << Style("0");
    if (!background.empty()) m_Out << " " << Format(_("background %s;"), background);
    if (!slots.empty()) m_Out << " " << slots << ";";
    if (!window.empty()) m_Out << " " << Format(_("picture window %s;"), window);
    m_Out << "\n";
}

void TerminalHost::ShowInventory() {
    const auto& items = m_Engine->inventory();
    m_Out << Style("2") << "  " << _("Inventory:") << Style("0");
    for (size_t i = 0; i < items.size(); ++i)
        m_Out << (i ? "  " : " ") << Style("1") << "[" << (i + 1) << "]" << Style("0") << " "
              << OneLine(items[i].text);
    m_Out << "\n";
}

void TerminalHost::ShowHelp() {
    EndLine();
    m_Out << Style("2")
          << _("  N        choose button N\n"
               "  i        show the inventory\n"
               "  i N      use inventory entry N: shows its actions to pick from\n"
               "  i N M    run action M of entry N at once\n"
               "  p        print the whole page again\n"
               "  n        start the quest anew\n"
               "  l        load a saved game (.qsv)\n"
               "  u        undo: back to before the last choice or item action\n"
               "  q        quit (also Ctrl+D)\n")
          << Style("0");
}

bool TerminalHost::Interrupted() {
    if (g_Interrupts > 0 && !m_Quit) Quit();
    return m_Quit;
}

void TerminalHost::Quit() {
    m_Quit = true;
    if (m_Engine) m_Engine->RequestStop();
}

bool TerminalHost::ReadLine(const std::string& prompt, std::string& line) {
    if (Interrupted()) return false;
    EndLine();
    m_Out << Style("1") << prompt << Style("0");
    m_Out.flush();
    AwaitInput();
    if (!std::getline(m_In, line) || g_Interrupts > 0) {
        m_Out << "\n";
        m_AtLineStart = true;
        Quit();
        return false;
    }
    m_AtLineStart = true;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

void TerminalHost::Play() {
    while (!m_Quit && !m_Engine->Stopping()) {
        ShowNewText();
        if (m_ChoicesStale) ShowChoices();
        int n = static_cast<int>(m_Engine->buttons().size());
        std::string prompt = n == 0 ? "> " : n == 1 ? "[1] > " : "[1-" + std::to_string(n) + "] > ";
        std::string line;
        if (!ReadLine(prompt, line)) break;
        Command(line);
        if (m_AfterAction) m_AfterAction();
    }
}

void TerminalHost::Command(const std::string& utf8Line) {
    std::vector<std::string> w = Words(utf8Line);
    if (w.empty()) {
        m_ChoicesStale = true;
        return;
    }
    int n = 0;
    const std::string& cmd = w[0];
    if (w.size() == 1 && ParseNumber(cmd, n)) {
        int count = static_cast<int>(m_Engine->buttons().size());
        if (n < 1 || n > count) {
            m_Out << "  "
                  << (count == 0 ? _("There are no buttons here.")
                                 : Format(_("Choose a number from 1 to %d."), count))
                  << "\n";
            return;
        }
        m_Engine->ChooseButton(n - 1);
        return;
    }
    if (cmd == "i" || cmd == "I") {
        if (w.size() == 1) {
            ShowInventory();
            return;
        }
        int entry = 0, action = 0;
        if (!ParseNumber(w[1], entry) || (w.size() > 2 && !ParseNumber(w[2], action)) || w.size() > 3) {
            m_Out << "  " << _("Use: i N, or i N M for action M of entry N.") << "\n";
            return;
        }
        UseItem(entry, action);
        return;
    }
    if (w.size() == 1 && (cmd == "q" || cmd == "Q")) {
        Quit();
        return;
    }
    if (w.size() == 1 && (cmd == "n" || cmd == "N")) {
        m_Engine->NewGame();
        return;
    }
    if (w.size() == 1 && (cmd == "l" || cmd == "L")) {
        m_Engine->RestoreGame();
        return;
    }
    if (w.size() == 1 && (cmd == "u" || cmd == "U")) {
        if (!m_Engine->Undo()) m_Out << "  " << _("Nothing to undo.") << "\n";
        return;
    }
    if (w.size() == 1 && (cmd == "p" || cmd == "P")) {
        if (m_Engine->htmlVisible() && !m_LastHtmlPage.empty()) {
            std::string page = m_LastHtmlPage;
            ShowHtmlPage(page, {}, {});
            return;
        }
        m_Run = 0;
        m_Offset = 0;
        m_ShownTextless = false;
        m_Cleared = true;
        m_ChoicesStale = true;
        return;
    }
    if (w.size() == 1 && (cmd == "?" || cmd == "h" || cmd == "help")) {
        ShowHelp();
        return;
    }
    m_Out << "  " << Format(_("Not a choice: %s  (? shows the commands)"), utf8Line) << "\n";
}

void TerminalHost::UseItem(int entry, int action) {
    int count = static_cast<int>(m_Engine->inventory().size());
    if (entry < 1 || entry > count) {
        m_Out << "  "
              << (count == 0 ? _("The inventory is empty.")
                             : Format(_("The inventory has entries 1 to %d."), count))
              << "\n";
        return;
    }
    m_Engine->ClickItem(entry - 1);
    if (m_Quit || m_Engine->Stopping()) return;
    const auto& actions = m_Engine->itemActions();
    std::string name = OneLine(ItemName(m_Engine->inventory()[entry - 1].text));
    if (actions.empty() || !m_Engine->actionsEnabled()) {
        m_Out << "  " << Format(_("Nothing to do with %s."), name) << "\n";
        return;
    }
    std::vector<std::string> offered = actions;  // the action may change the list
    int k = static_cast<int>(offered.size());
    if (action == 0) {
        m_Out << "  " << name << ":\n";
        for (int i = 0; i < k; ++i)
            m_Out << "    " << Style("1") << (i + 1) << "." << Style("0") << " " << OneLine(offered[i])
                  << "\n";
        std::string line;
        for (;;) {
            if (!ReadLine(k == 1 ? std::string("  ") + _("Action [1, Enter to cancel] > ")
                                 : "  " + Format(_("Action [1-%d, Enter to cancel] > "), k),
                          line))
                return;
            if (Words(line).empty()) return;
            if (ParseNumber(Words(line)[0], action) && action >= 1 && action <= k) break;
            m_Out << "  " << Format(_("Pick a number from 1 to %d."), k) << "\n";
        }
    } else if (action > k) {
        m_Out << "  "
              << Format(_n("%s has %d action.", "%s has %d actions.", static_cast<unsigned long>(k)), name, k)
              << "\n";
        return;
    }
    m_Engine->RunItemAction(offered[action - 1]);
}

void TerminalHost::ProcessEvents() {
    Interrupted();
    DeliverAudioEvents();
}

void TerminalHost::PlaySound(const std::string& path, const std::string&) {
    if (m_Audio) m_Audio->PlaySound(path);
}

void TerminalHost::StopSound() {
    if (m_Audio) m_Audio->StopSound();
}

void TerminalHost::PlayMusic(const std::string& path, const std::string&) {
    if (m_Audio) m_Audio->PlayMusic(path);
}

void TerminalHost::StopMusic() {
    if (m_Audio) m_Audio->StopMusic();
}

void TerminalHost::DeliverAudioEvents() {
    if (m_Audio && m_Engine && !m_Quit && m_Audio->TakeMusicEnded()) m_Engine->MusicEnded();
}

// A looping tune has to restart while the player is still reading, so a blocking read waits in steps. Only
// the terminal's own input is watched; a line already buffered by stdio is read at once.
void TerminalHost::AwaitInput() {
    if (!m_Audio || !m_Audio->deviceOpen() || &m_In != &std::cin) return;
    for (;;) {
        DeliverAudioEvents();
        if (m_Quit || g_Interrupts > 0) return;
#ifdef __GLIBC__
        if (stdin->_IO_read_ptr < stdin->_IO_read_end) return;
#endif
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (::poll(&p, 1, 100) != 0) return;  // input, its end, or a signal: the read sees which
    }
}

void TerminalHost::Wait(WaitReason why, int ms) {
    if (Interrupted() || m_Engine->Stopping()) return;
    ShowNewText();
    std::string line;
    switch (why) {
        case WaitReason::Pause: {
            // A pause is real time; only Ctrl+C or a stopping engine cut it short.
            auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
            while (!Interrupted() && m_Engine->TimerRunning()) {
                DeliverAudioEvents();
                auto left = end - std::chrono::steady_clock::now();
                if (left <= std::chrono::steady_clock::duration::zero()) break;
                std::this_thread::sleep_for(
                    std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(50)));
            }
            return;
        }
        case WaitReason::Anykey: {
            if (!ReadLine(_("[press Enter, or a key and Enter] "), line)) return;
            std::string key = text::Utf8ToCp1251(line);
            m_Engine->PressKey(key.empty() ? 13 : static_cast<unsigned char>(key[0]));
            return;
        }
        case WaitReason::Input: {
            if (!ReadLine("> ", line)) return;
            m_Engine->SubmitLine(text::Utf8ToCp1251(line));
            return;
        }
        case WaitReason::Quit: {
            // The quest has parked itself; the player may still choose a button, use an item or start anew.
            if (m_ChoicesStale) ShowChoices();
            int n = static_cast<int>(m_Engine->buttons().size());
            if (!ReadLine(n == 0 ? "> " : "[1-" + std::to_string(n) + "] > ", line)) return;
            Command(line);
            return;
        }
    }
}

int TerminalHost::MessageBox(const std::string& text, const std::string& title, int style) {
    ShowNewText();
    EndLine();
    const MessageButtons set = MessageBoxButtons(style);
    const auto buttons = set.answers;
    const int fallback = set.closed;

    m_Out << "\n  " << Style("7") << " " << OneLine(title) << " " << Style("0") << "\n";
    std::string body = TerminalText(text);
    size_t start = 0;
    while (start <= body.size()) {
        size_t nl = body.find('\n', start);
        m_Out << "  " << body.substr(start, nl == std::string::npos ? std::string::npos : nl - start) << "\n";
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    if (buttons.size() == 1) {
        std::string line;
        if (!ReadLine("  " + Format(_("[%s: Enter] "), ButtonCaption(buttons[0])), line)) return fallback;
        return buttons[0];
    }
    m_Out << " ";
    for (size_t i = 0; i < buttons.size(); ++i)
        m_Out << (i ? "   " : " ") << Style("1") << (i + 1) << "." << Style("0") << " "
              << ButtonCaption(buttons[i]);
    m_Out << "\n";
    for (;;) {
        std::string line;
        if (!ReadLine("  " + Format(_("Button [1-%d] > "), static_cast<int>(buttons.size())), line))
            return fallback;
        std::vector<std::string> w = Words(line);
        if (w.empty()) return buttons.front();  // Enter presses the first button, as in the window
        int n = 0;
        if (ParseNumber(w[0], n) && n >= 1 && n <= static_cast<int>(buttons.size()))
            return buttons[static_cast<size_t>(n - 1)];
        m_Out << "  " << Format(_("Pick a number from 1 to %d."), static_cast<int>(buttons.size())) << "\n";
    }
}

DialogResult TerminalHost::InputBox(const std::string& prompt, const std::string& title) {
    ShowNewText();
    EndLine();
    m_Out << "\n  " << Style("7") << " " << OneLine(title) << " " << Style("0") << "\n  " << OneLine(prompt)
          << "\n";
    DialogResult r;
    std::string line;
    if (!ReadLine("  > ", line)) return r;
    r.state = DialogResult::State::Accepted;
    r.text = text::Utf8ToCp1251(line);
    return r;
}

DialogResult TerminalHost::SaveFileDialog(const std::string& title, const std::string& filter) {
    return AskFileName(title, filter);
}

DialogResult TerminalHost::OpenFileDialog(const std::string& title, const std::string& filter,
                                          const std::string&) {
    return AskFileName(title, filter);
}

DialogResult TerminalHost::AskFileName(const std::string& title, const std::string& filter) {
    ShowNewText();
    EndLine();
    m_Out << "\n  " << Style("7") << " " << OneLine(title) << " " << Style("0") << "  " << Style("2")
          << OneLine(filter) << Style("0") << "\n";
    DialogResult r;
    std::string line;
    if (!ReadLine(std::string("  ") + _("File name (Enter to cancel) > "), line)) return r;
    std::vector<std::string> w = Words(line);
    if (w.empty()) return r;
    r.state = DialogResult::State::Accepted;
    size_t b = line.find_first_not_of(" \t"), e = line.find_last_not_of(" \t");
    r.text = line.substr(b, e - b + 1);
    return r;
}

void TerminalHost::SetCaption(const std::string& caption) {
    std::cerr << text::Cp1251ToUtf8(caption) << "\n";
}

}  // namespace tarvik::cli
