#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "test_http_server.h"
#include "update/HttpVersionFetcher.h"
#include "update/VersionCheck.h"

using namespace quorvel;
using update::TVersionCheck;

namespace {

// Answers each Get with the next scripted body (nothing for an empty slot), or raises.
class FakeFetcher final : public update::VersionFetcher {
  public:
    std::deque<std::optional<std::string>> replies;
    std::vector<std::string> gets;
    int cancels = 0;
    std::function<void()> duringGet;  // runs inside Get, as the pump would
    std::string raise;

    void Cancel() override { ++cancels; }
    void Get(const std::string& url) override {
        gets.push_back(url);
        if (duringGet) duringGet();
        if (!raise.empty()) throw net::HttpError(raise);
        if (replies.empty()) return;
        const auto reply = replies.front();
        replies.pop_front();
        if (reply && handler) handler(0, *reply);
    }
    void SetOnSuccess(SuccessHandler h) override { handler = std::move(h); }
    SuccessHandler handler;
};

struct Harness {
    FakeFetcher fetcher;
    bool online = true;
    int onlineQueries = 0;
    int notices = 0;
    int stops = 0;
    std::function<void()> duringNotice;
    std::unique_ptr<TVersionCheck> check;

    explicit Harness(bool otherInstance = false,
                     std::string url = "http://maker.test/app/QvlVer.txt") {
        update::VersionCheckDeps deps;
        deps.isOnline = [this] {
            ++onlineQueries;
            return online;
        };
        deps.fetcher = &fetcher;
        deps.showNotice = [this] {
            ++notices;
            if (duringNotice) duringNotice();
        };
        deps.stopTimer = [this] { ++stops; };
        deps.url = std::move(url);
        deps.otherInstanceRunning = otherInstance;
        check = std::make_unique<TVersionCheck>(std::move(deps));
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) check->Tick();
    }
};

}  // namespace

TEST(VersionCheck, FiveTickCourseWithANewerRelease) {
    Harness h;
    h.fetcher.replies.push_back(std::string("173\r\n新しい版\r\n"));

    h.check->Tick();
    EXPECT_EQ(h.check->VersionCheckState, 1);
    EXPECT_TRUE(h.fetcher.gets.empty());

    h.check->Tick();
    EXPECT_EQ(h.check->VersionCheckState, 2);
    ASSERT_EQ(h.fetcher.gets, std::vector<std::string>{"http://maker.test/app/QvlVer.txt"});
    EXPECT_EQ(h.fetcher.cancels, 1);
    EXPECT_EQ(h.check->VersionCheckElapsed, 0);
    EXPECT_EQ(h.check->FetchedVersionNumber, 173);
    EXPECT_EQ(h.check->VersionText, "173\r\n新しい版\r\n");

    h.check->Tick();
    EXPECT_EQ(h.check->VersionCheckState, 3);
    EXPECT_EQ(h.notices, 0);

    h.check->Tick();
    EXPECT_EQ(h.notices, 1);
    EXPECT_EQ(h.check->VersionCheckState, 99);
    EXPECT_EQ(h.stops, 0);

    h.check->Tick();
    EXPECT_EQ(h.stops, 1);
    EXPECT_EQ(h.check->VersionCheckState, -1);

    // A tick that still arrives changes nothing more.
    h.Ticks(3);
    EXPECT_EQ(h.notices, 1);
    EXPECT_EQ(h.fetcher.gets.size(), 1u);
    EXPECT_FALSE(h.check->VersionCheckBusy);
}

TEST(VersionCheck, SameReleaseStopsWithoutNotice) {
    Harness h;
    h.fetcher.replies.push_back(std::string("172\n"));
    h.Ticks(3);
    EXPECT_EQ(h.check->VersionCheckState, 3);
    h.check->Tick();
    EXPECT_EQ(h.check->VersionCheckState, 99);
    h.check->Tick();
    EXPECT_EQ(h.notices, 0);
    EXPECT_EQ(h.stops, 1);
    EXPECT_EQ(h.check->VersionCheckState, -1);
}

