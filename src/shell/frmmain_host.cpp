// The main window as the engine's host: rendering the screen model, waits in a nested event loop, letting
// events in during long runs, and the modal dialogs the quest asks for.
#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextToSpeech>

#include "engine/message_box.h"
#include "files/paths.h"
#include "shell/accessibility.h"
#include "shell/frmmain.h"
#include "shell/screen_fit.h"
#include "text/text.h"

namespace tarvik::shell {

namespace {

using Clock = std::chrono::steady_clock;

// Events are let in at most this often during a run: often enough for the window to feel alive, rarely
// enough that a quest doing millions of assignments does not spend its time asking for events.
constexpr auto kEventsEvery = std::chrono::milliseconds(5);
// The story text and lists are redrawn this often while a run goes on.
constexpr auto kRenderEvery = std::chrono::milliseconds(100);

QString FromCp1251(std::string_view s) {
    return QString::fromStdString(text::Cp1251ToUtf8(s));
}

// Brings a list to the texts of `entries` by changing only the rows between the unchanged beginning and the
// unchanged end: a new item or button costs one or two rows, not a rebuild of the whole list. Rows of one
// line each are all alike, and a list that knows so measures one row instead of every row.
template <class Entries, class TextOf>
void SyncList(QListWidget* list, std::vector<std::string>& shown, const Entries& entries, TextOf textOf) {
    const size_t n = entries.size();
    size_t head = 0;
    while (head < n && head < shown.size() && textOf(entries[head]) == shown[head]) ++head;
    if (head == n && head == shown.size()) return;
    // Set before the rows change, so the new rows are measured the cheap way already.
    const bool breaks = std::any_of(entries.begin(), entries.end(), [&textOf](const auto& e) {
        return textOf(e).find_first_of("\r\n") != std::string::npos;
    });
    if (list->uniformItemSizes() == breaks) list->setUniformItemSizes(!breaks);
    size_t tail = 0;
    while (tail < n - head && tail < shown.size() - head &&
           textOf(entries[n - 1 - tail]) == shown[shown.size() - 1 - tail])
        ++tail;
    const size_t oldEnd = shown.size() - tail;
    const size_t newEnd = n - tail;
    size_t row = head;
    for (; row < oldEnd && row < newEnd; ++row) {
        const std::string& t = textOf(entries[row]);
        list->item(static_cast<int>(row))->setText(FromCp1251(t));
        shown[row] = t;
    }
    if (oldEnd > newEnd) {
        for (size_t k = oldEnd; k > newEnd; --k) delete list->takeItem(static_cast<int>(k - 1));
        shown.erase(shown.begin() + static_cast<std::ptrdiff_t>(newEnd),
                    shown.begin() + static_cast<std::ptrdiff_t>(oldEnd));
    } else if (newEnd > oldEnd) {
        // One insertion for all the new rows: the view lays itself out once, not once a row.
        std::vector<std::string> added;
        QStringList captions;
        added.reserve(newEnd - oldEnd);
        captions.reserve(static_cast<qsizetype>(newEnd - oldEnd));
        for (size_t k = oldEnd; k < newEnd; ++k) {
            const std::string& t = textOf(entries[k]);
            captions.push_back(FromCp1251(t));
            added.push_back(t);
        }
        list->insertItems(static_cast<int>(oldEnd), captions);
        shown.insert(shown.begin() + static_cast<std::ptrdiff_t>(oldEnd), added.begin(), added.end());
    }
}

}  // namespace

std::optional<QColor> ColourFromValue(int32_t value, const QPalette& palette) {
    if (value >= 0) {
        if (value > 0xFFFFFF) return std::nullopt;
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    }
    // System colours: the top bit set and the colour's number in the low byte; the rest must be clear.
    const uint32_t bits = static_cast<uint32_t>(value);
    if ((bits & 0x7FFFFF00u) != 0) return std::nullopt;
    static constexpr QPalette::ColorRole kRoles[] = {
        QPalette::Button,           // scroll bar
        QPalette::Window,           // desktop
        QPalette::Highlight,        // active caption
        QPalette::Mid,              // inactive caption
        QPalette::Window,           // menu
        QPalette::Base,             // window
        QPalette::Shadow,           // window frame
        QPalette::WindowText,       // menu text
        QPalette::WindowText,       // window text
        QPalette::HighlightedText,  // caption text
        QPalette::Window,           // active border
        QPalette::Window,           // inactive border
        QPalette::Dark,             // application workspace
        QPalette::Highlight,        // highlight
        QPalette::HighlightedText,  // highlighted text
        QPalette::Button,           // button face
        QPalette::Mid,              // button shadow
        QPalette::PlaceholderText,  // grey text
        QPalette::ButtonText,       // button text
        QPalette::WindowText,       // inactive caption text
        QPalette::Light,            // button highlight
        QPalette::Shadow,           // 3D dark shadow
        QPalette::Midlight,         // 3D light
        QPalette::ToolTipText,      // tooltip text
        QPalette::ToolTipBase,      // tooltip background
    };
    const uint32_t index = bits & 0xFF;
    if (index >= std::size(kRoles)) return std::nullopt;
    return palette.color(QPalette::Active, kRoles[index]);
}

QString QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString caption = parts[i];
        caption.remove(trailingPatterns);
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        out << caption.trimmed() + QStringLiteral(" (") + patterns.trimmed() + QStringLiteral(")");
    }
    return out.join(QStringLiteral(";;"));
}

