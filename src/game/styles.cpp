// The style pass: the quest's window size, colours, background picture and picture window, applied together
// when a page is shown.
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

}  // namespace tarvik
