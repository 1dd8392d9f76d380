// The HTML view WB and the help window's browser: a text browser that shows local pages only. Nothing is
// fetched from the network and no script runs; pictures, style sheets and linked pages load only from the
// folders the view is given, only when they are regular files of a sane size. A web link opens in the
// desktop's browser once the player agrees.
#pragma once

#include <QStringList>
#include <QTextBrowser>
#include <QUrl>

namespace tarvik::shell {

// What the view hands to Qt's rich text at most: a page longer than this is cut there, and a note says so.
// Qt takes about a second to lay out a quarter of a megabyte of marked-up text; quest pages are a few
// kilobytes.
inline constexpr qsizetype kMaxViewChars = 256 * 1024;
// Elements nested deeper than this are flattened (their tags dropped, their text kept): Qt lays out nested
// blocks recursively.
inline constexpr int kMaxViewNesting = 100;
// Tables inside tables deeper than this are flattened too: each level about doubles Qt's layout time.
inline constexpr int kMaxTableNesting = 4;
// Largest picture, style sheet or linked page read from disk.
inline constexpr qint64 kMaxResourceBytes = 32 * 1024 * 1024;

// A page as the view may take it: cut at kMaxViewChars (at a tag boundary where one is near) and with its
// nesting held to kMaxViewNesting. `cut` tells whether anything was cut or flattened.
QString LimitHtmlForView(const QString& html, bool* cut = nullptr);

// File bytes of a page as text: UTF-8 when they are valid UTF-8, otherwise code page 1251 as quests write.
QString DecodePage(const QByteArray& bytes);

class HtmlView : public QTextBrowser {
    Q_OBJECT
public:
    explicit HtmlView(QWidget* parent);

    // The folders (UTF-8 paths) whose files the view may load; everything else is refused.
    void SetAllowedFolders(const QStringList& folders);
    // Shows `html` with relative links and pictures resolved against `base` (a folder's URL, ending in "/").
    void ShowPage(const QString& html, const QUrl& base);
    // Opens a local page (in history, so back and forward work). False when it is not one the view may load.
    bool OpenLocalPage(const QUrl& url);
    // Whether the last page shown had to be cut or flattened.
    bool lastPageCut() const { return m_LastCut; }

    // Whether `url` names a file the view may read: local, under an allowed folder, a regular file no
    // larger than kMaxResourceBytes. Returns its canonical path, or empty.
    QString AllowedFile(const QUrl& url) const;

    QVariant loadResource(int type, const QUrl& name) override;

signals:
    // A web link the player agreed to open (for tests; the desktop's browser has already been asked).
    void externalLinkOpened(const QUrl& url);

private:
    void OnAnchor(const QUrl& link);
    QStringList m_Folders;  // canonical, each ending in "/"
    bool m_LastCut = false;
};

}  // namespace tarvik::shell