TEST(VersionCheck, NoUsableReplyRestartsAfterTenTicks) {
    Harness h;
    h.fetcher.replies = {std::nullopt, std::string("1.73\r\n")};
    h.Ticks(2);
    ASSERT_EQ(h.fetcher.gets.size(), 1u);
    // Ticks 1..9 after the request keep waiting; the tenth starts over.
    for (int i = 1; i <= 9; ++i) {
        h.check->Tick();
        EXPECT_EQ(h.check->VersionCheckState, 2) << i;
        EXPECT_EQ(h.check->VersionCheckElapsed, i);
    }
    h.check->Tick();
    EXPECT_EQ(h.check->VersionCheckState, 0);
    EXPECT_EQ(h.check->VersionCheckElapsed, 0);
    h.Ticks(2);
    EXPECT_EQ(h.fetcher.gets.size(), 2u);
    // "1.73" is no integer: counts as 0, so the cycle repeats; one request about every 12 ticks.
    EXPECT_EQ(h.check->FetchedVersionNumber, 0);
    EXPECT_EQ(h.check->VersionText, "1.73\r\n");
    h.Ticks(12);
    EXPECT_EQ(h.fetcher.gets.size(), 3u);
    EXPECT_EQ(h.notices, 0);
    EXPECT_EQ(h.stops, 0);
}

TEST(VersionCheck, ReleaseNumberParsing) {
    EXPECT_EQ(update::ParseReleaseNumber("173\r\ntext"), 173);
    EXPECT_EQ(update::ParseReleaseNumber("  180  \r\n"), 180);
    EXPECT_EQ(update::ParseReleaseNumber("\t200"), 200);
    EXPECT_EQ(update::ParseReleaseNumber("1.5\n"), 0);
    EXPECT_EQ(update::ParseReleaseNumber("-3\n"), 0);
    EXPECT_EQ(update::ParseReleaseNumber(""), 0);
    EXPECT_EQ(update::ParseReleaseNumber("\n173"), 0);
    EXPECT_EQ(update::ParseReleaseNumber("17 3"), 0);
    EXPECT_EQ(update::ParseReleaseNumber("99999999999999999999"), 0);
    EXPECT_EQ(update::ParseReleaseNumber("abc"), 0);
}

TEST(VersionCheck, NonPositiveRepliesRepeatTheCycle) {
    for (const std::string body : {"-3\r\n", "", "1.5\r\nnext"}) {
        Harness h;
        h.fetcher.replies = {body};
        h.Ticks(2 + 5);
        EXPECT_EQ(h.check->VersionCheckState, 2) << body;
        EXPECT_EQ(h.check->VersionText, body);
        h.Ticks(5);
        EXPECT_EQ(h.check->VersionCheckState, 0) << body;
        EXPECT_EQ(h.notices, 0);
    }
}

TEST(VersionCheck, OnlyGetRepliesCount) {
    Harness h;
    h.check->HttpClient1Success(1, "500");
    EXPECT_EQ(h.check->FetchedVersionNumber, 0);
    EXPECT_EQ(h.check->VersionText, "");
    h.check->HttpClient1Success(0, " 181 \r\nx");
    EXPECT_EQ(h.check->FetchedVersionNumber, 181);
}

TEST(VersionCheck, OfflineNeverAsks) {
    Harness h;
    h.online = false;
    h.Ticks(100);
    EXPECT_TRUE(h.fetcher.gets.empty());
    EXPECT_EQ(h.check->VersionCheckState, 0);
    EXPECT_EQ(h.stops, 0);
    EXPECT_EQ(h.onlineQueries, 100);

    // Online for the first tick only: the check waits in state 1.
    Harness g;
    g.check->Tick();
    g.online = false;
    g.Ticks(20);
    EXPECT_EQ(g.check->VersionCheckState, 1);
    EXPECT_TRUE(g.fetcher.gets.empty());
    g.online = true;
    g.check->Tick();
    EXPECT_EQ(g.fetcher.gets.size(), 1u);
}

TEST(VersionCheck, EmptyHostNeverAsks) {
    EXPECT_EQ(update::VersionFileUrl(""), "");
    EXPECT_EQ(update::VersionFileUrl("maker.test:8080"), "http://maker.test:8080/app/QvlVer.txt");

    Harness h(false, update::VersionFileUrl(""));
    h.Ticks(50);
    EXPECT_TRUE(h.fetcher.gets.empty());
    EXPECT_EQ(h.check->VersionCheckState, 0);
    EXPECT_EQ(h.stops, 0);
}

