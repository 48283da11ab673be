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
    std::vector<QString> urls;
    for (const auto& c : cases) urls.push_back(c.url);
    Ask(urls);
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
    Ask({server_->Url("/stuck.png")});
    ASSERT_TRUE(WaitUntil([&] { return Settled(server_->Url("/stuck.png")); }));
    EXPECT_EQ(StateOf(server_->Url("/stuck.png")), PictureState::Failed);
    EXPECT_EQ(server_->Held(), 1);
    EXPECT_GT(ticks, 10);
}

}  // namespace

// ---- decoding -------------------------------------------------------------------------------

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>

#include "page/PictureDecoder.h"
#include "page/PictureDecodes.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace {

using quorvel::page::PictureDecodes;
using quorvel::page::PictureFormat;
using quorvel::page::SniffPicture;

QByteArray Saved(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A one-pixel GIF: Qt writes none.
const QByteArray kGif =
    QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7");

QByteArray SvgNaming(const QString& path) {
    return "<?xml version=\"1.0\"?><svg xmlns=\"http://www.w3.org/2000/svg\" "
           "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"40\" height=\"20\">"
           "<image x=\"0\" y=\"0\" width=\"40\" height=\"20\" xlink:href=\"" +
           path.toUtf8() + "\"/></svg>";
}

// The format is told by the first bytes alone, and only the five raster ones are told at all.
TEST(PictureSniff, FirstBytesTellTheFormat) {
    const QImage image = QImage(4, 3, QImage::Format_RGB32);
    const struct {
        QByteArray bytes;
        PictureFormat format;
    } cases[] = {
        {Saved(image, "PNG"), PictureFormat::Png},
        {Saved(image, "JPEG"), PictureFormat::Jpeg},
        {Saved(image, "BMP"), PictureFormat::Bmp},
        {kGif, PictureFormat::Gif},
        {QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16), PictureFormat::WebP},
        {QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16), PictureFormat::None},
        {SvgNaming(QStringLiteral("/dev/stdin")), PictureFormat::None},
        {"BM not a bitmap header at all", PictureFormat::None},
        {QByteArray("\x89PNG\r\n\x1A", 7), PictureFormat::None},
        {"GIF88a", PictureFormat::None},
        {{}, PictureFormat::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.left(16).toHex().toStdString());
        EXPECT_EQ(SniffPicture(c.bytes.constData(), static_cast<std::size_t>(c.bytes.size())),
                  c.format);
    }
}

// Served pictures: the raster ones come whatever the server calls them, anything else is a
// box; and nothing a picture names on this machine is read, a FIFO no more than a file.
TEST_F(PictureStoreTest, OnlyRasterPicturesAreDecoded) {
    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("local.png"));
    QFile file(local);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Png(40, 20, QColor(kRed)));
    file.close();
    const QImage small(30, 10, QImage::Format_RGB32);
    struct Case {
        const char* path;
        QByteArray body;
        PictureState state;
    };
    // A Qt built without its GIF reader (the Windows one) fails a GIF as any unreadable picture.
    const bool hasGif = QImageReader::supportedImageFormats().contains("gif");
    if (!hasGif) std::printf("this Qt has no GIF reader: a GIF is expected to fail\n");
    const PictureState gifState = hasGif ? PictureState::Loaded : PictureState::Failed;
    std::vector<Case> cases = {
        {"/a.png", Png(30, 10, QColor(kRed)), PictureState::Loaded},
        {"/a.jpg", Saved(small, "JPEG"), PictureState::Loaded},
        {"/a.bmp", Saved(small, "BMP"), PictureState::Loaded},
        {"/a.gif", kGif, gifState},
        {"/file.svg", SvgNaming(QUrl::fromLocalFile(local).toString()), PictureState::Failed},
        {"/path.svg", SvgNaming(local), PictureState::Failed},
        {"/stdin.svg", SvgNaming(QStringLiteral("/dev/stdin")), PictureState::Failed},
        {"/png-then-svg.png", QByteArray("\x89PNG\r\n\x1A\n", 8) + SvgNaming(local),
         PictureState::Failed},
        {"/wide.png", Png(quorvel::page::kMaxPictureSide + 1, 1, QColor(kRed)),
         PictureState::Failed},
        {"/many-pixels.png", Png(6000, 6000, QColor(kRed)), PictureState::Failed},
    };
#ifndef _WIN32
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    cases.push_back({"/fifo.svg", SvgNaming(fifo), PictureState::Failed});
#else
    std::printf("no FIFO on Windows: the SVG naming one is not served\n");
