#pragma once

#include <QList>
#include <QString>

#include <functional>

// Where a browser draws text in the colour emoji face rather than the page's: emoji that show as
// pictures by default, any character asking for its picture (U+FE0F), flags, and the sequences
// that join them. Qt 6.4 takes the page's face for every character it has, so the page's own
// few emoji-like glyphs would otherwise be drawn and measured in place of the pictures.
namespace quorvel::page {

// Calls `run` for each stretch of `text` in order, with whether it is drawn as emoji.
void ForEachEmojiRun(const QString& text,
                     const std::function<void(QStringView run, bool emoji)>& run);

}  // namespace quorvel::page
