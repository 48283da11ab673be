#include "page/PagePictures.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QTimer>
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

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <thread>

#include "page/PictureDecodes.h"

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

void StallDecodesForTests() {
    const QString marker = qEnvironmentVariable(PagePictures::kStallDecodesVariable);
    if (marker.isEmpty()) return;
    PictureDecodes::SetBeforeDecode([marker] {
        QFile(marker).open(QIODevice::WriteOnly);
        for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
    });
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

bool PagePictures::Shutdown(std::chrono::milliseconds bound) {
    PagePictures* store = sharedStore.load();
    if (!store) return true;
    store->stop();
    return store->decodes_->Stop(bound);
}

PagePictures::PagePictures(QObject* parent)
    : QObject(parent),
      fetchSoon_(new QTimer(this)),
      decodeWatch_(new QTimer(this)),
      decodes_(std::make_unique<PictureDecodes>([this](std::uint64_t ticket, const QImage& image) {
          QMetaObject::invokeMethod(
              this, [this, ticket, image] { decoded(ticket, image); }, Qt::QueuedConnection);
      })) {
    fetchSoon_->setSingleShot(true);
    fetchSoon_->setInterval(kFetchDelayMs);
    connect(fetchSoon_, &QTimer::timeout, this, &PagePictures::startWanted);
    decodeWatch_->setInterval(100);
    connect(decodeWatch_, &QTimer::timeout, this, &PagePictures::watchDecodes);
    // The end of the program waits for no picture.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &PagePictures::stop);
    StallDecodesForTests();
#if QUORVEL_HAVE_PICTURES
    // Authorities trusted besides the system's, as behind a company's inspecting proxy.
    const QString extra = qEnvironmentVariable(kExtraAuthoritiesVariable);
    if (!extra.isEmpty()) trusted_ += QSslCertificate::fromPath(extra, QSsl::Pem);
#endif
}

PagePictures::~PagePictures() {
    sharedStore.store(nullptr);
    // Stopped, the decodes deliver nothing more; a decode still running is left to end alone.
    decodes_->Stop(std::chrono::milliseconds(0));
}

Picture PagePictures::Find(const QString& url) const {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(url);
    if (found == entries_.end()) return {};
    return found->second.picture;
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
        if (stopped_ || entries_.count(url)) return;
        if (entries_.size() >= kMaxRecords) dropOneRecord();
        if (entries_.size() >= kMaxRecords) return;
        Entry entry;
        entry.picture.state = state;
        entry.pending = state == PictureState::Loading;
        entries_.emplace(url, entry);
    }
    if (state != PictureState::Loading)
        QMetaObject::invokeMethod(
            this, [this, url] { emit pictureChanged(url); }, Qt::QueuedConnection);
}

void PagePictures::PageNeeds(const std::vector<std::string>& urls) {
    bool named = false;  // a picture not yet asked for, or one to try again
    bool fresh = false;  // named for the first time
    {
        std::lock_guard lock(mutex_);
        if (stopped_ || urls.empty()) return;
        const std::uint64_t seq = ++needSeq_;
        int pos = 0;
        for (const std::string& url : urls) {
            const auto found = entries_.find(QString::fromStdString(url));
            if (found == entries_.end()) continue;
            if (found->second.pending && found->second.neededSeq == 0) fresh = true;
            found->second.neededSeq = seq;
            found->second.neededPos = pos++;
            const PictureState state = found->second.picture.state;
            if (found->second.pending || state == PictureState::TooMany ||
                state == PictureState::TooLarge)
                named = true;
        }
        if (fresh) newSeq_ = seq;
    }
    if (!named) return;
    QMetaObject::invokeMethod(
        this,
        [this, fresh] {
            if (fresh || !fetchSoon_->isActive()) fetchSoon_->start();
        },
        Qt::QueuedConnection);
}

PicturesBeyond PagePictures::Beyond(const std::vector<std::string>& urls) const {
    PicturesBeyond beyond;
    std::lock_guard lock(mutex_);
    for (const std::string& url : urls) {
        const auto found = entries_.find(QString::fromStdString(url));
        if (found == entries_.end()) continue;
        if (found->second.picture.state == PictureState::TooMany) ++beyond.tooMany;
        if (found->second.picture.state == PictureState::TooLarge) ++beyond.tooLarge;
    }
    return beyond;
}

