#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class PreviewBrowser;

// The browser tabs show the tags after a doctype, as a marketplace's page holds them. Without it
// the browser lays them out in quirks mode, where a right-aligned table and the cells' wrapping
// part from the live view's and the buyer's page.
namespace ui {

inline constexpr qsizetype kDoctypeLength = 17;  // "<!DOCTYPE html>\r\n"

// `tags` after the doctype; tags that start with a doctype of their own are kept as they are.
QByteArray InStandardsMode(const QByteArray& tags);

// Shows `tags` in `view` in standards mode. A page too long to hand over in memory is loaded from
// a copy in the temporary folder, so that the preview file keeps the bytes the user asked for;
// when that copy cannot be written, the original address is loaded.
void ShowInStandardsMode(PreviewBrowser& view, const QByteArray& tags, const QString& mimeType,
                         const QUrl& url, bool inMemory);

}  // namespace ui
