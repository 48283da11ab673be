#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

#include "page/PictureState.h"

class QTimer;
class QWidget;

namespace quorvel::page {
class PageLayout;
}

namespace ui {

// Tells a view of the page when one of the pictures it was laid out with has come, failed or
// been blocked since, so its boxes may have changed: once for all that change together, from
// the event loop. A picture that changed while the page was still being laid out counts too,
// so a layout made on the page thread never keeps a stale box.
class PictureFollower : public QObject {
    Q_OBJECT
  public:
    enum class Which { All, Unsized };

    // `context`'s window shows an error of `changed`; null for a follower without a window.
    PictureFollower(QObject* parent, QWidget* context, std::function<void()> changed);

    // Follows the pictures of `layout` (those it laid out without their size, for Unsized).
    void Follow(const quorvel::page::PageLayout& layout, Which which = Which::All);
    void Forget();

  private:
    void check(const std::string& url);
    bool changedSince(const quorvel::page::PictureSeen& picture) const;

    QWidget* context_;
    std::function<void()> changed_;
    QTimer* soon_;
    std::vector<quorvel::page::PictureSeen> followed_;
};

}  // namespace ui
