#include "followers/VersionCheckDriver.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include "dialogs/Unitnewver.h"
#include "net/HttpClient.h"
#include "sheet/Maker.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"
#include "ui/Guarded.h"
#include "update/HttpVersionFetcher.h"
#include "update/VersionCheck.h"

TVersionCheckDriver::TVersionCheckDriver(QWidget* window, bool otherInstanceRunning)
    : QObject(window), window_(window), otherInstanceRunning_(otherInstanceRunning) {
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1000);
    ui::connectGuarded(timer1_, &QTimer::timeout, window_, [this] { tick(); });
}

TVersionCheckDriver::~TVersionCheckDriver() {
    timer1_->stop();
}

void TVersionCheckDriver::Start(const std::string& host, std::function<bool()> isOnline) {
    timer1_->stop();
    cancelled_ = false;
    versionCheck_.reset();
    fetcher_.reset();
    httpClient_ = std::make_unique<quorvel::net::THttpClient>();
    // The client waits on the window's thread; keep the windows alive meanwhile.
    httpClient_->SetPump([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 1); });
    fetcher_ = std::make_unique<quorvel::update::HttpVersionFetcher>(*httpClient_);

    quorvel::update::VersionCheckDeps deps;
    deps.isOnline = std::move(isOnline);
    deps.fetcher = fetcher_.get();
    deps.showNotice = [this] {
        if (!notice_) return;
        TNewVerForm& notice = notice_();
        notice.SetVersionText(versionCheck_->VersionText);
        dialogs().execModal(notice);
    };
    deps.stopTimer = [this] { timer1_->stop(); };
    deps.url = quorvel::update::VersionFileUrl(host);
    deps.otherInstanceRunning = otherInstanceRunning_;
    deps.runningRelease = quorvel::maker::kRelease;
    versionCheck_ = std::make_unique<quorvel::update::TVersionCheck>(std::move(deps));

    timer1_->start();
}

void TVersionCheckDriver::Timer1Timer() {
    RunGuarded(window_, [this] { tick(); });
}

void TVersionCheckDriver::tick() {
    if (!versionCheck_) return;
    try {
        versionCheck_->Timer1Timer();
    } catch (...) {
        // A request cancelled because the window closed is no error to show.
        if (!cancelled_) throw;
    }
}

void TVersionCheckDriver::Cancel() {
    cancelled_ = true;
    timer1_->stop();
    if (httpClient_) httpClient_->Cancel();
}
