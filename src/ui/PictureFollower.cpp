#include "ui/PictureFollower.h"

#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "page/PageEngine.h"
#include "page/PagePictures.h"
#include "ui/ErrorBox.h"

namespace ui {

PictureFollower::PictureFollower(QObject* parent, QWidget* context, std::function<void()> changed)
    : QObject(parent), context_(context), changed_(std::move(changed)), soon_(new QTimer(this)) {
    soon_->setSingleShot(true);
    soon_->setInterval(0);
    connect(soon_, &QTimer::timeout, this, [this] {
        RunGuarded(context_ ? context_->window() : nullptr, [this] { changed_(); });
    });
    if (auto* pictures = quorvel::page::PagePictures::Ensure())
        connect(pictures, &quorvel::page::PagePictures::pictureChanged, this,
                [this](const QString& url) { check(url.toStdString()); });
}

void PictureFollower::Follow(const quorvel::page::PageLayout& layout, Which which) {
    followed_ = layout.PicturesSeen();
    if (which == Which::Unsized) {
        const auto& unsized = layout.UnsizedPictures();
        std::erase_if(followed_, [&](const quorvel::page::PictureSeen& picture) {
            return std::find(unsized.begin(), unsized.end(), picture.url) == unsized.end();
        });
    }
    soon_->stop();
    if (std::any_of(followed_.begin(), followed_.end(),
                    [this](const auto& picture) { return changedSince(picture); }))
        soon_->start();
}

void PictureFollower::Forget() {
    followed_.clear();
    soon_->stop();
}

void PictureFollower::check(const std::string& url) {
    const auto found = std::find_if(followed_.begin(), followed_.end(),
                                    [&](const auto& picture) { return picture.url == url; });
    if (found != followed_.end() && changedSince(*found)) soon_->start();
}

// One the store has let go of, for a later page, is no news: laying this page out again would
// only fetch it again. One forgotten before it was fetched (it looked like an address being
// typed) is: laid out again, this page names it anew.
bool PictureFollower::changedSince(const quorvel::page::PictureSeen& picture) const {
    using quorvel::page::PictureState;
    const auto* pictures = quorvel::page::PagePictures::Shared();
    if (!pictures) return false;
    const auto now = pictures->Find(QString::fromStdString(picture.url)).state;
    if (now == PictureState::Unknown) return picture.state == PictureState::Loading;
    return now != picture.state;
}

}  // namespace ui
