// Network includes against a real HTTP server on 127.0.0.1, fetched by the real libcurl client.
#include <gtest/gtest.h>

#include <chrono>

#include "http_server.h"
#include "net/curl_client.h"
#include "test_host.h"

namespace tarvik::testing {
namespace {

const char kAsk[] = "Может все-таки это вирус?";
const char kConfirm[] = "Ооххх..";
const char kTooBig[] = "Размер файла больше 100кб! Это же вам не менеджер закачек!";

// A quest fixture whose engine fetches through a libcurl client with short timeouts.
struct NetQuest {
    explicit NetQuest(long stallSeconds = 2)
        : client(net::CurlSettings{5, 1, stallSeconds, 10, [this] { return online; }}) {
        q.engine->SetHttpClient(&client);
    }
    // Runs "pln before", the include, "pln after"; `yes` answers that many questions Yes (the rest No).
    Engine& Include(const std::string& url, int yes = 2) {
        for (int i = 0; i < yes; ++i) q.host.answers.push_back(kAnswerYes);
        q.host.answers.push_back(kAnswerNo);
        return q.Run("pln before\ninclude " + url + "\npln after");
    }
    std::vector<std::string> Titles() const {
        std::vector<std::string> r;
        for (const auto& b : q.host.boxes) r.push_back(U(b.title));
        return r;
    }
    // The program lines between the quest's own first and last line, as loaded.
    std::string Included() const {
        std::string all;
        const auto& lines = q.engine->programLines();
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i] == "pln before" || lines[i] == "pln after" || lines[i].empty()) continue;
            all += std::string(lines[i]) + "\n";
        }
        return all;
    }

    QuestFixture q;
    HttpServer server;
    bool online = true;
    net::CurlClient client;
};

// `lines` lines of `width` bytes each (CR LF included): ";" comments, the last one "pln tail".
std::string CommentLines(size_t lines, size_t width = 100) {
    const std::string tail = "pln tail\r\n";
    std::string s;
    for (size_t i = 0; i + 2 < lines; ++i) s += ";" + std::string(width - 3, 'x') + "\r\n";
    return s + ";" + std::string(2 * width - 3 - tail.size(), 'x') + "\r\n" + tail;
}

TEST(NetInclude, AsksFirstThenProbesThenConfirmsWithTheSize) {
    NetQuest n;
    n.server.Route("/a.inc", HttpRoute::Body("pln from the web\r\n"));
    n.Include(n.server.Url("/a.inc"));
    ASSERT_EQ(n.q.host.boxes.size(), 2u);
    EXPECT_EQ(U(n.q.host.boxes[0].text),
              "Попытка загрузки из сети файла \"" + n.server.Url("/a.inc") + "\"! Точно грузить?");
    EXPECT_EQ(n.Titles(), (std::vector<std::string>{kAsk, kConfirm}));
    EXPECT_EQ(n.q.host.boxes[0].style, 4);
    EXPECT_EQ(U(n.q.host.boxes[1].text), "Размер файла: 18 байт! Подтверждаете загрузку?");
    EXPECT_EQ(n.q.host.boxes[1].style, 4);
    EXPECT_EQ(n.q.Text(), "before \r\nfrom the web \r\nafter \r\n");
    auto requests = n.server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "HEAD");
    EXPECT_EQ(requests[1].method, "GET");
    // A fresh copy, without anything stored on this machine.
    EXPECT_NE(requests[1].headers.find("Cache-Control: no-cache"), std::string::npos);
    EXPECT_NE(requests[1].headers.find("User-Agent: VB Project"), std::string::npos);
    EXPECT_EQ(requests[1].headers.find("Cookie"), std::string::npos);
    EXPECT_EQ(requests[1].headers.find("Authorization"), std::string::npos);
}

