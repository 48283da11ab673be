#include "ui/UrlOpener.h"

#include <QDesktopServices>

namespace {

UrlOpenerFunction& installedOpener() {
    static UrlOpenerFunction opener;
    return opener;
}

}  // namespace

bool openUrl(const QUrl& url) {
    if (!url.isValid()) return false;
    if (const UrlOpenerFunction& opener = installedOpener()) return opener(url);
    return QDesktopServices::openUrl(url);
}

void setUrlOpener(UrlOpenerFunction opener) {
    installedOpener() = std::move(opener);
}
