#include "ui/StandardsPage.h"

#include <string>
#include <string_view>

#include "platform/FileIo.h"
#include "platform/TempDir.h"
#include "ui/PreviewBrowser.h"
#include "ui/SjisText.h"

namespace ui {

namespace {

const QByteArray& Doctype() {
    static const QByteArray kDoctype = QByteArrayLiteral("<!DOCTYPE html>\r\n");
    return kDoctype;
}

QUrl CopyInTemporaryFolder(const QByteArray& page, const QUrl& original) {
    const quorvel::TempPathResult dir = quorvel::TempDirectory();
    if (!dir.ok()) return original;
    const std::string path = dir.path + "PreviewPage.htm";
    const quorvel::fileio::WriteOutcome written = quorvel::fileio::ReplaceFileContents(
        path, std::string_view(page.constData(), static_cast<std::size_t>(page.size())));
    if (written != quorvel::fileio::WriteOutcome::Ok) return original;
    return QUrl::fromLocalFile(pathFromNative(path));
}

}  // namespace

QByteArray InStandardsMode(const QByteArray& tags) {
    static const QByteArray kOpening = QByteArrayLiteral("<!doctype");
    if (tags.trimmed().left(kOpening.size()).compare(kOpening, Qt::CaseInsensitive) == 0)
        return tags;
    return Doctype() + tags;
}

void ShowInStandardsMode(PreviewBrowser& view, const QByteArray& tags, const QString& mimeType,
                         const QUrl& url, bool inMemory) {
    const QByteArray page = InStandardsMode(tags);
    if (inMemory)
        view.setContent(page, mimeType, url);
    else
        view.load(CopyInTemporaryFolder(page, url));
}

}  // namespace ui
