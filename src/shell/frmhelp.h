// The help window: the player's own help pages in a browser with contents, back and forward. Not modal, so
// the player can read while playing.
#pragma once

#include <QToolButton>
#include <QWidget>

#include "shell/html_view.h"

namespace tarvik::shell {

class frmHelp : public QWidget {
    Q_OBJECT
public:
    // `folder` holds the help's pages, kHelpIndex first.
    frmHelp(QWidget* parent, const QString& folder);

    // Shows the window on the contents page.
    void ShowContents();
    HtmlView* browser() const { return m_Browser; }

private:
    QString m_Folder;
    HtmlView* m_Browser = nullptr;
    QToolButton* m_Back = nullptr;
    QToolButton* m_Forward = nullptr;
    QToolButton* m_Contents = nullptr;
};

}  // namespace tarvik::shell
