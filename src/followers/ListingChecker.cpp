#include "followers/ListingChecker.h"

#include "document/SheetDocument.h"
#include "sheet/HtmlGenerator.h"
#include "ui/Delay.h"
#ifdef QUORVEL_HAVE_PAGE
#include "page/PageEngine.h"
#include "page/PageLayoutWorker.h"
#include "page/PagePictures.h"
#include "ui/PictureFollower.h"
#endif

#include <algorithm>

TListingChecker::TListingChecker(TSheetDocument& document, QObject* parent)
    : QObject(parent),
      document_(document),
      timer_(new ui::Delay(std::chrono::milliseconds(kDelayMs), this)) {
    timer_->setObjectName(QStringLiteral("ListingCheckTimer"));
    connect(timer_, &ui::Delay::due, this, &TListingChecker::checkWhenMeasured);
    connect(&document, &TSheetDocument::changed, this, &TListingChecker::schedule);
#ifdef QUORVEL_HAVE_PAGE
    // A picture the page's width waited for has come or failed: the width is measured again.
    pictures_ = new ui::PictureFollower(this, nullptr, [this] {
        measure_.reset();
        schedule();
    });
#endif
}

void TListingChecker::SetMaxChars(std::size_t chars) {
    if (chars == options_.maxChars || chars == 0) return;
    options_.maxChars = chars;
    schedule();
}

void TListingChecker::SetPhoneWidth(int cssPixels) {
    if (cssPixels == options_.phoneWidth || cssPixels <= 0) return;
    options_.phoneWidth = cssPixels;
    schedule();
}

void TListingChecker::SetMeasuredWidth(const std::string& tags, int viewport, int pageWidth) {
#ifdef QUORVEL_HAVE_PAGE
    // The engine measures for itself; a browser's figure would be a second number.
    return;
#endif
    measure_ = Measure{tags, viewport, pageWidth, std::nullopt, {}};
}

// A running timer is kept, not restarted: steady typing still sees the check a few times a
// second.
void TListingChecker::schedule() {
    if (!timer_->IsActive()) timer_->Start();
}

bool TListingChecker::measured(const std::string& tags) const {
    return measure_ && measure_->viewport == options_.phoneWidth && measure_->tags == tags;
}

#ifdef QUORVEL_HAVE_PAGE
TListingChecker::Measure TListingChecker::MeasureOf(const std::string& tags,
                                                    const quorvel::page::PageLayout& layout) {
    return {tags, layout.CssWidth(), layout.PageWidth(), quorvel::page::WideCells(layout),
            layout.UnsizedPictures()};
}
#endif

void TListingChecker::checkWhenMeasured() {
#ifdef QUORVEL_HAVE_PAGE
    const std::string tags = quorvel::BuildHtmlTags(document_.Sheet());
    if (!measured(tags)) {
        if (!worker_) {
            worker_ = new quorvel::page::PageLayoutWorker(
                this, quorvel::page::PageLayoutWorker::Priority::Background);
            connect(worker_, &quorvel::page::PageLayoutWorker::laidOut, this,
                    [this](std::shared_ptr<quorvel::page::PageLayout> layout, quint64 serial) {
                        if (serial != pendingSerial_) return;
                        pendingSerial_ = 0;
                        measure_ = MeasureOf(pendingTags_, *layout);
                        pictures_->Follow(*layout, ui::PictureFollower::Which::Unsized);
                        worker_->Dispose(std::move(layout));
                        // After a change since the request, its own delay brings the check.
                        if (measured(quorvel::BuildHtmlTags(document_.Sheet()))) CheckNow();
                    });
        }
        pendingTags_ = tags;
        pendingSerial_ = worker_->Request(document_.Sheet(), options_.phoneWidth);
        return;
    }
#endif
    CheckNow();
}

const quorvel::ListingCheckResult& TListingChecker::CheckNow() {
    timer_->Stop();
    pendingSerial_ = 0;
    const std::string tags = quorvel::BuildHtmlTags(document_.Sheet());
    quorvel::CheckOptions options = options_;
#ifdef QUORVEL_HAVE_PAGE
    // The page engine's figure, the one the live view and the phone tab show.
    if (!measured(tags)) {
        quorvel::page::PageLayout layout;
        layout.MeasureOnly();
        layout.Layout(tags, options.phoneWidth, quorvel::page::IncludedCellTags(document_.Sheet()));
        measure_ = MeasureOf(tags, layout);
        pictures_->Follow(layout, ui::PictureFollower::Which::Unsized);
    }
#endif
    if (measured(tags)) {
        options.measuredPageWidth = measure_->pageWidth;
        options.measuredWideCells = measure_->wideCells;
#ifdef QUORVEL_HAVE_PAGE
        options.unloadedPictures = quorvel::page::UnloadedPictures(measure_->unsizedPictures);
        quorvel::page::NotePicturesBeyond(measure_->unsizedPictures, options);
#endif
    }
    result_ = quorvel::CheckListing(document_.Sheet(), tags, options);
    emit checked(result_);
    return result_;
}