// ---- Rendering ------------------------------------------------------------------------------------------

void frmMain::ScreenChanged(unsigned parts) {
    m_Dirty |= parts;
    if (!m_Engine) return;  // the engine is still being made
    if (parts == kScreenAll) {
        // The old game's pending look gives way to the new game's.
        m_GameStarted = true;
        m_PendingLook = {};
        m_SpokenRuns = m_SpokenOffset = 0;
    }
    if (parts & kScreenText) {
        // Text only grows between clears, so a shown position that no longer exists means it was cleared.
        const auto& runs = m_Engine->textRuns();
        bool shownSomething = m_ShownRuns > 0 || m_ShownOffset > 0;
        bool gone =
            m_ShownRuns >= runs.size() ? shownSomething : runs[m_ShownRuns].text.size() < m_ShownOffset;
        if (gone) {
            m_ShownRuns = 0;
            m_ShownOffset = 0;
            m_TextCleared = true;
            m_PageCleared = true;
        }
        // The spoken position may lie elsewhere: the story is spoken by pages, shown as it grows.
        if (m_SpokenRuns >= runs.size() ? m_SpokenRuns > 0 || m_SpokenOffset > 0
                                        : runs[m_SpokenRuns].text.size() < m_SpokenOffset)
            m_SpokenRuns = m_SpokenOffset = 0;
    }
    if (parts & kScreenPageTop) m_PageToSpeak = true;
    // A finished page is shown from its beginning at once, before anything printed later moves the view.
    if ((parts & kScreenPageTop) && parts != kScreenAll && m_Started && !m_Rendering) {
        m_Rendering = true;
        RenderText();
        ScrollToTop();
        m_Rendering = false;
        m_Dirty &= ~(kScreenText | kScreenPageTop);
        m_Dirty |= kScreenHtml;
    }
    QueueRender();
}

// Outside a run a change is shown as soon as the window is idle. While a run lets events in, ProcessEvents
// renders every kRenderEvery and the run's end renders the rest, so a change queued then waits for those: a
// long run of small changes does not spend its time redrawing.
void frmMain::QueueRender() {
    if (m_RenderQueued) return;
    m_RenderQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_RenderQueued = false;
            if (m_InRunEvents && Clock::now() - m_LastRender < kRenderEvery) return;
            Render();
        },
        Qt::QueuedConnection);
}

// A new game's own look first, then the quest's styles over it.
void frmMain::ApplyLook() {
    if (m_GameStarted) {
        m_GameStarted = false;
        ResetAppearance();
    }
    ApplyPendingLook();
}

void frmMain::Render() {
    if (m_Rendering || !m_Engine) return;
    UpdateSessionMenus();
    m_Rendering = true;
    const unsigned d = m_Dirty;
    m_Dirty = 0;
    ApplyLook();
    if (d & kScreenText) RenderText();
    if (d & kScreenButtons) RenderButtons();
    if (d & kScreenActions) RenderActions();
    if (d & kScreenInventory) RenderInventory();
    if (d & kScreenInput) RenderInput();
    if (d & kScreenHtml) RenderHtml();
    if (d & kScreenPageTop) ScrollToTop();
    mFileLoadgame->setEnabled(!m_Engine->questPath().empty());
    MarkDialect();
    // After the lists: the new buttons take the focus first, and the page is spoken over them.
    if (m_PageToSpeak) SpeakNewPage();
    m_LastRender = Clock::now();
    m_Rendering = false;
}

