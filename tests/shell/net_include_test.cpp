// The window's side of network includes: its questions are message boxes, the download keeps the window
// alive, and closing the window abandons it.
#include <QMessageBox>
#include <QPushButton>

#include "../http_server.h"
#include "frmmain_fixture.h"

namespace tarvik::shell::testing {
namespace {

using tarvik::testing::HttpRoute;
using tarvik::testing::HttpServer;

class NetIncludeWindow : public WindowTest {
protected:
    void UseServer(long stallSeconds) {
        net::CurlSettings s;
        s.stallSeconds = stallSeconds;
        s.online = [] { return true; };
        w->httpClient().SetSettings(s);
    }
    // Answers the next message boxes Yes while any are left in `titles` to record.
    void AnswerYes(int count) {
        if (count == 0) return;
        WhenModal<QMessageBox>([this, count](QMessageBox* box) {
            titles << box->windowTitle();
            box->button(QMessageBox::Yes)->click();
            AnswerYes(count - 1);
        });
    }
    QStringList titles;
};

TEST_F(NetIncludeWindow, AsksInMessageBoxesAndGivesTheCaptionBack) {
    HttpServer server;
    server.Route("/a", HttpRoute::Body("pln from the web\r\n"));
    UseServer(10);
    AnswerYes(2);
    w->OpenQuestFile(WriteQuest("net.qst", "pln before\ninclude " + server.Url("/a") + "\npln after\nend\n"));
    Settle();
    EXPECT_EQ(titles, (QStringList{Q("Может все-таки это вирус?"), Q("Ооххх..")}));
    EXPECT_TRUE(Screen().contains(Q("before \nfrom the web \nafter"))) << Screen().toStdString();
    // The window's own title, naming the quest, is back.
    EXPECT_EQ(w->windowTitle(), Q("net.qst — Тарвик"));
}

TEST_F(NetIncludeWindow, ClosingTheWindowAbandonsAStalledDownload) {
    HttpServer server;
    server.Route("/slow", HttpRoute::Body("pln never\r\n").Stall());
    UseServer(600);
    AnswerYes(2);
    After(1500, [this] { w->close(); });
    w->OpenQuestFile(
        WriteQuest("slow.qst", "pln before\ninclude " + server.Url("/slow") + "\npln after\nend\n"));
    EXPECT_EQ(server.Count("GET"), 1);
    EXPECT_FALSE(Screen().contains(Q("never")));
}

}  // namespace
}  // namespace tarvik::shell::testing
