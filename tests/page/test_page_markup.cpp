#include "page/PageMarkup.h"

#include <gtest/gtest.h>

#include <string>

using quorvel::page::PageDocument;

namespace {

// The body PageDocument makes, the marks written as {mark}, {strut} and {empty}.
std::string Body(const std::string& tags) {
    std::string body = PageDocument(tags);
    const std::string head = "<!DOCTYPE html><html><head></head><body>";
    EXPECT_EQ(body.rfind(head, 0), 0u);
    body =
        body.substr(head.size(), body.size() - head.size() - std::string("</body></html>").size());
    for (const auto& [mark, name] :
         {std::pair{std::string(quorvel::page::kEmptyLineStrut), "{empty}"},
          std::pair{std::string(quorvel::page::kLineStrut), "{strut}"},
          std::pair{std::string(quorvel::page::kEmptyLineMark), "{mark}"}})
        for (std::size_t at; (at = body.find(mark)) != std::string::npos;)
            body.replace(at, mark.size(), name);
    return body;
}

}  // namespace

// The pre-pass reads the tags as the engine will (sheet/CellMarkup.h): a "<" that starts no tag
// is text, a quoted ">" is the attribute's, empty and bogus comments show nothing.
TEST(PageMarkup, ThePrePassReadsTheTagsAsABrowserDoes) {
    const std::pair<const char*, const char*> cases[] = {
        {"<td>a<br>  b</td>", "<td>{mark}a<br>{strut}b</td>"},
        {"<td>a < b<br>  c</td>", "<td>{mark}a < b<br>{strut}c</td>"},
        {"<td><a href=\"x>y\"><br>  z</a></td>",
         "<td><a href=\"x>y\">{empty}<br>{strut}z</a></td>"},
        {"<p>x<br>  <!-->  y</p>", "<p>{mark}x<br>{strut}<!-->y</p>"},
        {"<td>x<br> </> y</td>", "<td>{mark}x<br>{strut}</>y</td>"},
        // A tag the text ends inside goes to the engine as it is, which drops it.
        {"<p>x <br y", "<p>{mark}x <br y"},
    };
    for (const auto& [tags, body] : cases) EXPECT_EQ(Body(tags), body) << tags;
}