void PagePictures::AddTrustedCertificates(const QList<QSslCertificate>& certificates) {
#if QUORVEL_HAVE_PICTURES
    trusted_ += certificates;
#else
    Q_UNUSED(certificates);
#endif
}

void PagePictures::SetLimits(qint64 maxPictureBytes, int timeoutMs, int decodeLimitMs) {
    maxBytes_ = maxPictureBytes;
    timeoutMs_ = timeoutMs;
    decodeLimitMs_ = decodeLimitMs;
}

void PagePictures::SetFetchDelay(int ms) {
    fetchSoon_->setInterval(ms);
}

void PagePictures::Clear() {
    {
        std::lock_guard lock(mutex_);
        entries_.clear();
        cachedBytes_ = 0;
        needSeq_ = newSeq_ = 0;
    }
    decoding_.clear();
#if QUORVEL_HAVE_PICTURES
    if (network_)
        for (QNetworkReply* reply : network_->findChildren<QNetworkReply*>()) reply->abort();
#endif
}

void PagePictures::stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    fetchSoon_->stop();
    decodeWatch_->stop();
    decodes_->Stop(std::chrono::milliseconds(0));
    // Deleting the network ends every fetch and its connections now.
    delete std::exchange(network_, nullptr);
}

// Pictures fetched or coming; mutex_ held.
int PagePictures::slotsTaken() const {
    int taken = 0;
    for (const auto& [url, entry] : entries_)
        if (entry.inFlight || entry.picture.state == PictureState::Loaded) ++taken;
    return taken;
}

// Lets go of the loaded picture last named longest ago, if that was by a page before `seq`: one
// the latest page names too is never let go for another of the same page. mutex_ held.
bool PagePictures::letGoOneBefore(std::uint64_t seq) {
    auto oldest = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->second.picture.state == PictureState::Loaded && !it->second.inFlight &&
            it->second.neededSeq < seq &&
            (oldest == entries_.end() || it->second.neededSeq < oldest->second.neededSeq))
            oldest = it;
    }
    if (oldest == entries_.end()) return false;
    cachedBytes_ -= oldest->second.picture.image.sizeInBytes();
    entries_.erase(oldest);
    return true;
}

// Room for one more picture of `bytes` (0 while not known), letting go of older pages' pictures
// as needed. mutex_ held.
bool PagePictures::makeRoomFor(const Entry& wanted, qint64 bytes) {
    while (slotsTaken() >= kCacheCount)
        if (!letGoOneBefore(wanted.neededSeq)) return false;
    while (cachedBytes_ + bytes > kCacheBytes)
        if (!letGoOneBefore(wanted.neededSeq)) return false;
    return true;
}

// A record no page named lately, when the records are full. mutex_ held.
void PagePictures::dropOneRecord() {
    auto oldest = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (!it->second.inFlight && it->second.neededSeq < needSeq_ &&
            (oldest == entries_.end() || it->second.neededSeq < oldest->second.neededSeq))
            oldest = it;
    }
    if (oldest == entries_.end()) return;
    cachedBytes_ -= oldest->second.picture.image.sizeInBytes();
    entries_.erase(oldest);
}

// The pictures the pages named, asked for once no new one has been named for a moment; what
// only a page before the latest new one named was an address being typed, and is forgotten.
void PagePictures::startWanted() {
    std::vector<std::pair<QString, std::uint64_t>> starts;
    std::vector<QString> news;
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        std::vector<QString> named;
        for (auto it = entries_.begin(); it != entries_.end();) {
            const PictureState state = it->second.picture.state;
            if (it->second.pending && it->second.neededSeq < newSeq_) {
                news.push_back(it->first);
                it = entries_.erase(it);
                continue;
            }
            if (it->second.pending ||
                ((state == PictureState::TooMany || state == PictureState::TooLarge) &&
                 it->second.neededSeq > it->second.triedSeq))
                named.push_back(it->first);
            ++it;
        }
        // In the pages' own order, so that those beyond the bounds are the page's last.
        std::sort(named.begin(), named.end(), [this](const QString& a, const QString& b) {
            const Entry& x = entries_[a];
            const Entry& y = entries_[b];
            return std::tie(x.neededSeq, x.neededPos) < std::tie(y.neededSeq, y.neededPos);
        });
        for (const QString& url : named) {
            Entry& entry = entries_[url];
            const PictureState was = entry.picture.state;
            entry.pending = false;
            if (!makeRoomFor(entry, entry.bytes)) {
                entry.triedSeq = entry.neededSeq;
                if (was == PictureState::Loading) {
                    entry.picture.state =
                        entry.bytes > 0 ? PictureState::TooLarge : PictureState::TooMany;
                    news.push_back(url);
                }
                continue;
            }
            entry.picture.state = PictureState::Loading;
            entry.inFlight = true;
            entry.ticket = ++tickets_;
            starts.emplace_back(url, entry.ticket);
            if (was != PictureState::Loading) news.push_back(url);
        }
    }
    for (const auto& [url, ticket] : starts) start(url, ticket);
    for (const QString& url : news) emit pictureChanged(url);
}