#endif
    std::vector<QString> urls;
    for (const Case& c : cases) {
        server_->Route(QString::fromLatin1(c.path), {200, c.body});
        urls.push_back(server_->Url(QString::fromLatin1(c.path)));
    }
    Ask(urls);
    ASSERT_TRUE(WaitUntil([&] {
        return std::all_of(urls.begin(), urls.end(), [&](auto& url) { return Settled(url); });
    }));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].path);
        EXPECT_EQ(StateOf(urls[i]), cases[i].state);
    }
#ifndef _WIN32
    // A reader blocked in opening the FIFO would let this writer in.
    const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    EXPECT_EQ(writer, -1);
    EXPECT_EQ(errno, ENXIO);
    if (writer >= 0) ::close(writer);
#endif
}

// Blocks the first decode until released.
class HeldDecode {
  public:
    HeldDecode() {
        PictureDecodes::SetBeforeDecode([this] {
            std::unique_lock lock(mutex_);
            if (taken_++ > 0) return;
            released_.wait(lock, [this] { return open_; });
        });
    }
    ~HeldDecode() {
        Release();
        PictureDecodes::SetBeforeDecode({});
    }
    void Release() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        released_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable released_;
    int taken_ = 0;
    bool open_ = false;
};

// A decode past its time fails and holds up none after it; when it ends after all, its picture
// is dropped.
TEST_F(PictureStoreTest, SlowDecodeIsGivenUp) {
    HeldDecode held;
    store_->SetLimits(PagePictures::kMaxPictureBytes, PagePictures::kTimeoutMs, 300);
    server_->Route("/slow.png", {200, Png(10, 10, QColor(kRed))});
    const QString slow = server_->Url("/slow.png");
    Ask({slow});
    ASSERT_TRUE(WaitUntil([&] { return Settled(slow); }));
    EXPECT_EQ(StateOf(slow), PictureState::Failed);
    Ask({slow, server_->Url("/small.png")});
    ASSERT_TRUE(WaitUntil([&] { return Settled(server_->Url("/small.png")); }));
    EXPECT_EQ(StateOf(server_->Url("/small.png")), PictureState::Loaded);
    held.Release();
    server_->Route("/after.png", {200, Png(10, 10, QColor(kRed))});
    Ask({slow, server_->Url("/after.png")});
    ASSERT_TRUE(WaitUntil([&] { return Settled(server_->Url("/after.png")); }));
    EXPECT_EQ(StateOf(slow), PictureState::Failed);
}

// ---- the store's bounds ---------------------------------------------------------------------

int RequestsFor(const PictureServer& server, int count, const QString& prefix) {
    int requests = 0;
    for (int i = 0; i < count; ++i) requests += server.Requests(prefix.arg(i));
    return requests;
}

// A page of more pictures than the store keeps: those beyond are told as such, once, and never
// fetched however often the page is laid out again; the next page's pictures take the room.
TEST_F(PictureStoreTest, PicturesBeyondTheBoundsAreNotFetchedRoundAndRound) {
    const QByteArray tiny = Png(2, 2, QColor(kRed));
    for (const int count : {PagePictures::kCacheCount + 1, 500}) {
        SCOPED_TRACE(count);
        store_->Clear();
        std::vector<QString> page;
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("/%1/p%2.png").arg(count).arg(i);
            server_->Route(name, {200, tiny});
            page.push_back(server_->Url(name));
        }
        std::vector<std::string> named;
        for (const QString& url : page) named.push_back(url.toStdString());
        for (int layout = 0; layout < 4; ++layout) {
            Ask(page);
            ASSERT_TRUE(WaitUntil([&] {
                return std::all_of(page.begin(), page.end(),
                                   [&](auto& url) { return Settled(url); });
            }));
        }
        const auto beyond = store_->Beyond(named);
        EXPECT_EQ(beyond.tooMany, count - PagePictures::kCacheCount);
        EXPECT_EQ(beyond.tooLarge, 0);
        // The page's first pictures are the ones kept.
        EXPECT_EQ(StateOf(page.front()), PictureState::Loaded);
        EXPECT_EQ(StateOf(page.back()), PictureState::TooMany);
        EXPECT_EQ(
            RequestsFor(*server_, count,
                        QStringLiteral("/") + QString::number(count) + QStringLiteral("/p%1.png")),
            PagePictures::kCacheCount);
        // Another page: room is made for it from the one before.
        server_->Route("/next.png", {200, tiny});
        Ask({server_->Url("/next.png")});
        ASSERT_TRUE(WaitUntil([&] { return Settled(server_->Url("/next.png")); }));
        EXPECT_EQ(StateOf(server_->Url("/next.png")), PictureState::Loaded);
    }
}

