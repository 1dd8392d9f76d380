// "Поздний диалект": the player's choice over the quest's markers, and the discreet mark in the title while a
// quest plays in the dialect.
#include <QActionGroup>
#include <QMenu>

#include "shell/frmmain.h"

namespace tarvik::shell {

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// After whatever the title says, so the quest's name, a reload's news and a download's progress stay first.
QString DialectMark() {
    return U(" · диалект");
}

}  // namespace

void frmMain::BuildDialectMenus() {
    mDialect = AddMenu(Parametr, "mDialect", U("Поздний &диалект"));
    mDialectAuto = AddItem(mDialect, "mDialectAuto", U("По &признакам квеста"), true);
    mDialectOn = AddItem(mDialect, "mDialectOn", U("&Всегда"), true);
    mDialectOff = AddItem(mDialect, "mDialectOff", U("&Никогда"), true);
    auto* group = new QActionGroup(mDialect);
    for (QAction* a : {mDialectAuto, mDialectOn, mDialectOff}) group->addAction(a);
    mDialectAuto->setChecked(true);
    connect(group, &QActionGroup::triggered, this, [this](QAction* a) {
        const DialectSwitch chosen = a == mDialectOn    ? DialectSwitch::On
                                     : a == mDialectOff ? DialectSwitch::Off
                                                        : DialectSwitch::Auto;
        if (chosen == m_Engine->dialectSwitch()) return;
        SetDialectSwitch(chosen);
        // The dialect is decided when a quest is read: the playing one is read again and its game replayed.
        if (!m_PlayingPath.empty()) Post([this] { ReloadQuest(); });
    });
}

DialectSwitch frmMain::dialectSwitch() const {
    return m_Engine->dialectSwitch();
}

void frmMain::SetDialectSwitch(DialectSwitch chosen) {
    m_Engine->SetDialectSwitch(chosen);
    QAction* item = chosen == DialectSwitch::On    ? mDialectOn
                    : chosen == DialectSwitch::Off ? mDialectOff
                                                   : mDialectAuto;
    if (item) item->setChecked(true);
}

void frmMain::MarkDialect() {
    // A download's progress stands in the title for now; the window's own title comes back after it.
    if (m_OwnCaption || !m_Engine) return;
    const QString mark = DialectMark();
    QString title = windowTitle();
    const bool marked = title.endsWith(mark);
    const bool on = !m_PlayingPath.empty() && m_Engine->dialect();
    if (on == marked) return;
    setWindowTitle(on ? title + mark : title.chopped(mark.size()));
}

}  // namespace tarvik::shell
