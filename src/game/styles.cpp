// The style pass: the quest's window size, colours, background picture and picture window, applied together
// when a page is shown; and the colour modes the player switches between.
#include "engine/engine.h"

namespace tarvik {

namespace {

// A style variable as a whole number; false when its value is none.
bool Whole(Engine& e, std::string name, int32_t& out) {
    return e.Calc(name).ToWhole32(out);
}

}  // namespace

void Engine::do_style() {
    m_StyleDirty = false;
    // Each step stands alone: one the window refuses, or one whose value is no number, changes nothing.
    auto step = [](auto&& body) {
        try {
            body();
        } catch (const std::exception&) {
        }
    };
    if (!m_Options.SvBlock) {
        step([&] {
            int32_t h = 0, w = 0;
            if (!Whole(*this, "Style_FormMinimumHeight", h)) h = 0;
            if (!Whole(*this, "Style_FormWidth", w)) w = 0;
            if (h != 0 || w != 0) m_Host.SetFormSize(h, w);
        });
        step([&] {
            int32_t fore = 0, back = 0;
            bool hasFore = Whole(*this, "Style_TextColor", fore);
            bool hasBack = Whole(*this, "Style_BackColor", back);
            m_Host.SetControlColours(hasFore, fore, hasBack, back);
        });
    }
    step([&] {
        std::string key = "style_formpicture";
        std::string name = Calc(key).ToText();
        // An unset variable names a file "0", which a quest folder normally lacks: the picture stays.
        std::string path = FindPicture(name, false);
        if (!path.empty() && m_Host.SetPicture(PictureSpot::Background, 0, path))
            m_Pictures.background = name;
    });
    step([&] { UpdatePictureWindow(); });
    Changed(kScreenStyles);
}

void Engine::SwitchColourMode(ColourMode mode) {
    m_ColourMode = mode;
    try {
        AssignModeColours();
    } catch (const QuestError&) {
    }
    const int32_t colour = ModeTextColour(mode);
    bool changed = false;
    for (TextRun& run : m_TextRuns) {
        if (!run.modeColour || run.color == colour) continue;
        run.color = colour;
        changed = true;
    }
    if (changed) Changed(kScreenText);
}

// The variable half of the colour modes.
void Engine::AssignModeColours() {
    std::string text, back;
    if (m_ColourMode == ColourMode::Dos) {
        text = "Style_TextColor=&HC0C0C0";
        back = "Style_BackColor=&H0&";
    } else {
        text = "Style_TextColor=&H80000008";
        back = "Style_BackColor=&H80000018";
    }
    try {
        Do_Perem(text);
    } catch (const QuestError&) {
    }
    try {
        Do_Perem(back);
    } catch (const QuestError&) {
    }
}

}  // namespace tarvik