// Pictures larger together than the store keeps: the one beyond is told as too large, a page
// laid out again fetches it no more, and the next page's picture takes the room.
TEST_F(PictureStoreTest, PicturesBeyondTheBytesAreToldOnce) {
    const QByteArray large = Png(5000, 3000, QColor(kRed));  // 60 MB decoded
    std::vector<QString> page;
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("/large%1.png").arg(i);
        server_->Route(name, {200, large});
        page.push_back(server_->Url(name));
    }
    for (int layout = 0; layout < 3; ++layout) {
        Ask(page);
        ASSERT_TRUE(WaitUntil([&] {
            return std::all_of(page.begin(), page.end(), [&](auto& url) { return Settled(url); });
        }));
    }
    // Whichever is decoded last is the one beyond.
    std::map<PictureState, int> states;
    for (const QString& url : page) ++states[StateOf(url)];
    EXPECT_EQ(states[PictureState::Loaded], 2);
    EXPECT_EQ(states[PictureState::TooLarge], 1);
    std::vector<std::string> named;
    for (const QString& url : page) named.push_back(url.toStdString());
    EXPECT_EQ(store_->Beyond(named).tooLarge, 1);
    EXPECT_EQ(RequestsFor(*server_, 3, QStringLiteral("/large%1.png")), 3);
    // Another page: the bytes of the one before make room for it.
    server_->Route("/next.png", {200, large});
    Ask({server_->Url("/next.png")});
    ASSERT_TRUE(WaitUntil([&] { return Settled(server_->Url("/next.png")); }));
    EXPECT_EQ(StateOf(server_->Url("/next.png")), PictureState::Loaded);
}

// An address typed key by key is fetched once it stops changing: the partial ones never, and
// they are forgotten.
TEST_F(PictureStoreTest, AddressBeingTypedIsFetchedOnceComplete) {
    store_->SetFetchDelay(PagePictures::kFetchDelayMs);
    const QString full = server_->Url("/small.png");
    std::vector<QString> typed;
    for (qsizetype length = full.size() - 8; length <= full.size(); ++length)
        typed.push_back(full.left(length));
    // Each key's page names the other pictures too.
    const QString other = server_->Url("/wide.png");
    for (const QString& address : typed) Ask({other, address});
    ASSERT_TRUE(WaitUntil([&] { return Settled(full) && Settled(other); }));
    EXPECT_EQ(StateOf(full), PictureState::Loaded);
    EXPECT_EQ(StateOf(other), PictureState::Loaded);
    for (const QString& partial : typed) {
        if (partial == full) continue;
        SCOPED_TRACE(partial.toStdString());
        EXPECT_EQ(StateOf(partial), PictureState::Unknown);
    }
    EXPECT_EQ(server_->Requests("/small.png"), 1);
    EXPECT_EQ(server_->Requests("/wide.png"), 1);
    EXPECT_EQ(server_->Requests("/small.p"), 0);
    EXPECT_EQ(server_->Requests("/small.pn"), 0);
}

}  // namespace

// ---- the end of the program -----------------------------------------------------------------

#include <QProcess>
#include <QProcessEnvironment>

namespace {

// A process whose window closes while a decode never ends and 200 fetches are under way ends
// within a second, and cleanly.
TEST_F(PictureStoreTest, EndsWithinASecondWhateverThePicturesDo) {
    QTemporaryDir dir;
    const QString authority = dir.filePath(QStringLiteral("authority.pem"));
    QFile pem(authority);
    ASSERT_TRUE(pem.open(QIODevice::WriteOnly));
    pem.write(certificate_->certificate.toPem());
    pem.close();
    const QString marker = dir.filePath(QStringLiteral("decoding"));
    QStringList urls{server_->Url("/small.png")};
    for (int i = 0; i < 200; ++i) {
        const QString path = QStringLiteral("/held%1.png").arg(i);
        server_->Route(path, {200, Png(2, 2, QColor(kRed)), true});
        urls << server_->Url(path);
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(PagePictures::kExtraAuthoritiesVariable), authority);
    environment.insert(QString::fromLatin1(PagePictures::kStallDecodesVariable), marker);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(PICTURE_CLOSE_CHILD), urls);
    // The server answers on this thread's event loop.
    ASSERT_TRUE(
        WaitUntil([&] { return child.state() == QProcess::NotRunning || server_->Held() > 0; }));
    ASSERT_EQ(server_->Requests("/small.png"), 1);
    QFile(marker + QStringLiteral(".quit")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(WaitUntil([&] {
        return child.state() == QProcess::NotRunning || child.readAll().contains("closing");
    }));
    EXPECT_TRUE(child.waitForFinished(1000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    if (child.state() != QProcess::NotRunning) child.kill();
}

}  // namespace
