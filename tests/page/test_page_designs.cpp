// Each built-in design on the sample listing, laid out as a phone shows it.
#include <gtest/gtest.h>

#include "page/PageEngine.h"
#include "sheet/BuiltinDesigns.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"

namespace {

using namespace quorvel;

TEST(BuiltinDesignPages, EachFitsAPhoneAndPassesTheMeasuredCheck) {
    for (const NamedDesign& d : BuiltinDesigns()) {
        SCOPED_TRACE(d.name);
        TDescriptionSheet sheet = SampleListing();
        ApplyDesign(d.design, sheet);
        page::PageLayout layout;
        layout.LayoutSheet(sheet, kDefaultPhoneWidth);
        ASSERT_FALSE(layout.ShownAsText());
        EXPECT_LE(layout.PageWidth(), kDefaultPhoneWidth);
        EXPECT_TRUE(page::WideCells(layout).empty());
        // Every included cell is on the page, so the thumbnails show the whole sample.
        EXPECT_EQ(layout.Cells().size(), page::IncludedCellTags(sheet).size());

        CheckOptions options;
        options.measuredPageWidth = layout.PageWidth();
        options.measuredWideCells = page::WideCells(layout);
        const auto result = CheckListing(sheet, BuildHtmlTags(sheet), options);
        for (const CheckFinding& f : result.findings) ADD_FAILURE() << FindingLine(f);
    }
}

}  // namespace