void frmMain::RenderText() {
    const auto& runs = m_Engine->textRuns();
    if (m_TextCleared) {
        txtText->clear();
        m_TextCleared = false;
    }
    // Placed, not moved, at the end: moving would shape the first paragraph on the way.
    QTextCursor cursor(txtText->document());
    cursor.setPosition(txtText->document()->characterCount() - 1);
    bool appended = false;
    // The colour of the text already shown, for a run whose own colour no window could show.
    QColor last = txtText->palette().color(QPalette::Text);
    if (!txtText->document()->isEmpty() && cursor.charFormat().hasProperty(QTextFormat::ForegroundBrush))
        last = cursor.charFormat().foreground().color();
    const QPalette palette = QApplication::palette();
    // Runs of one colour go in as one insertion: the document changes once per colour, not once per run.
    std::string pending;
    QColor pendingColour = last;
    StoryLook pendingLook;
    auto flush = [&] {
        if (pending.empty()) return;
        txtText->AppendStory(pending, Readable(pendingColour, txtText), pendingLook);
        pending.clear();
        appended = true;
    };
    // A rule or a picture has no text: once shown, the run counts one byte as shown.
    auto textless = [](const TextRun& run) { return run.rule || !run.picture.empty(); };
    for (size_t i = m_ShownRuns; i < runs.size(); ++i) {
        size_t from = i == m_ShownRuns ? m_ShownOffset : 0;
        const TextRun& run = runs[i];
        if (textless(run)) {
            if (from > 0) continue;
            flush();
            if (run.rule) {
                txtText->AppendRule();
            } else {
                // A file that is missing or no picture shows nothing.
                const std::string path =
                    ResolvePath(text::Cp1251ToUtf8(m_Engine->questFolder() + run.picture));
                txtText->AppendPicture(QImage(QString::fromStdString(path)));
            }
            appended = true;
            continue;
        }
        if (from >= run.text.size()) continue;
        // A colour no window could show leaves the run in the colour of the text before it.
        if (std::optional<QColor> c = ColourFromValue(run.color, palette)) last = *c;
        const StoryLook look{run.bold, run.italic, run.underline, run.align, run.heading, run.size, run.link};
        if (last != pendingColour || look != pendingLook) {
            flush();
            pendingColour = last;
            pendingLook = look;
        }
        pending.append(run.text, from, std::string::npos);
    }
    flush();
    if (!runs.empty()) {
        m_ShownRuns = runs.size() - 1;
        m_ShownOffset = runs.back().text.size() + (textless(runs.back()) ? 1 : 0);
    } else {
        m_ShownRuns = 0;
        m_ShownOffset = 0;
    }
    if (appended && m_ScrollToPrinted >= 0) {
        // A link's story runs on: the view shows what its choice printed from the top.
        QTextCursor at(txtText->document());
        at.setPosition(std::min(m_ScrollToPrinted, txtText->document()->characterCount() - 1));
        m_ScrollToPrinted = -1;
        QScrollBar* bar = txtText->verticalScrollBar();
        bar->setValue(bar->value() + txtText->cursorRect(at).top());
    } else if (appended) {
        // Like the classic text box, the view follows what was just printed.
        txtText->ScrollToEnd();
    }
}

// The text printed since the last page spoken: a new page, or what a question or a pause added to it.
void frmMain::SpeakNewPage() {
    m_PageToSpeak = false;
    const auto& runs = m_Engine->textRuns();
    std::string added;
    for (size_t i = m_SpokenRuns; i < runs.size(); ++i)
        added.append(runs[i].text, i == m_SpokenRuns ? std::min(m_SpokenOffset, runs[i].text.size()) : 0);
    if (!runs.empty()) m_SpokenRuns = runs.size() - 1, m_SpokenOffset = runs.back().text.size();
    // Line by line, without the blanks and empty lines that only place the text on the screen.
    QStringList lines;
    for (const QString& line : FromCp1251(added).split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))))
        if (!line.trimmed().isEmpty()) lines << line.trimmed();
    if (lines.isEmpty()) return;
    SpeakPage(lines.join('\n'));
}

