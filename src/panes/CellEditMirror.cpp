#include "panes/CellEditMirror.h"

#include <cstdlib>

#include "ui/SjisText.h"

void TCellEditMirror::Reset(const QString& boxText) {
    text_ = boxText;
    bytes_ = ui::cellByteLength(text_);
    aligned_ = linesUp();
    mirroredSize_ = cell_.size();
    anchorUnit_ = anchorByte_ = 0;
}

bool TCellEditMirror::linesUp() const {
    if (static_cast<std::size_t>(bytes_) != cell_.size()) return false;
    std::size_t at = 0;
    bool lines = true;
    ui::forEachBoxChar(text_, [&](char32_t ch, int) {
        const int width = ui::boxCharBytes(ch);
        if (!lines || width == 0) {
            lines = false;
            return;
        }
        const bool lineBreak = ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator;
        if (lineBreak != (cell_.compare(at, 2, "\r\n") == 0)) lines = false;
        if (!lineBreak && (cell_[at] == '\r' || cell_[at] == '\n')) lines = false;
        at += static_cast<std::size_t>(width);
    });
    return lines;
}

int TCellEditMirror::BytesBetween(int from, int to) const {
    return ui::cellByteLength(QStringView(text_).mid(from, to - from));
}

int TCellEditMirror::byteOffset(int position) const {
    const int end = Length();
    const int fromStart = position;
    const int fromAnchor = std::abs(position - anchorUnit_);
    const int fromEnd = end - position;
    if (fromStart <= fromAnchor && fromStart <= fromEnd) return BytesBetween(0, position);
    if (fromEnd <= fromAnchor) return bytes_ - BytesBetween(position, end);
    return position >= anchorUnit_ ? anchorByte_ + BytesBetween(anchorUnit_, position)
                                   : anchorByte_ - BytesBetween(position, anchorUnit_);
}

bool TCellEditMirror::Replace(int position, int removed, const QString& reported) {
    // The document may report a wider span than it changed (an input method's commit reports
    // its block): only the part that differs is written, so the bytes around it stay.
    QStringView inserted(reported);
    int same = 0;
    while (same < removed && same < inserted.size() && text_[position + same] == inserted[same])
        ++same;
    // A surrogate pair is one character of the cell: it is kept or replaced whole.
    if (same > 0 && text_[position + same - 1].isHighSurrogate()) --same;
    position += same;
    removed -= same;
    inserted = inserted.mid(same);
    int kept = 0;
    while (kept < removed && kept < inserted.size() &&
           text_[position + removed - 1 - kept] == inserted[inserted.size() - 1 - kept])
        ++kept;
    if (kept > 0 && text_[position + removed - kept].isLowSurrogate()) --kept;
    removed -= kept;
    inserted.chop(kept);
    if (removed == 0 && inserted.isEmpty()) return false;
    const int removedBytes = BytesBetween(position, position + removed);
    const int insertedBytes = ui::cellByteLength(inserted);
    const bool inPlace = aligned_ && cell_.size() == mirroredSize_;
    const int at = inPlace ? byteOffset(position) : 0;
    text_.replace(position, removed, inserted.data(), inserted.size());
    if (inPlace) {
        cell_.replace(static_cast<std::size_t>(at), static_cast<std::size_t>(removedBytes),
                      ui::boxTextToCell(inserted));
        anchorUnit_ = position + static_cast<int>(inserted.size());
        anchorByte_ = at + insertedBytes;
        mirroredSize_ = cell_.size();
    } else {
        rewriteWhole();
    }
    bytes_ += insertedBytes - removedBytes;
    return true;
}

bool TCellEditMirror::Rebuild(const QString& boxText) {
    if (boxText == text_) return false;
    text_ = boxText;
    rewriteWhole();
    bytes_ = static_cast<int>(cell_.size());
    return true;
}

void TCellEditMirror::rewriteWhole() {
    cell_ = ui::boxTextToCell(text_);
    aligned_ = true;
    mirroredSize_ = cell_.size();
    anchorUnit_ = anchorByte_ = 0;
}
