#include "shell/html_view.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMessageBox>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextDocument>

#include <algorithm>
#include <vector>

#include "files/paths.h"
#include "text/text.h"

namespace tarvik::shell {

namespace {

// Elements a page usually leaves unclosed, or that hold nothing: they do not count as nesting.
bool Flat(const QString& name) {
    static const QStringList names = {"p",    "li",  "td",     "th",    "tr",    "dt",      "dd",  "option",
                                      "br",   "img", "hr",     "meta",  "link",  "input",   "col", "area",
                                      "base", "wbr", "source", "param", "embed", "!doctype"};
    return names.contains(name);
}

bool TagChar(QChar c) {
    return c.isLetterOrNumber() || c == '-' || c == '_' || c == ':' || c == '!';
}

}  // namespace

QString LimitHtmlForView(const QString& input, bool* cut) {
    bool wasCut = false;
    QString html = input;
    if (html.size() > kMaxViewChars) {
        qsizetype end = kMaxViewChars;
        // Not in the middle of a tag.
        qsizetype open = html.lastIndexOf('<', end);
        qsizetype close = html.lastIndexOf('>', end);
        if (open > close && end - open < 4096) end = open;
        html.truncate(end);
        wasCut = true;
    }
    // Nesting: keep a stack of open elements; an element opened beyond the limit loses its tags (and so
    // does its closing tag), its text stays.
    QString out;
    out.reserve(html.size());
    std::vector<QString> open;
    int tables = 0;  // tables among the open elements
    QHash<QString, int> dropped;
    qsizetype i = 0;
    const qsizetype n = html.size();
    while (i < n) {
        qsizetype lt = html.indexOf('<', i);
        if (lt < 0) {
            out.append(QStringView(html).mid(i));
            break;
        }
        out.append(QStringView(html).mid(i, lt - i));
        qsizetype j = lt + 1;
        bool closing = j < n && html[j] == '/';
        if (closing) ++j;
        qsizetype nameStart = j;
        while (j < n && TagChar(html[j])) ++j;
        if (j == nameStart || html.mid(lt, 4) == QLatin1String("<!--")) {
            // Not a tag we count (text "<", a comment): copied through up to what ends it.
            qsizetype end =
                html.mid(lt, 4) == QLatin1String("<!--") ? html.indexOf(QLatin1String("-->"), lt) : lt;
            if (end < 0) end = n - 3;
            qsizetype stop = end == lt ? lt + 1 : end + 3;
            out.append(QStringView(html).mid(lt, stop - lt));
            i = stop;
            continue;
        }
        const QString name = html.mid(nameStart, j - nameStart).toLower();
        // The end of the tag, past quoted attribute values.
        QChar quote;
        while (j < n) {
            QChar c = html[j];
            if (!quote.isNull()) {
                if (c == quote) quote = QChar();
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
            ++j;
        }
        const qsizetype tagEnd = j < n ? j + 1 : n;
        const bool selfClosed = tagEnd >= 2 && html[tagEnd - 2] == '/';
        bool keep = true;
        // The rows and cells of a flattened table go with it, or Qt would give them to the table around.
        static const QStringList tableParts = {"tr",    "td",      "th",  "thead",   "tbody",
                                               "tfoot", "caption", "col", "colgroup"};
        if (dropped.value(QStringLiteral("table")) > 0 && tableParts.contains(name)) {
            keep = false;
        } else if (!Flat(name) && !selfClosed) {
            if (!closing) {
                if (static_cast<int>(open.size()) >= kMaxViewNesting ||
                    (name == QLatin1String("table") && tables >= kMaxTableNesting)) {
                    keep = false;
                    ++dropped[name];
                    wasCut = true;
                } else {
                    open.push_back(name);
                    if (name == QLatin1String("table")) ++tables;
                }
            } else if (dropped.value(name) > 0) {
                keep = false;
                --dropped[name];
            } else {
                for (auto it = open.rbegin(); it != open.rend(); ++it) {
                    if (*it == name) {
                        auto from = std::next(it).base();
                        tables -= static_cast<int>(std::count(from, open.end(), QStringLiteral("table")));
                        open.erase(from, open.end());
                        break;
                    }
                }
            }
        }
        if (keep) out.append(QStringView(html).mid(lt, tagEnd - lt));
        i = tagEnd;
    }
    if (wasCut)
        out += QString::fromUtf8(
            "<hr><p><i>Страница слишком велика или слишком глубоко вложена; показана не "
            "целиком.</i></p>");
    if (cut) *cut = wasCut;
    return out;
}

QString DecodePage(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(bytes);
    if (!utf8.hasError()) return s;
    return QString::fromStdString(text::Cp1251ToUtf8(std::string_view(bytes.constData(), bytes.size())));
}

HtmlView::HtmlView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HtmlView::OnAnchor);
}

