#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#if QUORVEL_HAVE_PICTURES
#include <QSslCertificate>
#endif

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "page/PictureState.h"
#include "sheet/ListingCheck.h"

class QNetworkAccessManager;
class QNetworkReply;
class QSslCertificate;
class QTimer;

// The pictures a page names, fetched over HTTPS in the background for every view of the page.
// Layouts run on the page thread and read the store there; fetches start only on the store's
// own thread (the window's), from its event loop, so nothing ever waits for the network. A build
// whose Qt has no network shows every picture as its box.
namespace quorvel::page {

class PictureDecodes;

struct Picture {
    PictureState state = PictureState::Unknown;
    QImage image;  // when loaded
};

// How many of a page's pictures lie beyond what the store keeps.
struct PicturesBeyond {
    int tooMany = 0;
    int tooLarge = 0;
};

class PagePictures : public QObject {
    Q_OBJECT
  public:
    static constexpr qint64 kMaxPictureBytes = 8 * 1024 * 1024;
    static constexpr int kTimeoutMs = 20000;
    static constexpr int kDecodeLimitMs = 5000;
    // A picture is asked for once the pages have named no new one for this long: an address
    // being typed is not fetched at every key.
    static constexpr int kFetchDelayMs = 400;
    static constexpr int kCacheCount = kPicturesKept;
    static constexpr qint64 kCacheBytes = qint64{kPictureMegabytesKept} * 1024 * 1024;
    // Addresses remembered in all, pictures or not.
    static constexpr int kMaxRecords = 4096;
    // Names a PEM file of certificate authorities trusted besides the system's.
    static constexpr const char* kExtraAuthoritiesVariable = "QUORVEL_EXTRA_CA_CERTS";
    // Test seam for whole processes: names a file made when a decode starts, which then never
    // ends.
    static constexpr const char* kStallDecodesVariable = "QUORVEL_TEST_DECODE_STALL";

    // The process's store, or null before one was made: the command-line tool has none and
    // shows every picture as its box.
    static PagePictures* Shared();
    // Makes the process's store on the calling thread (the window's) if there is none yet.
    static PagePictures* Ensure();
    // Ends the process's fetches and decodes: waits up to `bound` for decodes under way. False
    // when some are still running, left behind.
    static bool Shutdown(std::chrono::milliseconds bound);

    ~PagePictures() override;

    // From any thread.
    Picture Find(const QString& url) const;
    // From any thread, for each picture as a layout meets it: remembered, not yet fetched.
    void Want(const QString& url);
    // From any thread, once a page is laid out: the pictures it names, in order. What it names
    // is fetched once no page has named a new picture for a moment; what earlier pages named
    // and no later one did is let go when room is needed.
    void PageNeeds(const std::vector<std::string>& urls);
    // Of `urls`, those beyond the store's bounds.
    PicturesBeyond Beyond(const std::vector<std::string>& urls) const;

    // Test seams: a certificate authority trusted besides the system's, and other limits.
    void AddTrustedCertificates(const QList<QSslCertificate>& certificates);
    void SetLimits(qint64 maxPictureBytes, int timeoutMs, int decodeLimitMs = kDecodeLimitMs);
    void SetFetchDelay(int ms);
    // Forgets every picture (tests start each case from an empty session).
    void Clear();

  signals:
    // On the store's thread, once a picture has come, failed, been blocked or left beyond the
    // bounds, or has been forgotten before it was fetched.
    void pictureChanged(const QString& url);

  private:
    struct Entry {
        Picture picture;
        std::uint64_t neededSeq = 0;  // the last page that named it
        int neededPos = 0;            // and where
        std::uint64_t triedSeq = 0;   // the page it was last found beyond the bounds for
        bool pending = false;         // named, not yet asked for
        bool inFlight = false;        // being fetched or decoded
        std::uint64_t ticket = 0;     // of the fetch under way
        qint64 bytes = 0;             // decoded, once known
    };

    explicit PagePictures(QObject* parent);
    void startWanted();
    void start(const QString& url, std::uint64_t ticket);
    void finished(QNetworkReply* reply, const QString& url, std::uint64_t ticket);
    void decoded(std::uint64_t ticket, const QImage& image);
    void watchDecodes();
    void settle(const QString& url, std::uint64_t ticket, PictureState state, const QImage& image);
    void stop();
    // mutex_ held.
    int slotsTaken() const;
    bool makeRoomFor(const Entry& wanted, qint64 bytes);
    bool letGoOneBefore(std::uint64_t seq);
    void dropOneRecord();

    mutable std::mutex mutex_;
    // All guarded by mutex_.
    // Node-based: an entry stays where it is while others are let go.
    std::unordered_map<QString, Entry> entries_;
    std::uint64_t needSeq_ = 0;
    std::uint64_t newSeq_ = 0;  // the last page that named a picture not yet asked for
    qint64 cachedBytes_ = 0;
    std::uint64_t tickets_ = 0;
    bool stopped_ = false;

    // The store's thread only.
    QNetworkAccessManager* network_ = nullptr;
#if QUORVEL_HAVE_PICTURES
    QList<QSslCertificate> trusted_;
#endif
    QHash<std::uint64_t, QString> decoding_;
    qint64 maxBytes_ = kMaxPictureBytes;
    int timeoutMs_ = kTimeoutMs;
    int decodeLimitMs_ = kDecodeLimitMs;
    QTimer* fetchSoon_ = nullptr;
    QTimer* decodeWatch_ = nullptr;
    std::unique_ptr<PictureDecodes> decodes_;
};

// As the program ends, after its windows: `status` once the pictures' decodes have stopped within
// `bound`; otherwise the process ends here with `status`, leaving them behind, so that it never
// outlives its window by more than a moment.
int EndPictures(int status, std::chrono::milliseconds bound);

// Of the pictures laid out without their size, those that could not be loaded: a width can
// never count them. An "http:" one is blocked, not failed, and is reported as such elsewhere;
// one beyond the store's bounds is counted by NotePicturesBeyond.
std::vector<std::string> UnloadedPictures(const std::vector<std::string>& unsized);
// Puts into `options` how many of those lie beyond the store's bounds, and the first of them.
void NotePicturesBeyond(const std::vector<std::string>& unsized, CheckOptions& options);

}  // namespace quorvel::page
