#include "page/PageStyle.h"

#include <algorithm>
#include <array>

namespace quorvel::page {
namespace {

constexpr const char* kBase = R"css(
html, address, blockquote, body, center, dd, dialog, div, dl, dt, fieldset, figure, figcaption,
footer, form, header, hr, legend, li, main, nav, ol, p, pre, section, article, aside, ul,
h1, h2, h3, h4, h5, h6 { display: block; }
head, script, style, title, meta, link, template, noscript, base, param, area, datalist { display: none; }
[hidden] { display: none; }
body { margin: 8px; }
p, dl, blockquote, figure, pre, ul, ol { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin-left: 40px; margin-right: 40px; }
dd { margin-left: 40px; }
center { text-align: center; }
h1 { font-size: 2em; margin-top: 0.67em; margin-bottom: 0.67em; font-weight: bold; }
h2 { font-size: 1.5em; margin-top: 0.83em; margin-bottom: 0.83em; font-weight: bold; }
h3 { font-size: 1.17em; margin-top: 1em; margin-bottom: 1em; font-weight: bold; }
h4 { margin-top: 1.33em; margin-bottom: 1.33em; font-weight: bold; }
h5 { font-size: 0.83em; margin-top: 1.67em; margin-bottom: 1.67em; font-weight: bold; }
h6 { font-size: 0.67em; margin-top: 2.33em; margin-bottom: 2.33em; font-weight: bold; }
b, strong, th { font-weight: bold; }
i, em, cite, var, dfn, address { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
small { font-size: smaller; }
big { font-size: larger; }
sub { vertical-align: sub; font-size: smaller; }
sup { vertical-align: super; font-size: smaller; }
pre { white-space: pre; }
a[href] { color: #0000EE; text-decoration: underline; cursor: pointer; }
hr { border: 1px inset #808080; margin: 0.5em auto; height: 0; }
ul, ol { padding-left: 40px; }
ul { list-style-type: disc; }
ol { list-style-type: decimal; }
ul ul, ol ul { list-style-type: circle; margin-top: 0; margin-bottom: 0; }
ol ol, ul ol { margin-top: 0; margin-bottom: 0; }
li { display: list-item; }
table { display: table; border-collapse: separate; border-spacing: 2px; border-color: #808080; }
caption { display: table-caption; text-align: center; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
colgroup { display: table-column-group; }
col { display: table-column; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; border: 0 none; }
th { text-align: center; }
td[nowrap], th[nowrap] { white-space: nowrap; }
img { display: inline-block; vertical-align: bottom; margin-bottom: 0.29em; max-width: 10000px; max-height: 10000px; }
br { display: block; }
/* A browser collapses the margins through the empty paragraphs a table closes before and
   after itself; the engine stacks them, so they keep one margin each. */
body > p:first-child { margin-bottom: 0; }
body > table + p { margin-top: 0; }
)css";

// Writes `rule` for each of the ways a seller may spell an attribute value.
void ForSpellings(std::string& out, const std::string& selectorFormat, const std::string& value,
                  const std::string& declarations) {
    std::string upper = value;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const std::string& spelling : {value, upper}) {
        std::string selector = selectorFormat;
        const auto at = selector.find('@');
        selector.replace(at, 1, spelling);
        out += selector + " { " + declarations + " }\n";
        if (upper == value) break;
    }
}

std::string Build() {
    std::string sheet = kBase;
    // Every rule is tried on every element: the sheet stays short for the layout's sake.
    for (const char* tag : {"p", "div", "td", "th"}) {
        for (const char* align : {"left", "center", "right", "justify"}) {
            ForSpellings(sheet, std::string(tag) + "[align=\"@\"]", align,
                         std::string("text-align: ") + align + ";");
        }
    }
    ForSpellings(sheet, "table[align=\"@\"]", "center", "margin-left: auto; margin-right: auto;");
    ForSpellings(sheet, "table[align=\"@\"]", "left", "float: left;");
    ForSpellings(sheet, "table[align=\"@\"]", "right", "float: right;");
    ForSpellings(sheet, "img[align=\"@\"]", "left", "float: left;");
    ForSpellings(sheet, "img[align=\"@\"]", "right", "float: right;");
    // A browser drops VALIGN's "center"; the cell then inherits the row's middle.
    for (const char* tag : {"td", "tr"}) {
        for (const auto& [word, value] : std::array<std::pair<const char*, const char*>, 3>{
                 {{"top", "top"}, {"middle", "middle"}, {"bottom", "bottom"}}}) {
            ForSpellings(sheet, std::string(tag) + "[valign=\"@\"]", word,
                         std::string("vertical-align: ") + value + " !important;");
        }
    }
    // The padding and the cells' borders a table's attributes give its own cells.
    for (const char* cells : {"table[cellpadding=\"@\"] > tbody > tr > td"}) {
        for (int n = 0; n <= 20; ++n)
            ForSpellings(sheet, cells, std::to_string(n), "padding: " + std::to_string(n) + "px;");
    }
    for (int n = 1; n <= 10; ++n) {
        const std::string value = std::to_string(n);
        ForSpellings(sheet, "table[border=\"@\"]", value,
                     "border: " + value + "px outset #808080;");
        for (const char* cells :
             {"table[border=\"@\"] > tbody > tr > td", "table[border=\"@\"] > tbody > tr > th",
              "table[border=\"@\"] > thead > tr > td"})
            ForSpellings(sheet, cells, value, "border: 1px inset #808080;");
    }
    ForSpellings(sheet, "table[border=\"@\"]", "", "border: 1px outset #808080;");
    // FONT SIZE 1..7, and relative to 3 with a sign, clamped as a browser clamps it.
    static constexpr std::array<int, 8> kSizePx = {10, 10, 13, 16, 18, 24, 32, 48};
    for (int n = 0; n <= 9; ++n) {
        const int px = kSizePx[std::clamp(n, 1, 7)];
        const std::string rule = "font-size: " + std::to_string(px) + "px !important;";
        ForSpellings(sheet, "font[size=\"@\"]", std::to_string(n), rule);
        const int plus = kSizePx[std::clamp(3 + n, 1, 7)];
        ForSpellings(sheet, "font[size=\"@\"]", "+" + std::to_string(n),
                     "font-size: " + std::to_string(plus) + "px !important;");
        const int minus = kSizePx[std::clamp(3 - n, 1, 7)];
        ForSpellings(sheet, "font[size=\"@\"]", "-" + std::to_string(n),
                     "font-size: " + std::to_string(minus) + "px !important;");
    }
    return sheet;
}

}  // namespace

const std::string& UserAgentStyleSheet() {
    static const std::string sheet = Build();
    return sheet;
}

}  // namespace quorvel::page