void frmMain::SpeakPage(const QString& page) {
    m_LastPage = page;
    m_Voice->Say(page);
    if (m_Speech) m_Speech->say(page);
}

void frmMain::ScrollToTop() {
    // A page of the later dialect that kept the story before it (a link was chosen) goes on as a transcript:
    // the view follows what the choice printed, as it does while a run prints.
    if (!m_PageCleared && m_Engine && m_Engine->dialect() && !txtText->document()->isEmpty()) {
        txtText->ScrollToEnd();
        return;
    }
    m_PageCleared = false;
    txtText->moveCursor(QTextCursor::Start);
    txtText->verticalScrollBar()->setValue(0);
}

void frmMain::RenderButtons() {
    SyncList(List1, m_ShownButtons, m_Engine->buttons(),
             [](const std::string& b) -> const std::string& { return b; });
    int selected = m_Engine->selectedButton();
    if (List1->currentRow() != selected) List1->setCurrentRow(selected);
    if (selected < 0) List1->clearSelection();
}

void frmMain::RenderInventory() {
    SyncList(lstItems, m_ShownItems, m_Engine->inventory(),
             [](const InvEntry& e) -> const std::string& { return e.text; });
    int selected = m_Engine->selectedItem();
    if (lstItems->currentRow() != selected) lstItems->setCurrentRow(selected);
    SetPanelVisible(m_Engine->options().inv);
}

void frmMain::SetPanelVisible(bool visible) {
    inv->setChecked(visible);
    if (lstItems->isHidden() != visible) return;
    lstItems->setVisible(visible);
    Combo1->setVisible(visible);
    Command1->setVisible(visible);
    Form_Resize();
}

void frmMain::RenderActions() {
    const auto& actions = m_Engine->itemActions();
    if (actions != m_ShownActions) {
        Combo1->clear();
        for (const std::string& a : actions) Combo1->addItem(FromCp1251(a));
        // The pop-up menu offers the same actions in the same order.
        for (size_t i = 1; i < invS.size(); ++i) {
            inventar->removeAction(invS[i]);
            invS[i]->deleteLater();
        }
        invS.resize(1);
        for (const std::string& a : actions) {
            QString caption = FromCp1251(a);
            caption.replace('&', QStringLiteral("&&"));
            QAction* item = inventar->addAction(caption);
            item->setObjectName("invS");
            connect(item, &QAction::triggered, this,
                    [this, a] { Post([this, a] { m_Engine->RunItemAction(a); }); });
            invS.push_back(item);
        }
        m_ShownActions = actions;
    }
    mFileP7->setVisible(actions.empty());
    if (Combo1->currentIndex() != m_Engine->selectedAction())
        Combo1->setCurrentIndex(m_Engine->selectedAction());
    const bool enabled = m_Engine->actionsEnabled();
    Combo1->setEnabled(enabled && !m_Engine->inputVisible() && !m_Combo1Held);
    Command1->setEnabled(enabled);
}

void frmMain::RenderInput() {
    const bool visible = m_Engine->inputVisible();
    if (visible == m_InputShown) return;
    m_InputShown = visible;
    if (visible) {
        Text1->show();
        List1->setEnabled(false);
        Combo1->setEnabled(false);
        lstItems->setEnabled(false);
        mFileF->menuAction()->setEnabled(false);
        Form_Resize();
        Text1->setText(QStringLiteral(">"));
        Text1->setFocus();
        Text1->setCursorPosition(1);
        // The question has been printed: it is read with the line that waits for its answer.
        m_PageToSpeak = true;
    } else {
        Text1->hide();
        List1->setEnabled(true);
        lstItems->setEnabled(true);
        mFileF->menuAction()->setEnabled(true);
        // The action chooser waits for the next click on an item.
        m_Combo1Held = true;
        Combo1->setEnabled(false);
        Form_Resize();
        List1->setFocus();
    }
}

void frmMain::RenderHtml() {
    const bool html = m_Engine->htmlVisible();
    Frame1->setVisible(html);
    txtText->setVisible(!html);
}

