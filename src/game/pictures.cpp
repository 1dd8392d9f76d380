// Pictures: the main window's slots, the picture window with its overlays, and the clicks on them.
#include <filesystem>
#include <system_error>

#include "engine/engine.h"
#include "files/paths.h"

namespace tarvik {

namespace {

// A variable's value as text, read through the evaluator with the name as the expression.
std::string ValueText(Engine& e, std::string name) {
    return e.Calc(name).ToText();
}

// A position variable as a whole number; a value that is no number ends the routine.
int Position(Engine& e, std::string name) {
    int32_t v = 0;
    if (!e.Calc(name).ToWhole32(v)) throw QuestError("picture position");
    return v;
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

}  // namespace

std::string Engine::FindPicture(const std::string& name, bool currentFolderFirst) const {
    if (name.empty()) return {};
    // Slots name their files relative to the folder the player runs in; here that is wherever the player
    // was started from, so the quest's own folder is tried next.
    if (currentFolderFirst) {
        std::string here = ResolvePath(text::Cp1251ToUtf8(name));
        if (IsRegularFile(here)) return here;
    }
    std::string inQuest = NativePath(m_QuestFolder + name);
    if (IsRegularFile(inQuest)) return inQuest;
    // An unset variable names the file "0": no picture was asked for.
    if (name != "0") Diagnose("picture", "no picture file \"" + name + "\"");
    return {};
}

std::string Engine::WithImageType(const std::string& name) {
    if (name.find('.') != std::string::npos) return name;
    std::string key = "ImageType";
    double type = -1;
    if (!Calc(key).ToNumber(type)) return name;
    static const char* const kExtensions[] = {".bmp", ".ico", ".rle", ".wmf", ".emf", ".gif", ".jpg"};
    for (int i = 0; i < 7; ++i)
        if (type == i) return name + kExtensions[i];
    return name;
}

void Engine::ShowFormPictures() {
    for (int i = 1; i <= PictureModel::kSlots; ++i) {
        PictureState& slot = m_Pictures.images[i - 1];
        const std::string n = std::to_string(i);
        std::string v = ValueText(*this, "formpicture" + n);
        if (v == "0") {
            // The list ends here; the slots after it keep what they show.
            m_Host.SetPicture(PictureSpot::Slot, i, std::string());
            slot.file.clear();
            slot.visible = false;
            m_Host.PlacePicture(PictureSpot::Slot, i, slot.top, slot.left, false);
            return;
        }
        v = WithImageType(v);
        slot.used = true;
        // A file that cannot be loaded leaves the slot's old picture; the slot is still moved and shown.
        std::string path = FindPicture(v, true);
        if (!path.empty() && m_Host.SetPicture(PictureSpot::Slot, i, path)) slot.file = v;
        slot.top = Position(*this, "formpicture" + n + "top");
        slot.left = Position(*this, "formpicture" + n + "left");
        slot.visible = true;
        m_Host.PlacePicture(PictureSpot::Slot, i, slot.top, slot.left, true);
    }
}

void Engine::UpdatePictureWindow() {
    PictureModel& m = m_Pictures;
    auto close = [&] {
        m_Host.SetPicture(PictureSpot::Main, 1, std::string());
        m.image.clear();
        m.windowVisible = false;
        m_Host.ShowPictureWindow(false, m.caption, m.captionSet);
    };

    std::string img = ValueText(*this, "Image");
    // No file name holds a "|": what follows the first one is the window's caption.
    const size_t bar = img.find('|');
    const std::string barCaption = bar == std::string::npos ? std::string() : img.substr(bar + 1);
    if (bar != std::string::npos) img.erase(bar);
    if (img.empty() || img == "0") return close();
    img = WithImageType(img);
    std::string path = FindPicture(img, false);
    if (path.empty()) return close();
    if (m_Host.SetPicture(PictureSpot::Main, 1, path)) {
        m.image = img;
    } else if (m.image.empty()) {
        // Not a picture, and none shown before: an empty window would be all the player saw.
        return close();
    }

    for (int i = PictureModel::kFirstOverlay; i <= PictureModel::kLastOverlay; ++i) {
        PictureState& overlay = m.overlays[i - PictureModel::kFirstOverlay];
        const std::string n = std::to_string(i);
        std::string v = ValueText(*this, "Image" + n);
        if (v.empty() || v == "0") {
            // The list ends here; the overlays after it keep what they show.
            m_Host.SetPicture(PictureSpot::Overlay, i, std::string());
            overlay.file.clear();
            overlay.visible = false;
            m_Host.PlacePicture(PictureSpot::Overlay, i, overlay.top, overlay.left, false);
            break;
        }
        v = text::Trim(WithImageType(v));
        overlay.used = true;
        std::string file = FindPicture(v, false);
        if (!file.empty() && m_Host.SetPicture(PictureSpot::Overlay, i, file)) overlay.file = v;
        overlay.visible = true;
        overlay.top = Position(*this, "image" + n + "top");
        overlay.left = Position(*this, "image" + n + "left");
        m_Host.PlacePicture(PictureSpot::Overlay, i, overlay.top, overlay.left, true);
    }

    std::string caption = bar == std::string::npos ? ValueText(*this, "image_caption") : barCaption;
    if (bar != std::string::npos || caption != "0") {
        m.caption = caption;
        m.captionSet = true;
    }
    m.windowVisible = true;
    m_Host.ShowPictureWindow(true, m.caption, m.captionSet);
}

void Engine::RunPictureClick(const std::string& flag, const std::string& value,
                             const std::string& statement) {
    if (m_Resetting || m_Stopping) return;
    const uint32_t game = m_Game;
    try {
        std::string set = flag + "=" + value;
        Do_Perem(set);
        // A quest without the click procedure does nothing on a click: no error of the quest.
        std::string s = statement;
        std::string key(1, ':');
        key.append(text::Trim(std::string_view(statement).substr(5)));
        if (LabelLine(key) >= 0) Obr(s, true, 1);
        // A new game started by the procedure has variables of its own.
        if (m_Game != game) return;
        std::string clear = flag + "=0";
        Do_Perem(clear);
    } catch (const QuestError&) {
    }
}

void Engine::ClickSlot(int slot) {
    if (slot < 1 || slot > PictureModel::kSlots) return;
    NoteStep({ReplayStep::Kind::Slot, slot, 0, 0, {}, {}, true});
    RunPictureClick("form_click" + std::to_string(slot), "1", "proc form_image_click");
}

void Engine::ClickImage(int button, double xTwips, double yTwips) {
    if (m_Resetting || m_Stopping) return;
    NoteStep({ReplayStep::Kind::Image, button, xTwips, yTwips, {}, {}, true});
    try {
        // The classic picture box reported twips at a slightly larger scale than 15 to the pixel; quests
        // were written against that.
        std::string x = "xmouse=" + text::NumberText(xTwips / 15.11);
        Do_Perem(x);
        std::string y = "ymouse=" + text::NumberText(yTwips / 15.11);
        Do_Perem(y);
    } catch (const QuestError&) {
        return;
    }
    RunPictureClick("BMouse1", std::to_string(button), "proc image_click");
}

void Engine::ClickOverlay(int overlay) {
    if (overlay < PictureModel::kFirstOverlay || overlay > PictureModel::kLastOverlay) return;
    NoteStep({ReplayStep::Kind::Overlay, overlay, 0, 0, {}, {}, true});
    RunPictureClick("BMouse" + std::to_string(overlay), "1", "proc image_click");
}

}  // namespace tarvik
