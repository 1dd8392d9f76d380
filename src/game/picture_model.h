// What the main window's picture slots and the picture window show, as the quest last set them.
#pragma once

#include <string>
#include <vector>

namespace tarvik {

// A picture slot of the main window or an overlay of the picture window, as the quest last set it.
struct PictureState {
    std::string file;  // the shown file as the quest named it (after the ImageType extension); empty: none
    int top = 0;       // slots: pixels of the main window; overlays: twips of the picture window
    int left = 0;
    bool visible = false;
    bool used = false;  // set by the quest at least once
};

// What the main window and the picture window show.
struct PictureModel {
    static constexpr int kSlots = 128;
    static constexpr int kFirstOverlay = 2;
    static constexpr int kLastOverlay = 101;
    std::vector<PictureState> images = std::vector<PictureState>(kSlots);  // slot i at [i - 1]
    std::string background;  // the main window's picture, as named by style_formpicture; empty: none
    bool windowVisible = false;
    std::string image;    // the picture window's main picture as named (after the extension); empty: none
    std::string caption;  // the picture window's caption as last set (it may be set to empty)
    bool captionSet = false;
    std::vector<PictureState> overlays =
        std::vector<PictureState>(kLastOverlay - kFirstOverlay + 1);  // overlay i at [i - 2]
};

}  // namespace tarvik
