// The main window for players who cannot see it well: the story read aloud, the last page again, and the
// picture window reached from the keyboard.
#include <QApplication>
#include <QLocale>
#include <QTextToSpeech>

#include "shell/accessibility.h"
#include "shell/frmmain.h"

namespace tarvik::shell {

namespace {

// Speech dispatcher speaks through whatever voices the desktop has; another engine only where it has none.
QTextToSpeech* MakeSpeech(QObject* parent) {
    auto* speech = new QTextToSpeech(QStringLiteral("speechd"), parent);
    if (speech->state() == QTextToSpeech::Error) {
        delete speech;
        speech = new QTextToSpeech(parent);
    }
    // Quests are written in Russian; a desktop without a Russian voice keeps its own.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    if (speech->availableLocales().contains(russian)) speech->setLocale(russian);
    return speech;
}

}  // namespace

void frmMain::SetReadAloud(bool on) {
    if (mReadAloud->isChecked() != on) mReadAloud->setChecked(on);  // comes back here through toggled
    if (!on) {
        delete m_Speech;
        m_Speech = nullptr;
        return;
    }
    if (!m_Speech) m_Speech = MakeSpeech(this);
}

void frmMain::RepeatPage() {
    if (m_LastPage.isEmpty()) return;
    if (m_Speech) {
        m_Speech->stop();
        m_Speech->say(m_LastPage);
        return;
    }
    m_Voice->Say(m_LastPage);
}

void frmMain::FocusPictureWindow() {
    if (!m_Form1 || !m_Form1->isVisible()) return;
    // The picture window hands the keyboard back to the buttons whenever it becomes active, so that a
    // mouse click on a picture leaves the player's keys with the buttons; this activation keeps it.
    if (!m_Form1->isActiveWindow()) m_PictureByKeyboard = true;
    m_Form1->raise();
    m_Form1->activateWindow();
    m_Form1->Picture1()->setFocus();
}

}  // namespace tarvik::shell
