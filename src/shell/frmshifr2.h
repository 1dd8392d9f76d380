// The compression dialog frmShifr2: a plain quest to an HE3-compressed .qs3 beside it.
#pragma once

#include "shell/frmshifr.h"

namespace tarvik::shell {

class frmShifr2 : public QuestToolDialog {
    Q_OBJECT
public:
    explicit frmShifr2(QWidget* parent = nullptr);
    // Writes the .qs3 beside the quest (quest.qst gives quest.qs3) and reports the outcome in a message box.
    void btnOK_Click() override;
};

}  // namespace tarvik::shell
