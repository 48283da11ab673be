#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QTimer;
class QWidget;
class TNewVerForm;

namespace quorvel {
namespace net {
class THttpClient;
}
namespace update {
class TVersionCheck;
class VersionFetcher;
}  // namespace update
}  // namespace quorvel

// Runs the version check on the window's thread: the once-a-second Timer1, the HTTP client and
// its fetcher, and the check itself. The main window owns it; the notice window arrives later.
class TVersionCheckDriver : public QObject {
    Q_OBJECT
  public:
    TVersionCheckDriver(QWidget* window, bool otherInstanceRunning);
    ~TVersionCheckDriver() override;

    // The notice is asked for only when a newer release is to be announced.
    void SetNotice(std::function<TNewVerForm&()> notice) { notice_ = std::move(notice); }
    // (Re)starts the check against `host` ("host[:port]"; empty: never asks).
    void Start(const std::string& host, std::function<bool()> isOnline);
    // One tick of the check; an error goes to the error box.
    void Timer1Timer();
    // Ends a request in flight and stops the ticks; the cancelled request reports nothing.
    void Cancel();

    QTimer* Timer1() const { return timer1_; }
    quorvel::update::TVersionCheck* VersionCheck() const { return versionCheck_.get(); }

  private:
    void tick();

    QWidget* window_;
    bool otherInstanceRunning_;
    bool cancelled_ = false;
    std::function<TNewVerForm&()> notice_;
    QTimer* timer1_ = nullptr;
    std::unique_ptr<quorvel::net::THttpClient> httpClient_;
    std::unique_ptr<quorvel::update::VersionFetcher> fetcher_;
    std::unique_ptr<quorvel::update::TVersionCheck> versionCheck_;
};