void HtmlView::SetAllowedFolders(const QStringList& folders) {
    m_Folders.clear();
    for (const QString& f : folders) {
        if (f.isEmpty()) continue;
        QString canonical = QFileInfo(f).canonicalFilePath();
        if (canonical.isEmpty()) continue;
        if (!canonical.endsWith('/')) canonical += '/';
        m_Folders << canonical;
    }
}

QString HtmlView::AllowedFile(const QUrl& url) const {
    QUrl resolved = url.isRelative() ? document()->baseUrl().resolved(url) : url;
    if (!resolved.isLocalFile()) return {};
    // Pages written on Windows name their files with "\" and in any letter case; they are found as the
    // quest's other files are, and then held to the allowed folders like any other name.
    QString local = resolved.toLocalFile();
    if (!QFileInfo::exists(local)) local = QString::fromStdString(ResolvePath(local.toStdString()));
    // Links resolve through every symbolic link first, so a link cannot lead out of the allowed folders.
    const QFileInfo info(local);
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty()) return {};
    bool inside = false;
    for (const QString& folder : m_Folders)
        if (canonical.startsWith(folder)) inside = true;
    if (!inside) return {};
    // Devices, pipes and sockets would never end or block the window; only regular files are read.
    const QFileInfo target(canonical);
    if (!target.isFile() || target.size() > kMaxResourceBytes) return {};
    return canonical;
}

QVariant HtmlView::loadResource(int type, const QUrl& name) {
    const QString file = AllowedFile(name);
    if (file.isEmpty()) return {};
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = f.read(kMaxResourceBytes);
    if (type == QTextDocument::HtmlResource) return LimitHtmlForView(DecodePage(bytes), &m_LastCut);
    if (type == QTextDocument::StyleSheetResource) return DecodePage(bytes);
    return bytes;
}

void HtmlView::ShowPage(const QString& html, const QUrl& base) {
    clearHistory();
    document()->setBaseUrl(base);
    setHtml(LimitHtmlForView(html, &m_LastCut));
    document()->setBaseUrl(base);
    verticalScrollBar()->setValue(0);
}

bool HtmlView::OpenLocalPage(const QUrl& url) {
    QUrl resolved = url.isRelative() ? document()->baseUrl().resolved(url) : url;
    if (AllowedFile(resolved).isEmpty()) return false;
    const QString suffix = QFileInfo(resolved.toLocalFile()).suffix().toLower();
    if (suffix != "html" && suffix != "htm") return false;
    setSource(resolved, QTextDocument::HtmlResource);
    return true;
}

void HtmlView::OnAnchor(const QUrl& link) {
    // A jump inside the page.
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
        scrollToAnchor(link.fragment());
        return;
    }
    const QString scheme = link.scheme().toLower();
    if (scheme == "http" || scheme == "https") {
        QMessageBox ask(QMessageBox::Question, QString::fromUtf8("Ссылка"),
                        QString::fromUtf8("Открыть эту страницу в браузере?\n\n") + link.toDisplayString(),
                        QMessageBox::Yes | QMessageBox::No, this);
        ask.setObjectName("LinkQuestion");
        ask.setDefaultButton(QMessageBox::No);
        if (ask.exec() != QMessageBox::Yes) return;
        QDesktopServices::openUrl(link);
        emit externalLinkOpened(link);
        return;
    }
    OpenLocalPage(link);
}

}  // namespace tarvik::shell