TEST(NetInclude, AnnouncedSizeUpToTheLimitIsOfferedAboveItRefused) {
    struct Case {
        size_t lines;  // of 100 bytes
        bool offered;
    };
    for (Case c : {Case{1000, true}, Case{1001, false}}) {
        SCOPED_TRACE(c.lines);
        NetQuest n;
        std::string body = CommentLines(c.lines);
        if (!c.offered) body += "x";  // 100001 bytes
        n.server.Route("/big", HttpRoute::Body(body));
        n.Include(n.server.Url("/big"));
        if (c.offered) {
            ASSERT_EQ(n.q.host.boxes.size(), 2u);
            EXPECT_EQ(U(n.q.host.boxes[1].text), "Размер файла: 100000 байт! Подтверждаете загрузку?");
            EXPECT_EQ(n.q.Text(), "before \r\ntail \r\nafter \r\n");
            EXPECT_EQ(n.server.Count("GET"), 1);
            // Progress only while the size is known; it ends at 100% and the caption comes back.
            ASSERT_GE(n.q.host.captions.size(), 2u);
            EXPECT_EQ(n.q.host.captions.back(), "<restored>");
            EXPECT_EQ(U(n.q.host.captions[n.q.host.captions.size() - 2]), "Принято: 100%");
            int last = -1;
            for (size_t i = 0; i + 1 < n.q.host.captions.size(); ++i) {
                std::string c8 = U(n.q.host.captions[i]);
                ASSERT_EQ(c8.rfind("Принято: ", 0), 0u) << c8;
                int pct = std::stoi(c8.substr(std::string("Принято: ").size()));
                EXPECT_GE(pct, last);
                last = pct;
            }
        } else {
            ASSERT_EQ(n.q.host.boxes.size(), 2u);
            EXPECT_EQ(U(n.q.host.boxes[1].text), kTooBig);
            EXPECT_EQ(n.q.host.boxes[1].title, "");  // the program's own title
            EXPECT_EQ(n.q.host.boxes[1].style, 0);
            EXPECT_EQ(n.q.Text(), "before \r\nafter \r\n");
            EXPECT_EQ(n.server.Count("GET"), 0);
            EXPECT_TRUE(n.q.host.captions.empty());
        }
        EXPECT_EQ(n.q.engine->includeSize(), 0);
    }
}

TEST(NetInclude, UnannouncedSizeShowsAQuestionMarkAndNoProgress) {
    // No Content-Length at all, or a server that refuses HEAD but serves the text.
    for (HttpRoute route : {HttpRoute::Body(CommentLines(300)).NoLength(),
                            HttpRoute::Body(CommentLines(300)).HeadStatus(405)}) {
        NetQuest n;
        n.server.Route("/u", route);
        n.Include(n.server.Url("/u"));
        ASSERT_EQ(n.q.host.boxes.size(), 2u);
        EXPECT_EQ(U(n.q.host.boxes[1].text), "Размер файла: ? байт! Подтверждаете загрузку?");
        EXPECT_EQ(n.q.Text(), "before \r\ntail \r\nafter \r\n");
        EXPECT_EQ(n.q.host.captions, std::vector<std::string>{"<restored>"});
    }
}