// The page arrives when it is ready, after the engine has applied the styles and sent the text to its
// start: the styles reach the controls first, then the view comes up with its page.
void frmMain::ShowHtmlPage(const std::string& page, const std::string& pageFile,
                           const std::string& baseFolder) {
    ApplyLook();
    RenderHtml();
    // The view's text takes the colour printed text would have.
    int32_t textColour = 0;
    if (const Value* v = m_Engine->FindVariable("Style_TextColor"); !v || !v->ToWhole32(textColour))
        textColour = 0;
    if (std::optional<QColor> c = ColourFromValue(textColour, QApplication::palette())) {
        QPalette p = WB->palette();
        const QColor readable = Readable(*c, WB);
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(group, QPalette::Text, readable);
        WB->setPalette(p);
    }
    WB->SetAllowedFolders({QString::fromStdString(baseFolder),
                           QString::fromStdString(std::filesystem::path(pageFile).parent_path().string())});
    // Code page 1251 has one byte a character: cut before converting what the view would cut anyway.
    std::string_view bytes(page);
    if (bytes.size() > static_cast<size_t>(kMaxViewChars) + 1) bytes = bytes.substr(0, kMaxViewChars + 1);
    WB->ShowPage(FromCp1251(bytes), QUrl::fromLocalFile(QString::fromStdString(baseFolder)));
    // A page of the HTML view is a page of the story too.
    const QString text = WB->toPlainText().simplified();
    if (!text.isEmpty()) SpeakPage(text);
}

// ---- Waiting and letting events in ----------------------------------------------------------------------

void frmMain::ProcessEvents() {
    if (!m_Started || m_Closing) return;
    const auto now = Clock::now();
    if (now - m_LastEvents < kEventsEvery) return;
    m_LastEvents = now;
    if (now - m_LastRender >= kRenderEvery) Render();
    const bool outer = m_InRunEvents;
    m_InRunEvents = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_InRunEvents = outer;
}

void frmMain::Wait(WaitReason, int ms) {
    if (m_Closing || !m_Engine->TimerRunning()) return;
    Render();
    WaitLoop wait;
    m_Loops.push_back(&wait);
    Timer1.start(ms);
    // The player's events during the wait are shown at once, even when the wait began among a run's events.
    const bool inRunEvents = m_InRunEvents;
    m_InRunEvents = false;
    wait.loop.exec();
    m_InRunEvents = inRunEvents;
    m_Loops.pop_back();
    Timer1.stop();
    // Only the timer, the engine or this window end a wait; anything else is the application leaving, and
    // nothing would end the next wait either.
    if (!wait.ended) m_Engine->RequestStop();
    // The wait below this one ends as well once the engine has stopped counting it.
    QMetaObject::invokeMethod(this, &frmMain::CheckWaits, Qt::QueuedConnection);
}

// ---- Dialogs --------------------------------------------------------------------------------------------

