#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>
#if QUORVEL_HAVE_PICTURES
#include <QSslCertificate>
#endif

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "page/PictureState.h"

class QNetworkAccessManager;
class QNetworkReply;
class QSslCertificate;

// The pictures a page names, fetched over HTTPS in the background for every view of the page.
// Layouts run on the page thread and read the store there; fetches start only on the store's
// own thread (the window's), from its event loop, so nothing ever waits for the network. A build
// whose Qt has no network shows every picture as its box.
namespace quorvel::page {

struct Picture {
    PictureState state = PictureState::Unknown;
    QImage image;  // when loaded
};

class PagePictures : public QObject {
    Q_OBJECT
  public:
    static constexpr qint64 kMaxPictureBytes = 8 * 1024 * 1024;
    static constexpr int kTimeoutMs = 20000;
    static constexpr int kCacheCount = 128;
    static constexpr qint64 kCacheBytes = 128 * 1024 * 1024;
    // Names a PEM file of certificate authorities trusted besides the system's.
    static constexpr const char* kExtraAuthoritiesVariable = "QUORVEL_EXTRA_CA_CERTS";

    // The process's store, or null before one was made: the command-line tool has none and
    // shows every picture as its box.
    static PagePictures* Shared();
    // Makes the process's store on the calling thread (the window's) if there is none yet.
    static PagePictures* Ensure();

    ~PagePictures() override;

    // From any thread.
    Picture Find(const QString& url) const;
    // From any thread: a picture not yet asked for is fetched soon on the store's thread.
    void Want(const QString& url);

    // Test seams: a certificate authority trusted besides the system's, and smaller limits.
    void AddTrustedCertificates(const QList<QSslCertificate>& certificates);
    void SetLimits(qint64 maxPictureBytes, int timeoutMs);
    // Forgets every picture (tests start each case from an empty session).
    void Clear();

  signals:
    // On the store's thread, once a picture has come, failed or been blocked.
    void pictureChanged(const QString& url);

  private:
    explicit PagePictures(QObject* parent);
    void start(const QString& url);
    void finished(QNetworkReply* reply, const QString& url);
    void settle(const QString& url, PictureState state, const QImage& image);
    void evict(const QString& kept);

    struct Entry {
        Picture picture;
        std::uint64_t used = 0;
    };
    mutable std::mutex mutex_;
    // All guarded by mutex_.
    mutable QHash<QString, Entry> entries_;
    mutable std::uint64_t clock_ = 0;
    qint64 cachedBytes_ = 0;

    // The store's thread only.
    QNetworkAccessManager* network_ = nullptr;
#if QUORVEL_HAVE_PICTURES
    QList<QSslCertificate> trusted_;
#endif
    qint64 maxBytes_ = kMaxPictureBytes;
    int timeoutMs_ = kTimeoutMs;
    // Pictures are decoded off the window's thread: a large photo takes a while.
    QThreadPool decoders_;
};

// Of the pictures laid out without their size, those that could not be loaded: a width can
// never count them. An "http:" one is blocked, not failed, and is reported as such elsewhere.
std::vector<std::string> UnloadedPictures(const std::vector<std::string>& unsized);

}  // namespace quorvel::page
