// The once-a-second version check and the about box.
#include <QCoreApplication>
#include <QDialog>
#include <QTimer>

#include "dialogs/About.h"
#include "dialogs/Unitnewver.h"
#include "editor/Mainunit.h"
#include "net/HttpClient.h"
#include "platform/NetworkState.h"
#include "sheet/Maker.h"
#include "ui/DialogSeam.h"
#include "ui/ErrorBox.h"
#include "update/HttpVersionFetcher.h"
#include "update/VersionCheck.h"

void TFormMain::buildVersionCheck() {
    StartVersionCheck(quorvel::maker::kUpdateHost, [] { return quorvel::network::IsOnline(); });
}

void TFormMain::StartVersionCheck(const std::string& host, std::function<bool()> isOnline) {
    if (timer1_) timer1_->stop();
    versionCheck_.reset();
    fetcher_.reset();
    httpClient_ = std::make_unique<quorvel::net::THttpClient>();
    // The client waits on the window's thread; keep the windows alive meanwhile.
    httpClient_->SetPump([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 1); });
    fetcher_ = std::make_unique<quorvel::update::HttpVersionFetcher>(*httpClient_);

    if (!timer1_) {
        timer1_ = new QTimer(this);
        timer1_->setObjectName(QStringLiteral("Timer1"));
        timer1_->setInterval(1000);
        connect(timer1_, &QTimer::timeout, this, &TFormMain::Timer1Timer);
    }

    quorvel::update::VersionCheckDeps deps;
    deps.isOnline = std::move(isOnline);
    deps.fetcher = fetcher_.get();
    deps.showNotice = [this] {
        if (!notice_) return;
        notice_->SetVersionText(versionCheck_->VersionText);
        dialogs().execModal(*notice_);
    };
    deps.stopTimer = [this] { timer1_->stop(); };
    deps.url = quorvel::update::VersionFileUrl(host);
    deps.otherInstanceRunning = otherInstanceRunning_;
    deps.runningRelease = quorvel::maker::kRelease;
    versionCheck_ = std::make_unique<quorvel::update::TVersionCheck>(std::move(deps));

    timer1_->start();
}

void TFormMain::Timer1Timer() {
    RunGuarded(this, [this] { versionCheck_->Timer1Timer(); });
}

void TFormMain::SpeedButtonHelpClick() {
    if (about_) dialogs().execModal(*about_);
}