TEST(VersionCheck, SecondProcessShowsNoNotice) {
    Harness h(true);
    h.fetcher.replies.push_back(std::string("200\r\n"));
    h.Ticks(5);
    EXPECT_EQ(h.notices, 0);
    EXPECT_EQ(h.stops, 1);
    EXPECT_EQ(h.check->VersionCheckState, -1);
}

TEST(VersionCheck, TicksDuringTheRequestAndTheNoticeReturnAtOnce) {
    Harness h;
    h.fetcher.replies.push_back(std::string("175\r\n"));
    int nestedDuringGet = 0;
    h.fetcher.duringGet = [&] {
        for (int i = 0; i < 3; ++i) h.check->Tick();
        nestedDuringGet = h.check->VersionCheckState;
    };
    h.Ticks(2);
    EXPECT_EQ(nestedDuringGet, 1);  // the nested ticks did not move the state
    EXPECT_EQ(h.fetcher.gets.size(), 1u);
    EXPECT_EQ(h.check->VersionCheckElapsed, 0);

    h.check->Tick();
    int stateInNotice = 0;
    h.duringNotice = [&] {
        h.Ticks(5);
        stateInNotice = h.check->VersionCheckState;
    };
    h.check->Tick();
    EXPECT_EQ(h.notices, 1);
    EXPECT_EQ(stateInNotice, 3);
    EXPECT_EQ(h.stops, 0);
    h.check->Tick();
    EXPECT_EQ(h.stops, 1);
}

TEST(VersionCheck, ErrorFromTheRequestEndsTheCheck) {
    Harness h;
    h.fetcher.raise = "Connection Failed";
    h.check->Tick();
    try {
        h.check->Tick();
        FAIL() << "the error should leave the tick";
    } catch (const net::HttpError& error) {
        EXPECT_STREQ(error.what(), "Connection Failed");
    }
    EXPECT_TRUE(h.check->VersionCheckBusy);
    h.fetcher.raise.clear();
    h.Ticks(30);
    EXPECT_EQ(h.fetcher.gets.size(), 1u);
    EXPECT_EQ(h.check->VersionCheckState, 1);
}

TEST(VersionCheck, WorksThroughTheRealClient) {
    httptest::LoopbackServer server(1, httptest::Fixed("HTTP/1.0 200 OK\r\n\r\n173\r\nnews\r\n"));
    net::THttpClient client;
    int pumped = 0;
    client.SetPump([&] { ++pumped; });
    update::HttpVersionFetcher fetcher(client);
    int notices = 0;
    int stops = 0;
    update::VersionCheckDeps deps;
    deps.isOnline = [] { return true; };
    deps.fetcher = &fetcher;
    deps.showNotice = [&] { ++notices; };
    deps.stopTimer = [&] { ++stops; };
    deps.url = update::VersionFileUrl("127.0.0.1:" + std::to_string(server.port()));
    {
        TVersionCheck check(std::move(deps));
        for (int i = 0; i < 5; ++i) check.Tick();
        EXPECT_EQ(check.VersionText, "173\r\nnews\r\n");
        EXPECT_EQ(check.FetchedVersionNumber, 173);
        EXPECT_EQ(notices, 1);
        EXPECT_EQ(stops, 1);
    }
    // The check is gone; the client no longer points at it.
    EXPECT_FALSE(client.OnSuccess);
    server.Join();
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].rfind("GET /app/QvlVer.txt HTTP/1.0\r\n", 0), 0u);

    // A host that refuses: the error leaves the tick and the check stays busy.
    update::VersionCheckDeps refused;
    refused.isOnline = [] { return true; };
    refused.fetcher = &fetcher;
    refused.url = "http://127.0.0.1:1/app/QvlVer.txt";
    TVersionCheck check(std::move(refused));
    check.Tick();
    EXPECT_THROW(check.Tick(), net::HttpError);
    EXPECT_TRUE(check.VersionCheckBusy);
}