namespace {

// The quest's message box. A button set without a way back (Yes/No, Abort/Retry/Ignore) is answered with one
// of its buttons: Escape and the close button do nothing, as on the standard box quests were written for.
class QuestMessageBox : public QMessageBox {
public:
    QuestMessageBox(QWidget* parent, bool mustChoose) : QMessageBox(parent), m_MustChoose(mustChoose) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (m_MustChoose && e->matches(QKeySequence::Cancel)) {
            e->accept();
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        if (m_MustChoose) {
            e->ignore();
            return;
        }
        QMessageBox::closeEvent(e);
    }

private:
    bool m_MustChoose;
};

QMessageBox::StandardButton StandardButtonOf(MessageAnswer answer) {
    switch (answer) {
        case kAnswerOk:
            return QMessageBox::Ok;
        case kAnswerCancel:
            return QMessageBox::Cancel;
        case kAnswerAbort:
            return QMessageBox::Abort;
        case kAnswerRetry:
            return QMessageBox::Retry;
        case kAnswerIgnore:
            return QMessageBox::Ignore;
        case kAnswerYes:
            return QMessageBox::Yes;
        case kAnswerNo:
            return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

}  // namespace

int frmMain::MessageBox(const std::string& text, const std::string& title, int style) {
    const MessageButtons set = MessageBoxButtons(style);
    const int fallback = set.closed;
    // Once the window is closing nothing more is asked.
    if (m_Closing) return fallback;

    Render();
    QuestMessageBox box(this, set.answers.size() > 1 && fallback != kAnswerCancel);
    box.setObjectName("MsgBox");
    box.setWindowTitle(FromCp1251(title));
    box.setTextFormat(Qt::PlainText);
    QString message = FromCp1251(text);
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(message);
    switch (style & 0x70) {
        case 16:
            box.setIcon(QMessageBox::Critical);
            break;
        case 32:
            box.setIcon(QMessageBox::Question);
            break;
        case 48:
            box.setIcon(QMessageBox::Warning);
            break;
        case 64:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    QAbstractButton* escape = nullptr;
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (const MessageAnswer answer : set.answers) {
        QAbstractButton* b = box.addButton(StandardButtonOf(answer));
        buttons.emplace_back(b, answer);
        if (answer == kAnswerCancel) escape = b;
    }
    // The style's default-button bits (256 the second, 512 the third) pick the button Enter presses.
    const size_t first = static_cast<size_t>((style >> 8) & 3);
    box.setDefaultButton(static_cast<QPushButton*>(buttons[first < buttons.size() ? first : 0].first));
    if (escape || buttons.size() == 1) box.setEscapeButton(escape ? escape : buttons.front().first);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& [b, answer] : buttons)
        if (b == clicked) return answer;
    return fallback;
}

void frmMain::SetCaption(const std::string& caption) {
    if (!m_OwnCaption) m_OwnCaption = windowTitle();
    setWindowTitle(FromCp1251(caption));
}

void frmMain::RestoreCaption() {
    if (!m_OwnCaption) return;
    setWindowTitle(*m_OwnCaption);
    m_OwnCaption.reset();
}

DialogResult frmMain::InputBox(const std::string& prompt, const std::string& title) {
    if (m_Closing) return {};
    Render();
    QInputDialog dialog(this);
    dialog.setObjectName("InputBox");
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(FromCp1251(title));
    dialog.setLabelText(FromCp1251(prompt));
    dialog.setTextValue(QString());
    DialogResult r;
    if (dialog.exec() != QDialog::Accepted) return r;
    r.state = DialogResult::State::Accepted;
    r.text = text::Utf8ToCp1251(dialog.textValue().toStdString());
    return r;
}

namespace {

DialogResult RunFileDialog(QFileDialog& dialog) {
    DialogResult r;
    if (dialog.exec() != QDialog::Accepted) return r;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty()) return r;
    r.state = DialogResult::State::Accepted;
    r.text = files.front().toStdString();
    return r;
}

}  // namespace

DialogResult frmMain::SaveFileDialog(const std::string& title, const std::string& filter) {
    if (m_Closing) return {};
    Render();
    QFileDialog cmdsv(this, FromCp1251(title));
    cmdsv.setObjectName("cmdsv");
    cmdsv.setAcceptMode(QFileDialog::AcceptSave);
    cmdsv.setFileMode(QFileDialog::AnyFile);
    cmdsv.setNameFilters(QtNameFilters(FromCp1251(filter)).split(QStringLiteral(";;")));
    // Games are kept where the player kept the last one, else in their documents.
    QString folder = m_LastGameFolder;
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    cmdsv.setDirectory(folder);
    DialogResult r = RunFileDialog(cmdsv);
    if (r.accepted()) m_LastGameFolder = cmdsv.directory().absolutePath();
    return r;
}

DialogResult frmMain::OpenFileDialog(const std::string& title, const std::string& filter,
                                     const std::string& folder) {
    if (m_Closing) return {};
    Render();
    QFileDialog cmdld(this, FromCp1251(title));
    cmdld.setObjectName("cmdld");
    cmdld.setAcceptMode(QFileDialog::AcceptOpen);
    cmdld.setFileMode(QFileDialog::ExistingFile);
    cmdld.setNameFilters(QtNameFilters(FromCp1251(filter)).split(QStringLiteral(";;")));
    QString start = !m_LastGameFolder.isEmpty() ? m_LastGameFolder : QString::fromStdString(folder);
    if (!start.isEmpty()) cmdld.setDirectory(start);
    DialogResult r = RunFileDialog(cmdld);
    if (r.accepted()) m_LastGameFolder = cmdld.directory().absolutePath();
    return r;
}

}  // namespace tarvik::shell
