#pragma once

#include <functional>
#include <string>

namespace quorvel::update {

// The part of an HTTP client the check uses. Get returns when the request is over and reports a
// usable reply through the success handler before it returns.
class VersionFetcher {
  public:
    using SuccessHandler = std::function<void(int kind, const std::string& body)>;
    virtual ~VersionFetcher() = default;
    virtual void Cancel() = 0;
    virtual void Get(const std::string& url) = 0;
    virtual void SetOnSuccess(SuccessHandler handler) = 0;
};

// The URL of the version file on `host` ("host" or "host:port"); empty when there is no host.
std::string VersionFileUrl(const std::string& host);

// The release number in the first line of a version file, 0 when it holds none.
int ParseReleaseNumber(const std::string& body);

struct VersionCheckDeps {
    std::function<bool()> isOnline;
    VersionFetcher* fetcher = nullptr;  // not owned; outlives the check
    std::function<void()> showNotice;   // modal: returns when the notice is closed
    std::function<void()> stopTimer;
    std::string url;  // empty: the check never asks
    bool otherInstanceRunning = false;
    int runningRelease = 172;
};

// The version check, driven by a one-second tick. States: 0 wait for the network, 1 send the
// request, 2 wait for the reply, 3 notify, 99 finish, -1 stopped.
class TVersionCheck {
  public:
    static constexpr int kTimerPeriodSeconds = 1;
    static constexpr int kReplyWaitSeconds = 10;

    explicit TVersionCheck(VersionCheckDeps deps);
    ~TVersionCheck();
    TVersionCheck(const TVersionCheck&) = delete;
    TVersionCheck& operator=(const TVersionCheck&) = delete;

    // The tick. An error raised by the request leaves the tick with VersionCheckBusy still set, so
    // every later tick returns at once: the check ends for this run.
    void Timer1Timer();
    void Tick() { Timer1Timer(); }

    void HttpClient1Success(int kind, const std::string& body);

    int VersionCheckState = 0;
    int VersionCheckElapsed = 0;
    bool VersionCheckBusy = false;
    std::string VersionText;       // the whole body of the last successful reply
    int FetchedVersionNumber = 0;  // the release read from it

  private:
    bool Online() const;

    VersionCheckDeps deps_;
};

}  // namespace quorvel::update