// However much the server sends, and whatever it announced, the text stops after the piece that takes it past
// 100000 bytes: that piece stays whole and nothing after it is read.
TEST(NetInclude, DownloadStopsAfterThePieceThatCrossesTheLimit) {
    struct Case {
        const char* what;
        HttpRoute route;
    };
    const std::string body = CommentLines(2000);  // twice the limit
    std::vector<Case> cases = {
        {"no length", HttpRoute::Body(body).NoLength()},
        {"sends forever", HttpRoute::Body(body).NoLength().Repeat(100000)},
        {"announces less than it sends", HttpRoute::Body(body).NoLength().Announce(500)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NetQuest n;
        n.server.Route("/twice", c.route);
        n.Include(n.server.Url("/twice"));
        // Whole comment lines came with their CR LF; the one the cut went through did not.
        size_t received = 0, whole = 0;
        for (const auto& line : n.q.engine->programLines()) {
            if (line.empty() || line[0] != ';') continue;
            bool full = line == ";" + std::string(97, 'x');
            received += full ? 100 : line.size();
            whole += full;
        }
        EXPECT_GT(received, 100000u);
        EXPECT_LE(received, 100000u + 2048u);
        EXPECT_GE(whole, 1000u);
        EXPECT_EQ(n.q.Text(), "before \r\nafter \r\n");
        EXPECT_EQ(n.q.engine->includeSize(), 0);
    }
}

TEST(NetInclude, NoToEitherQuestionOrNoNetworkFetchesNothing) {
    struct Case {
        const char* what;
        int yes;
        bool online;
        std::vector<std::string> titles;
        int heads;
    };
    for (const auto& c :
         {Case{"no to the first", 0, true, {kAsk}, 0}, Case{"no to the second", 1, true, {kAsk, kConfirm}, 1},
          Case{"offline", 1, false, {kAsk, "Облом"}, 0}}) {
        SCOPED_TRACE(c.what);
        NetQuest n;
        n.online = c.online;
        n.server.Route("/a", HttpRoute::Body("pln fetched\r\n"));
        n.Include(n.server.Url("/a"), c.yes);
        EXPECT_EQ(n.Titles(), c.titles);
        EXPECT_EQ(n.q.Text(), "before \r\nafter \r\n");
        EXPECT_EQ(n.server.Count("HEAD"), c.heads);
        EXPECT_EQ(n.server.Count("GET"), 0);
        if (!c.online) {
            EXPECT_EQ(U(n.q.host.boxes[1].text), "Нет инета");
            EXPECT_EQ(n.q.host.boxes[1].style, 16);
        }
    }
}

// Failures end the include silently: the questions asked so far, nothing inserted, the quest goes on.
TEST(NetInclude, FailuresInsertNothing) {
    QuestFixture scratch;
    auto local = scratch.WriteFile("secret.txt", "pln secret");
    struct Case {
        const char* what;
        HttpRoute route;
        size_t boxes;
    };
    std::vector<Case> cases = {
        {"stalls before answering", HttpRoute().StallBeforeHeaders(), 1},
        {"stalls in the body", HttpRoute::Body("pln x\r\n").Stall(), 2},
        {"redirects to a file", HttpRoute::Body("pln x\r\n").RedirectTo("file://" + local.string(), true), 2},
        {"redirects to ftp", HttpRoute::Body("pln x\r\n").RedirectTo("ftp://127.0.0.1/x", true), 2},
        {"redirects the probe to a file", HttpRoute().RedirectTo("file://" + local.string()), 1},
        {"answers with an error", HttpRoute::Body("pln error page\r\n").Status(500), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NetQuest n;
        n.server.Route("/f", c.route);
        n.Include(n.server.Url("/f"));
        EXPECT_EQ(n.q.host.boxes.size(), c.boxes);
        EXPECT_EQ(n.q.Text(), "before \r\nafter \r\n");
        EXPECT_EQ(n.q.engine->includeSize(), 0);
    }
    {
        SCOPED_TRACE("refused connection");
        NetQuest n;
        n.Include("http://127.0.0.1:" + std::to_string(HttpServer::ClosedPort()) + "/x");
        EXPECT_EQ(n.Titles(), std::vector<std::string>{kAsk});
        EXPECT_EQ(n.q.Text(), "before \r\nafter \r\n");
    }
    {
        SCOPED_TRACE("https to a plain server");
        NetQuest n;
        n.server.Route("/f", HttpRoute::Body("pln x\r\n"));
        std::string url = n.server.Url("/f");
        n.Include("HTTPS" + url.substr(4));
        EXPECT_EQ(n.Titles(), std::vector<std::string>{kAsk});
        EXPECT_EQ(n.q.Text(), "before \r\nafter \r\n");
    }
}

TEST(NetInclude, RedirectsWithinTheWebAreFollowedUpToFive) {
    for (int hops : {5, 6}) {
        SCOPED_TRACE(hops);
        NetQuest n;
        n.server.Route("/r0", HttpRoute::Body("pln arrived\r\n"));
        for (int i = 1; i <= hops; ++i)
            n.server.Route("/r" + std::to_string(i), HttpRoute().RedirectTo("/r" + std::to_string(i - 1)));
        n.Include(n.server.Url("/r" + std::to_string(hops)));
        EXPECT_EQ(n.q.Text(), hops <= 5 ? "before \r\narrived \r\nafter \r\n" : "before \r\nafter \r\n");
    }
}

// The fetched text lands exactly where a local file's would: labels, ";" and "/*" comments kept for the run,
// "_" lines not joined, nested includes expanded, LF-only lines given CR LF.
TEST(NetInclude, FetchedTextJoinsTheQuestLikeALocalInclude) {
    const std::vector<std::string> bodies = {
        "pln one ; note\r\n:Room\r\npln two /* kept */\r\n_three\r\n  :Indented\r\nbtn Room, go\r\n",
        "pln lf\n:lf\nend:next\nquest_path\n",
        std::string("pln \x01\x02\x7f\x80\xff\0z\rq\r\n", 15),
        "",
    };
    for (const auto& body : bodies) {
        SCOPED_TRACE(body);
        NetQuest n;
        auto inner = n.q.WriteFile("inner.inc", "pln inner");
        std::string withInclude = body + "include " + inner.string() + "\r\n";
        n.server.Route("/t", HttpRoute::Body(withInclude));
        n.Include(n.server.Url("/t"));
        QuestFixture local;
        local.WriteBytes("t.inc", withInclude);
        local.Run("pln before\ninclude quest_patht.inc\npln after");
        EXPECT_EQ(ProgramLines(*n.q.engine), ProgramLines(*local.engine));
        EXPECT_EQ(n.q.engine->labelList(), local.engine->labelList());
        EXPECT_EQ(n.q.Text(), local.Text());
        EXPECT_NE(n.q.Text().find("inner"), std::string::npos);
    }
}

// A new game while the text arrives replaces the load: the old load stops and leaves the new one's program.
TEST(NetInclude, NewGameDuringTheDownloadAbandonsIt) {
    NetQuest n(60);
    n.server.Route("/slow", HttpRoute::Body("pln never\r\n").Stall());
    // The player acts once the download has begun (the probe lets events through too).
    std::function<void(Engine&)> newGameOnceFetching = [&](Engine& e) {
        if (n.server.Count("GET") > 0)
            e.NewGame();
        else
            n.q.host.onProcessEvents = newGameOnceFetching;
    };
    n.q.host.onProcessEvents = newGameOnceFetching;
    auto start = std::chrono::steady_clock::now();
    n.Include(n.server.Url("/slow"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(n.q.Text(), "before \r\nafter \r\n");
    EXPECT_EQ(n.Included(), "");
    ASSERT_FALSE(n.q.host.captions.empty());
    EXPECT_EQ(n.q.host.captions.back(), "<restored>");
    EXPECT_EQ(n.Titles(), (std::vector<std::string>{kAsk, kConfirm, kAsk}));
}

TEST(NetInclude, WithoutAClientNothingIsAskedOrFetched) {
    QuestFixture q;
    HttpServer server;
    server.Route("/a", HttpRoute::Body("pln x\r\n"));
    q.host.answers = {kAnswerYes, kAnswerYes};
    q.Run("pln before\ninclude \"" + server.Url("/a") + "\"\npln after");
    EXPECT_TRUE(q.host.boxes.empty());
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(q.Text(), "before \r\nafter \r\n");
}

// Scripted play fetches only with --net: then the questions take the script's answers and progress goes to
// stderr; without it nothing is asked and no request is made.
TEST(NetInclude, CliFetchesOnlyWithNet) {
    QuestFixture q;
    HttpServer server;
    server.Route("/a", HttpRoute::Body("pln from the web\r\n"));
    auto quest = q.WriteFile("net.qst", "pln before\ninclude " + server.Url("/a") + "\npln after\nend");
    auto script = q.WriteFile("yes.txt", "answer 6\nanswer 6\n");

    CliResult without = RunCli({"play", quest.string(), "--script", script.string(), "--dump"}, q.dir);
    EXPECT_EQ(without.exitCode, 0) << without.err;
    EXPECT_NE(without.out.find("\"text\":\"before \\r\\nafter \\r\\n\""), std::string::npos) << without.out;
    EXPECT_NE(without.out.find("\"messages\":[]"), std::string::npos) << without.out;
    EXPECT_TRUE(server.Requests().empty());

    CliResult with = RunCli({"play", quest.string(), "--net", "--script", script.string(), "--dump"}, q.dir);
    EXPECT_EQ(with.exitCode, 0) << with.err;
    EXPECT_NE(with.out.find("before \\r\\nfrom the web \\r\\nafter"), std::string::npos) << with.out;
    EXPECT_NE(with.out.find(kAsk), std::string::npos);
    EXPECT_NE(with.out.find("Размер файла: 18 байт! Подтверждаете загрузку?"), std::string::npos);
    EXPECT_NE(with.err.find("Принято: 100%"), std::string::npos) << with.err;
    EXPECT_EQ(server.Count("GET"), 1);

    // No to the confirmation: asked twice, nothing fetched.
    auto no = q.WriteFile("no.txt", "answer 6\nanswer 7\n");
    CliResult refused = RunCli({"play", quest.string(), "--net", "--script", no.string(), "--dump"}, q.dir);
    EXPECT_NE(refused.out.find("\"text\":\"before \\r\\nafter \\r\\n\""), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find(kConfirm), std::string::npos);
    EXPECT_EQ(server.Count("GET"), 1);
}

TEST(NetInclude, UrlEscaping) {
    EXPECT_EQ(net::EscapeUrl("http://h/a b\xd0\xb6?q=1%20"), "http://h/a%20b%D0%B6?q=1%20");
}

}  // namespace
}  // namespace tarvik::testing
