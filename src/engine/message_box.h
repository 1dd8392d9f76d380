// The button sets of the message box the MsgBox statement shows, for every host that draws one.
#pragma once

#include <span>

#include "engine/host.h"

namespace tarvik {

struct MessageButtons {
    std::span<const MessageAnswer> answers;  // the buttons, in the order the window system shows them
    // The answer of a box closed without a choice: Cancel where the set has one, else its first button.
    MessageAnswer closed = kAnswerOk;
};

// The button set of a style (an icon code plus a button-set code, Host::MessageBox). Like the window system,
// the set is read from the style's low four bits, and a code no set has shows OK alone.
MessageButtons MessageBoxButtons(int style);

}  // namespace tarvik
