#include "page/PagePictures.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QThread>
#include <QUrl>

#if QUORVEL_HAVE_PICTURES
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#endif

#include <atomic>
#include <limits>

namespace quorvel::page {
namespace {

std::atomic<PagePictures*> sharedStore{nullptr};

#if QUORVEL_HAVE_PICTURES
// The marketplace's cookies are no business of a preview: nothing is stored or sent.
class NoCookies final : public QNetworkCookieJar {
  public:
    using QNetworkCookieJar::QNetworkCookieJar;
    QList<QNetworkCookie> cookiesForUrl(const QUrl&) const override { return {}; }
    bool setCookiesFromUrl(const QList<QNetworkCookie>&, const QUrl&) override { return false; }
};
#endif

// Larger than any page shows; a picture claiming more is refused before it is decoded.
constexpr int kMaxSide = 10000;

QImage Decode(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxSide || size.height() > kMaxSide)) return {};
    QImage image = reader.read();
    if (image.width() > kMaxSide || image.height() > kMaxSide) return {};
    return image;
}

}  // namespace

PagePictures* PagePictures::Shared() {
    return sharedStore.load();
}

PagePictures* PagePictures::Ensure() {
    if (PagePictures* store = sharedStore.load()) return store;
    QCoreApplication* app = QCoreApplication::instance();
    // Fetches need the window's event loop; elsewhere there is no store.
    if (!app || QThread::currentThread() != app->thread()) return nullptr;
    auto* store = new PagePictures(app);
    sharedStore.store(store);
    return store;
}

PagePictures::PagePictures(QObject* parent) : QObject(parent) {
    decoders_.setMaxThreadCount(1);
#if QUORVEL_HAVE_PICTURES
    // Authorities trusted besides the system's, as behind a company's inspecting proxy.
    const QString extra = qEnvironmentVariable(kExtraAuthoritiesVariable);
    if (!extra.isEmpty()) trusted_ += QSslCertificate::fromPath(extra, QSsl::Pem);
#endif
}

PagePictures::~PagePictures() {
    sharedStore.store(nullptr);
    decoders_.waitForDone();
}

Picture PagePictures::Find(const QString& url) const {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(url);
    if (found == entries_.end()) return {};
    found->used = ++clock_;
    return found->picture;
}

void PagePictures::Want(const QString& url) {
    const QUrl address(url);
    const QString scheme = address.scheme().toLower();
    PictureState state = PictureState::Failed;
    if (scheme == QLatin1String("http")) state = PictureState::Blocked;
#if QUORVEL_HAVE_PICTURES
    if (scheme == QLatin1String("https") && address.isValid() && !address.host().isEmpty())
        state = PictureState::Loading;
#endif
    {
        std::lock_guard lock(mutex_);
        if (entries_.contains(url)) return;
        entries_.insert(url, Entry{{state, {}}, ++clock_});
    }
    // Queued from any thread: the fetch starts, and the news goes out, on the store's thread.
    if (state == PictureState::Loading)
        QMetaObject::invokeMethod(
            this, [this, url] { start(url); }, Qt::QueuedConnection);
    else
        QMetaObject::invokeMethod(
            this, [this, url] { emit pictureChanged(url); }, Qt::QueuedConnection);
}

void PagePictures::AddTrustedCertificates(const QList<QSslCertificate>& certificates) {
#if QUORVEL_HAVE_PICTURES
    trusted_ += certificates;
#else
    Q_UNUSED(certificates);
#endif
}

void PagePictures::SetLimits(qint64 maxPictureBytes, int timeoutMs) {
    maxBytes_ = maxPictureBytes;
    timeoutMs_ = timeoutMs;
}

void PagePictures::Clear() {
    {
        std::lock_guard lock(mutex_);
        entries_.clear();
        cachedBytes_ = 0;
    }
#if QUORVEL_HAVE_PICTURES
    if (network_)
        for (QNetworkReply* reply : network_->findChildren<QNetworkReply*>()) reply->abort();
#endif
}

#if QUORVEL_HAVE_PICTURES
void PagePictures::start(const QString& url) {
    QNetworkRequest request{QUrl(url)};
    // An HTTPS picture redirected to "http:" would be blocked by the marketplace too.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs_);
    if (!trusted_.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(trusted_);
        request.setSslConfiguration(tls);
    }
    // Made at the first picture, not with the store: the store is made as the editor starts.
    if (!network_) {
        network_ = new QNetworkAccessManager(this);
        network_->setCookieJar(new NoCookies(network_));
    }
    QNetworkReply* reply = network_->get(request);
    // A picture past the limit is dropped as soon as it says so or goes beyond it.
    const qint64 limit = maxBytes_;
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [reply, limit](qint64 received, qint64 total) {
                if (received > limit || total > limit) {
                    reply->setProperty("tooLarge", true);
                    reply->abort();
                }
            });
    connect(reply, &QNetworkReply::finished, this, [this, reply, url] { finished(reply, url); });
}

void PagePictures::finished(QNetworkReply* reply, const QString& url) {
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || reply->property("tooLarge").toBool() ||
        status < 200 || status > 299) {
        settle(url, PictureState::Failed, {});
        return;
    }
    const QByteArray bytes = reply->readAll();
    decoders_.start([this, url, bytes] {
        const QImage image = Decode(bytes);
        QMetaObject::invokeMethod(
            this,
            [this, url, image] {
                settle(url, image.isNull() ? PictureState::Failed : PictureState::Loaded, image);
            },
            Qt::QueuedConnection);
    });
}

#else
void PagePictures::start(const QString&) {}
void PagePictures::finished(QNetworkReply*, const QString&) {}
#endif

void PagePictures::settle(const QString& url, PictureState state, const QImage& image) {
    {
        std::lock_guard lock(mutex_);
        const auto found = entries_.find(url);
        // Cleared meanwhile: the answer is of no session any more.
        if (found == entries_.end() || found->picture.state != PictureState::Loading) return;
        found->picture = Picture{state, image};
        found->used = ++clock_;
        cachedBytes_ += image.sizeInBytes();
        evict(url);
    }
    emit pictureChanged(url);
}

// Least recently used first, never one still coming nor the one just come; mutex_ held.
void PagePictures::evict(const QString& kept) {
    while (entries_.size() > kCacheCount || cachedBytes_ > kCacheBytes) {
        auto oldest = entries_.end();
        std::uint64_t when = std::numeric_limits<std::uint64_t>::max();
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->picture.state != PictureState::Loading && it.key() != kept && it->used < when) {
                when = it->used;
                oldest = it;
            }
        }
        if (oldest == entries_.end()) return;
        cachedBytes_ -= oldest->picture.image.sizeInBytes();
        entries_.erase(oldest);
    }
}

std::vector<std::string> UnloadedPictures(const std::vector<std::string>& unsized) {
    std::vector<std::string> unloaded;
    const PagePictures* store = PagePictures::Shared();
    if (!store) return unloaded;
    for (const std::string& url : unsized)
        if (store->Find(QString::fromStdString(url)).state == PictureState::Failed)
            unloaded.push_back(url);
    return unloaded;
}

}  // namespace quorvel::page
