#include "engine/message_box.h"

namespace tarvik {

MessageButtons MessageBoxButtons(int style) {
    static constexpr MessageAnswer kOk[] = {kAnswerOk};
    static constexpr MessageAnswer kOkCancel[] = {kAnswerOk, kAnswerCancel};
    static constexpr MessageAnswer kAbortRetryIgnore[] = {kAnswerAbort, kAnswerRetry, kAnswerIgnore};
    static constexpr MessageAnswer kYesNoCancel[] = {kAnswerYes, kAnswerNo, kAnswerCancel};
    static constexpr MessageAnswer kYesNo[] = {kAnswerYes, kAnswerNo};
    static constexpr MessageAnswer kRetryCancel[] = {kAnswerRetry, kAnswerCancel};
    switch (style & 0x0F) {
        case 1:
            return {kOkCancel, kAnswerCancel};
        case 2:
            return {kAbortRetryIgnore, kAnswerAbort};
        case 3:
            return {kYesNoCancel, kAnswerCancel};
        case 4:
            return {kYesNo, kAnswerYes};
        case 5:
            return {kRetryCancel, kAnswerCancel};
        default:
            return {kOk, kAnswerOk};
    }
}

}  // namespace tarvik
