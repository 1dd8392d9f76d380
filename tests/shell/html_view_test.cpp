// The HTML view in the window: the swap with the story text, pages with pictures beside the quest, links,
// the help window, and pages or links meant to hang or crash the view.
#include <QDesktopServices>
#include <QImage>
#include <QMessageBox>
#include <QTextDocument>
#include <QToolButton>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "frmmain_fixture.h"
#include "shell/frmhelp.h"
#include "shell/html_view.h"

namespace tarvik::shell::testing {
namespace {

using HtmlWindow = WindowTest;

// Counts pixels of one colour in what the widget shows.
int CountPixels(QWidget* widget, QColor colour) {
    QImage shot = widget->grab().toImage();
    int n = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixelColor(x, y) == colour) ++n;
    return n;
}

void Choose(frmMain& w, int index) {
    w.engine().ChooseButton(index);
    WindowTest::Settle();
}

TEST_F(HtmlWindow, ViewAndStoryTextSwapAndARelativePictureShows) {
    QDir(m_Dir.path()).mkpath("pic");
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    ASSERT_TRUE(red.save(Path("pic/red.png")));
    w->OpenQuestFile(WriteQuest("q.qst",
                                "pln story\n"
                                "btn on, On\n"
                                "end\n"
                                ":on\n"
                                "html true\n"
                                "<html><body><p>Привет, мир!</p><img src=\"pic/red.png\">\n"
                                "</body></html>\n"
                                "btn off, Off\n"
                                "anykey k\n"
                                "end\n"
                                ":off\n"
                                "html false\n"
                                "pln back\n"
                                "end\n"));
    Settle();
    auto* Frame1 = Find<QWidget>("Frame1");
    auto* txtText = Find<QTextEdit>("txtText");
    auto* WB = Find<HtmlView>("WB");
    EXPECT_FALSE(Frame1->isVisible());
    EXPECT_TRUE(txtText->isVisible());
    EXPECT_TRUE(WB->toPlainText().isEmpty());

    // The page is up while the quest waits for a key, and a key pressed in the view reaches the quest.
    QString shownAtWait;
    After(100, [&] {
        shownAtWait = WB->toPlainText();
        WB->setFocus();
        QTest::keyClick(WB, Qt::Key_Z);
    });
    Choose(*w, 0);
    EXPECT_TRUE(shownAtWait.contains(Q("Привет, мир!"))) << shownAtWait.toStdString();
    EXPECT_EQ(Var("k"), "122");
    EXPECT_TRUE(Frame1->isVisible());
    EXPECT_FALSE(txtText->isVisible());
    EXPECT_EQ(WB->geometry().size(), Frame1->size());
    EXPECT_EQ(Frame1->geometry(), txtText->geometry());
    EXPECT_TRUE(WB->toPlainText().contains(Q("Привет, мир!"))) << WB->toPlainText().toStdString();
    EXPECT_GT(CountPixels(WB->viewport(), QColor(255, 0, 0)), 40 * 40 / 2);
    // Printing went to the page, not to the story text underneath.
    EXPECT_EQ(Screen(), QString());

    Choose(*w, 0);
    EXPECT_FALSE(Frame1->isVisible());
    EXPECT_TRUE(txtText->isVisible());
    EXPECT_TRUE(Screen().endsWith(Q("back \n"))) << Screen().toStdString();
}

TEST_F(HtmlWindow, NewGameBringsTheStoryTextBackAndStylesReachTheView) {
    w->OpenQuestFile(WriteQuest("q.qst",
                                "html true\n"
                                "Style_BackColor=16711680\n"
                                "Style_TextColor=255\n"
                                "pln Синий фон\n"
                                "end\n"));
    Settle();
    auto* WB = Find<HtmlView>("WB");
    ASSERT_TRUE(Find<QWidget>("Frame1")->isVisible());
    EXPECT_EQ(WB->palette().color(QPalette::Base), QColor(0, 0, 255));
    EXPECT_EQ(WB->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_TRUE(WB->toPlainText().contains(Q("Синий фон")));
    // The story font is the view's too.
    EXPECT_EQ(WB->font().family(), Find<QTextEdit>("txtText")->font().family());

    w->engine().NewGame();
    WriteQuest("q.qst", "pln plain\nend\n");
    w->engine().NewGame();
    Settle();
    EXPECT_FALSE(Find<QWidget>("Frame1")->isVisible());
    EXPECT_TRUE(Find<QTextEdit>("txtText")->isVisible());
}

TEST_F(HtmlWindow, OnlyRegularFilesInTheGivenFoldersLoad) {
    HtmlView view(nullptr);
    QDir(m_Dir.path()).mkpath("quest");
    const QString quest = Path("quest");
    WriteFile("quest/page.html", "<p>ok</p>");
    WriteFile("outside.html", "<p>secret</p>");
    ASSERT_EQ(::mkfifo(Path("quest/fifo.html").toLocal8Bit().constData(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", Path("quest/zero.png").toStdString());
    std::filesystem::create_symlink(Path("outside.html").toStdString(),
                                    Path("quest/leak.html").toStdString());
    std::filesystem::create_directory_symlink("/dev", Path("quest/dev").toStdString());
    view.SetAllowedFolders({quest});
    view.ShowPage(QString(), QUrl::fromLocalFile(quest + "/"));
    struct Case {
        QString url;
        bool allowed;
    } cases[] = {
        {"page.html", true},
        {QUrl::fromLocalFile(quest + "/page.html").toString(), true},
        {"../outside.html", false},
        {"leak.html", false},
        {"fifo.html", false},
        {"zero.png", false},
        {"dev/zero", false},
        {"/dev/zero", false},
        {"file:///dev/zero", false},
        {"file:///etc/passwd", false},
        {"http://127.0.0.1:9/x.png", false},
        {"missing.png", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(!view.AllowedFile(QUrl(c.url)).isEmpty(), c.allowed) << c.url.toStdString();
        EXPECT_EQ(view.loadResource(QTextDocument::ImageResource, QUrl(c.url)).isValid(), c.allowed)
            << c.url.toStdString();
    }
    // A page that names all of them shows at once, and a link to the pipe opens nothing.
    QString page;
    for (const auto& c : cases)
        page += "<img src=\"" + c.url + "\"><link rel=stylesheet href=\"" + c.url + "\"><a href=\"" + c.url +
                "\">x</a>";
    view.resize(300, 200);
    view.ShowPage(page, QUrl::fromLocalFile(quest + "/"));
    (void)view.grab();
    EXPECT_FALSE(view.OpenLocalPage(QUrl("fifo.html")));
    EXPECT_FALSE(view.OpenLocalPage(QUrl("leak.html")));
    EXPECT_TRUE(view.OpenLocalPage(QUrl("page.html")));
    EXPECT_EQ(view.toPlainText(), "ok");
}

TEST_F(HtmlWindow, PagesWrittenOnWindowsFindTheirPicturesOnlyInsideTheAllowedFolders) {
    HtmlView view(nullptr);
    QDir(m_Dir.path()).mkpath("quest/pics");
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    ASSERT_TRUE(red.save(Path("quest/pics/map.png")) && red.save(Path("secret.png")));
    view.SetAllowedFolders({Path("quest")});
    const QUrl base = QUrl::fromLocalFile(Path("quest") + "/");
    view.ShowPage(QString(), base);
    for (const char* src : {"Pics\\Map.PNG", "PICS/MAP.png", "..\\secret.png", "Pics\\..\\..\\Secret.png"}) {
        const bool inside = src[0] != '.' && !QString(src).contains("..");
        EXPECT_EQ(view.AllowedFile(QUrl(src)),
                  inside ? QFileInfo(Path("quest/pics/map.png")).canonicalFilePath() : "")
            << src;
    }
    view.resize(200, 100);
    view.ShowPage("<img src=\"Pics\\Map.PNG\">", base);
    EXPECT_GT(CountPixels(view.viewport(), QColor(255, 0, 0)), 20 * 20 / 2);
}

TEST_F(HtmlWindow, HostilePagesAreCutAndShownWithoutHanging) {
    const std::string folder = m_Dir.path().toStdString() + "/";
    auto* WB = Find<HtmlView>("WB");
    w->engine().SetHtmlView("true ");

    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<div><table><tr><td><blockquote><ul><li>";
    deep += "bottom";
    w->ShowHtmlPage(deep, folder + "q.html", folder);
    (void)WB->grab();
    EXPECT_TRUE(WB->lastPageCut());
    EXPECT_TRUE(WB->toPlainText().contains(Q("показана не целиком")));
    // Deep but short: flattened, and its text still there.
    deep.resize(40 * 3000);
    deep += "bottom";
    w->ShowHtmlPage(deep, folder + "q.html", folder);
    (void)WB->grab();
    EXPECT_TRUE(WB->lastPageCut());
    EXPECT_TRUE(WB->toPlainText().contains("bottom"));

    std::string huge = "<p>";
    huge.reserve(50u << 20);
    while (huge.size() < (50u << 20)) huge += "word <b>bold</b> ";
    const auto start = std::chrono::steady_clock::now();
    w->ShowHtmlPage(huge, folder + "q.html", folder);
    (void)WB->grab();
    EXPECT_TRUE(WB->lastPageCut());
    EXPECT_LE(WB->toPlainText().size(), kMaxViewChars);
    EXPECT_TRUE(WB->toPlainText().contains(Q("показана не целиком")));
    // Generous: a hang, not a slow machine, is what this catches.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));

    w->ShowHtmlPage("<p>small</p>\r\n", folder + "q.html", folder);
    EXPECT_FALSE(WB->lastPageCut());
}

TEST(HtmlLimit, NestingIsFlattenedPastTheLimitAndBalancedPagesPassUnchanged) {
    bool cut = true;
    const QString plain =
        Q("<html><body><p>a<p>b<table><tr><td>x</td></tr></table><!-- <div> --></body></html>");
    EXPECT_EQ(LimitHtmlForView(plain, &cut), plain);
    EXPECT_FALSE(cut);

    QString deep;
    for (int i = 0; i < kMaxViewNesting + 50; ++i) deep += "<div>";
    deep += "text";
    for (int i = 0; i < kMaxViewNesting + 50; ++i) deep += "</div>";
    QString limited = LimitHtmlForView(deep, &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(limited.count("<div>"), kMaxViewNesting);
    EXPECT_EQ(limited.count("</div>"), kMaxViewNesting);
    EXPECT_TRUE(limited.contains("text"));

    QString tables;
    for (int i = 0; i < 20; ++i) tables += "<table><tr><td>";
    EXPECT_EQ(LimitHtmlForView(tables + "x", &cut).count("<table>"), kMaxTableNesting);
    // Tables side by side are not nested.
    QString siblings;
    for (int i = 0; i < 20; ++i) siblings += "<table><tr><td>x</td></tr></table>";
    EXPECT_EQ(LimitHtmlForView(siblings, &cut), siblings);
    EXPECT_FALSE(cut);

    // Cut at a tag boundary, with the note.
    QString big = "<p>" + QString(kMaxViewChars, 'x') + "<b>bold</b>";
    limited = LimitHtmlForView(big, &cut);
    EXPECT_TRUE(cut);
    EXPECT_FALSE(limited.contains("bold"));
    EXPECT_LT(limited.size(), kMaxViewChars + 200);

    EXPECT_EQ(DecodePage(QByteArray("\xcf\xf0\xe8")), Q("При"));
    EXPECT_EQ(DecodePage(QByteArray("\xd0\x9f")), Q("П"));
}

TEST_F(HtmlWindow, HelpOpensInItsWindowWithContentsBackAndForward) {
    frmMain other;
    other.SetSettingsFile({});
    other.SetSplashEnabled(false);
    other.SetHelpFolder(TARVIK_SOURCE_DIR "/help");
    other.Startup(QString());
    QAction* help = other.findChild<QAction*>("help");
    ASSERT_TRUE(help->isVisible());
    EXPECT_EQ(help->shortcut(), QKeySequence(QKeySequence::HelpContents));
    help->trigger();
    Settle();
    auto* window = other.findChild<frmHelp*>("frmHelp");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    HtmlView* browser = window->browser();
    EXPECT_TRUE(browser->toPlainText().contains(Q("Содержание")));
    auto* back = window->findChild<QToolButton*>("HelpBack");
    auto* forward = window->findChild<QToolButton*>("HelpForward");
    EXPECT_FALSE(back->isEnabled());

    emit browser->anchorClicked(QUrl("language.html"));
    EXPECT_TRUE(browser->toPlainText().contains(Q("Язык квестов Zot")));
    EXPECT_TRUE(back->isEnabled());
    back->click();
    EXPECT_TRUE(browser->toPlainText().contains(Q("Содержание")));
    EXPECT_TRUE(forward->isEnabled());
    forward->click();
    EXPECT_TRUE(browser->toPlainText().contains(Q("Язык квестов Zot")));
    window->findChild<QToolButton*>("HelpContents")->click();
    EXPECT_TRUE(browser->toPlainText().contains(Q("Содержание")));
    // A page outside the help's folder does not open.
    emit browser->anchorClicked(QUrl("../README.md"));
    EXPECT_TRUE(browser->toPlainText().contains(Q("Содержание")));
    other.close();
}

TEST_F(HtmlWindow, WithoutTheHelpTheItemStaysHiddenWhateverTheWorkingFolderHolds) {
    WriteFile("index.html", "<p>not the help</p>");
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_Dir.path());
    frmMain other;
    other.SetSettingsFile({});
    other.SetSplashEnabled(false);
    other.SetHelpFolder({});
    other.Startup(QString());
    QDir::setCurrent(before);
    EXPECT_FALSE(other.findChild<QAction*>("help")->isVisible());
    other.close();
}

// Receives the web links the view hands to the desktop.
class LinkCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

TEST_F(HtmlWindow, WebLinksOpenInTheDesktopBrowserOnlyWhenThePlayerAgrees) {
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    HtmlView view(nullptr);
    view.ShowPage("<a href=\"https://example.org/\">web</a>", QUrl::fromLocalFile(m_Dir.path() + "/"));
    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        WhenModal<QMessageBox>([answer](QMessageBox* box) {
            EXPECT_EQ(box->objectName(), "LinkQuestion");
            box->done(answer);
        });
        emit view.anchorClicked(QUrl("https://example.org/"));
    }
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl("https://example.org/"));
    // Nothing of the web page was loaded into the view itself.
    EXPECT_EQ(view.toPlainText(), "web");
}

}  // namespace
}  // namespace tarvik::shell::testing

#include "html_view_test.moc"
