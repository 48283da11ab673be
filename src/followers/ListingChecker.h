#pragma once

#include <QObject>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "sheet/ListingCheck.h"

class TSheetDocument;
namespace quorvel::page {
class PageLayout;
class PageLayoutWorker;
}  // namespace quorvel::page
namespace ui {
class Delay;
class PictureFollower;
}  // namespace ui

// Runs the listing check on the sheet a moment after it changed, so a burst of typing or an
// apply-to-all costs one check, and hands the result to whoever shows it. The page's width comes
// from the page engine where the build has it, laid out off the window's thread after a change so
// that typing never waits for it, else from a browser's measure for as long as the tag text is
// the one that was measured.
class TListingChecker : public QObject {
    Q_OBJECT
  public:
    static constexpr int kDelayMs = 300;

    explicit TListingChecker(TSheetDocument& document, QObject* parent = nullptr);

    std::size_t MaxChars() const { return options_.maxChars; }
    void SetMaxChars(std::size_t chars);
    int PhoneWidth() const { return options_.phoneWidth; }
    // The marketplace whose rules the check adds; the next check follows a change.
    quorvel::CheckMarket Market() const { return options_.market; }
    void SetMarket(quorvel::CheckMarket market) { options_.market = market; }
    void SetPhoneWidth(int cssPixels);
    // The page `tags` (code page 932) was `pageWidth` wide laid out at `viewport` CSS pixels.
    void SetMeasuredWidth(const std::string& tags, int viewport, int pageWidth);

    // Checks a moment from now, off the window's thread where the page must be laid out.
    void CheckSoon() { schedule(); }
    // Checks the sheet as it is now and tells the result, laying the page out here if need be.
    const quorvel::ListingCheckResult& CheckNow();
    const quorvel::ListingCheckResult& Result() const { return result_; }
    // The delay after a change, counted on the product's clock.
    ui::Delay* Timer() const { return timer_; }

  signals:
    void checked(const quorvel::ListingCheckResult& result);

  private:
    void schedule();
    // After the delay: checks at once when the page's width is known, else once it is measured.
    void checkWhenMeasured();
    // True when the measure kept is of `tags` at the phone width chosen now.
    bool measured(const std::string& tags) const;

    TSheetDocument& document_;
    quorvel::CheckOptions options_;
    quorvel::ListingCheckResult result_;
    struct Measure {
        std::string tags;
        int viewport = 0;
        int pageWidth = 0;
        std::optional<std::vector<int>> wideCells;
        // Pictures that take their own size and had none when the page was laid out.
        std::vector<std::string> unsizedPictures;
    };
    // The engine's figures for `tags` as laid out in `layout`.
    static Measure MeasureOf(const std::string& tags, const quorvel::page::PageLayout& layout);
    std::optional<Measure> measure_;
    ui::Delay* timer_ = nullptr;
    quorvel::page::PageLayoutWorker* worker_ = nullptr;
    ui::PictureFollower* pictures_ = nullptr;
    // The measure asked of the worker and not yet come, and the tags it is of.
    quint64 pendingSerial_ = 0;
    std::string pendingTags_;
};
