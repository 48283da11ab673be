#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "sheet/DescriptionSheet.h"
#include "sheet/ListingCheck.h"

// The rules one marketplace publishes beyond what every listing page needs: each finding's
// message begins with the marketplace's name, so a list read later still says whose rule it is.
namespace quorvel {

// The listed marketplaces in the order a choice offers them.
inline constexpr CheckMarket kCheckMarkets[] = {CheckMarket::Generic, CheckMarket::Yahoo,
                                                CheckMarket::Ebay, CheckMarket::Text};

// The marketplace's key as stored and typed on the command line: "generic", "yahoo", "ebay",
// "text".
const char* CheckMarketKey(CheckMarket market);
// Nothing for a key that names no marketplace.
std::optional<CheckMarket> ParseCheckMarket(std::string_view key);
// As a choice shows it, UTF-8: "汎用", "Yahoo!オークション", "eBay",
// "テキストのみ (Yahoo!フリマ・メルカリ・ラクマ)".
const char* CheckMarketName(CheckMarket market);

// eBay's published limits.
inline constexpr std::size_t kEbayMaxChars = 500000;
inline constexpr int kEbayMaxImageWidth = 700;
inline constexpr std::size_t kEbayPhoneShownChars = 800;
// The plain-text marketplaces' limit, counted as the plain rendition counts.
inline constexpr std::size_t kTextMarketMaxChars = 1000;

// True for a host name of one of eBay's own sites ("www.ebay.com", "ebay.co.uk").
bool IsEbayHost(std::string_view host);

// Adds the findings of `market`'s rules for `sheet`, whose tag text is `tagChars` characters
// long, to the general `findings`. A general finding that a marketplace rule states for that
// marketplace (the same kind over the same text) gives way to it. The order stays: by cell, then
// the footer and the page.
void AddMarketFindings(const TDescriptionSheet& sheet, std::size_t tagChars, CheckMarket market,
                       std::vector<CheckFinding>& findings);

}  // namespace quorvel