#if QUORVEL_HAVE_PICTURES
void PagePictures::start(const QString& url, std::uint64_t ticket) {
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
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, url, ticket] { finished(reply, url, ticket); });
}

void PagePictures::finished(QNetworkReply* reply, const QString& url, std::uint64_t ticket) {
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || reply->property("tooLarge").toBool() ||
        status < 200 || status > 299) {
        settle(url, ticket, PictureState::Failed, {});
        return;
    }
    if (!decodes_->Add(ticket, reply->readAll())) {
        settle(url, ticket, PictureState::Failed, {});
        return;
    }
    decoding_.insert(ticket, url);
    if (!decodeWatch_->isActive()) decodeWatch_->start();
}

#else
void PagePictures::start(const QString& url, std::uint64_t ticket) {
    settle(url, ticket, PictureState::Failed, {});
}
void PagePictures::finished(QNetworkReply*, const QString&, std::uint64_t) {}
#endif

void PagePictures::decoded(std::uint64_t ticket, const QImage& image) {
    const QString url = decoding_.take(ticket);
    if (url.isEmpty()) return;
    settle(url, ticket, image.isNull() ? PictureState::Failed : PictureState::Loaded, image);
}

// A decode past its time fails, and the pictures after it go on.
void PagePictures::watchDecodes() {
    for (std::uint64_t ticket :
         decodes_->GiveUpOverdue(std::chrono::milliseconds(decodeLimitMs_))) {
        const QString url = decoding_.take(ticket);
        if (!url.isEmpty()) settle(url, ticket, PictureState::Failed, {});
    }
    if (decoding_.isEmpty()) decodeWatch_->stop();
}

void PagePictures::settle(const QString& url, std::uint64_t ticket, PictureState state,
                          const QImage& image) {
    {
        std::lock_guard lock(mutex_);
        const auto found = entries_.find(url);
        // Cleared meanwhile: the answer is of no session any more.
        if (found == entries_.end() || !found->second.inFlight || found->second.ticket != ticket)
            return;
        Entry& entry = found->second;
        entry.inFlight = false;
        entry.picture = Picture{PictureState::Loading, {}};
        if (state == PictureState::Loaded) {
            entry.bytes = image.sizeInBytes();
            // Weighed against the others while it counts as none of them.
            if (makeRoomFor(entry, entry.bytes)) {
                entry.picture.image = image;
                cachedBytes_ += entry.bytes;
            } else {
                state = PictureState::TooLarge;
                entry.triedSeq = entry.neededSeq;
            }
        }
        entry.picture.state = state;
    }
    emit pictureChanged(url);
}

int EndPictures(int status, std::chrono::milliseconds bound) {
    if (PagePictures::Shutdown(bound)) return status;
    std::fflush(nullptr);
    std::_Exit(status);
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

void NotePicturesBeyond(const std::vector<std::string>& unsized, CheckOptions& options) {
    const PagePictures* store = PagePictures::Shared();
    if (!store) return;
    const PicturesBeyond beyond = store->Beyond(unsized);
    options.picturesBeyondCount = beyond.tooMany;
    options.picturesBeyondBytes = beyond.tooLarge;
    for (const std::string& url : unsized) {
        const PictureState state = store->Find(QString::fromStdString(url)).state;
        if (state == PictureState::TooMany || state == PictureState::TooLarge) {
            options.firstPictureBeyond = url;
            break;
        }
    }
}

}  // namespace quorvel::page
