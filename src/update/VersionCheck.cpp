#include "update/VersionCheck.h"

#include <cctype>
#include <climits>
#include <utility>

namespace quorvel::update {

std::string VersionFileUrl(const std::string& host) {
    if (host.empty()) return {};
    return "http://" + host + "/app/QvlVer.txt";
}

int ParseReleaseNumber(const std::string& body) {
    std::string line = body.substr(0, body.find('\n'));
    std::size_t start = 0;
    std::size_t end = line.size();
    while (start < end && static_cast<unsigned char>(line[start]) <= ' ') ++start;
    while (end > start && static_cast<unsigned char>(line[end - 1]) <= ' ') --end;
    if (start == end) return 0;
    std::size_t i = start;
    if (line[i] == '+') ++i;
    if (i == end) return 0;
    long long value = 0;
    for (; i < end; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return 0;
        value = value * 10 + (line[i] - '0');
        if (value > INT_MAX) return 0;
    }
    return static_cast<int>(value);
}

TVersionCheck::TVersionCheck(VersionCheckDeps deps) : deps_(std::move(deps)) {
    if (deps_.fetcher)
        deps_.fetcher->SetOnSuccess(
            [this](int kind, const std::string& body) { HttpClient1Success(kind, body); });
}

TVersionCheck::~TVersionCheck() {
    if (deps_.fetcher) deps_.fetcher->SetOnSuccess(nullptr);
}

bool TVersionCheck::Online() const {
    // Without a host to ask the machine counts as offline, so no request ever goes out.
    if (deps_.url.empty() || !deps_.fetcher) return false;
    return deps_.isOnline && deps_.isOnline();
}

void TVersionCheck::Timer1Timer() {
    if (VersionCheckBusy) return;
    VersionCheckBusy = true;
    if (VersionCheckElapsed < INT_MAX - kTimerPeriodSeconds)
        VersionCheckElapsed += kTimerPeriodSeconds;

    switch (VersionCheckState) {
        case 0:
            if (Online()) VersionCheckState = 1;
            break;
        case 1:
            if (Online()) {
                deps_.fetcher->Cancel();
                deps_.fetcher->Get(deps_.url);
                VersionCheckElapsed = 0;
                VersionCheckState = 2;
            }
            break;
        case 2:
            if (VersionCheckElapsed >= kReplyWaitSeconds) {
                VersionCheckElapsed = 0;
                VersionCheckState = 0;
            } else if (FetchedVersionNumber > 0) {
                VersionCheckState = 3;
            }
            break;
        case 3:
            if (FetchedVersionNumber > deps_.runningRelease && !deps_.otherInstanceRunning &&
                deps_.showNotice)
                deps_.showNotice();
            VersionCheckState = 99;
            break;
        default:
            if (deps_.stopTimer) deps_.stopTimer();
            VersionCheckState = -1;
            break;
    }
    VersionCheckBusy = false;
}

void TVersionCheck::HttpClient1Success(int kind, const std::string& body) {
    if (kind != 0) return;
    VersionText = body;
    FetchedVersionNumber = ParseReleaseNumber(body);
}

}  // namespace quorvel::update
