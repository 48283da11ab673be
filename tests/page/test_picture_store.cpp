// The picture store on its own, wherever Qt Network is (the Windows build without the page engine
// too): what is fetched over HTTPS, what is refused, and a server that never answers.
#include "PictureStoreFixture.h"

using namespace picture_test;

namespace {

// What is fetched and what never is: "http:" (no request leaves), a picture past the size limit,
// one that is not a picture, a missing one and one that is no address; a picture that loads.
TEST_F(PictureStoreTest, FetchedOrRefused) {
    PictureServer plain;
    plain.Route("/plain.png", {200, Png(10, 10, QColor(kRed))});
    server_->Route("/large.png", {200, Png(600, 600, QColor(kRed))});
    store_->SetLimits(Png(600, 600, QColor(kRed)).size() - 1, PagePictures::kTimeoutMs);
    const struct {
        QString url;
        PictureState state;
    } cases[] = {
        {plain.Url("/plain.png"), PictureState::Blocked},
        {server_->Url("/large.png"), PictureState::Failed},
        {server_->Url("/text.png"), PictureState::Failed},
        {server_->Url("/missing.png"), PictureState::Failed},
        {QStringLiteral("picture.png"), PictureState::Failed},
        {server_->Url("/small.png"), PictureState::Loaded},
    };
    std::vector<QString> changed;
    QObject context;
    QObject::connect(store_, &PagePictures::pictureChanged, &context,
                     [&](const QString& url) { changed.push_back(url); });
    for (const auto& c : cases) store_->Want(c.url);
    ASSERT_TRUE(WaitUntil([&] { return changed.size() >= std::size(cases); }));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        EXPECT_EQ(StateOf(c.url), c.state);
        EXPECT_EQ(std::count(changed.begin(), changed.end(), c.url), 1);
    }
    EXPECT_EQ(plain.Connections(), 0);
    // A loaded picture is kept whole, at its own size.
    EXPECT_EQ(store_->Find(server_->Url("/small.png")).image.size(), QSize(40, 20));
}

// A server that never answers holds nothing up: the picture fails at the time limit, and the
// event loop turns all the while.
TEST_F(PictureStoreTest, NeverAnsweredFailsAtTheLimit) {
    server_->Route("/stuck.png", {200, Png(10, 10, QColor(kRed)), true});
    store_->SetLimits(PagePictures::kMaxPictureBytes, 1500);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(0);
    store_->Want(server_->Url("/stuck.png"));
    ASSERT_TRUE(WaitUntil([&] { return Settled(server_->Url("/stuck.png")); }));
    EXPECT_EQ(StateOf(server_->Url("/stuck.png")), PictureState::Failed);
    EXPECT_EQ(server_->Held(), 1);
    EXPECT_GT(ticks, 10);
}

}  // namespace
