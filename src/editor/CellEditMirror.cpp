#include "editor/CellEditMirror.h"

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
    for (QChar unit : text_) {
        const int width = ui::boxUnitBytes(unit.unicode());
        if (width == 0) return false;
        const bool lineBreak = unit == QChar::ParagraphSeparator || unit == QChar::LineSeparator;
        if (lineBreak != (cell_.compare(at, 2, "\r\n") == 0)) return false;
        if (!lineBreak && (cell_[at] == '\r' || cell_[at] == '\n')) return false;
        at += static_cast<std::size_t>(width);
    }
    return true;
}

int TCellEditMirror::BytesBetween(int from, int to) const {
    int bytes = 0;
    for (int i = from; i < to; ++i) bytes += ui::boxUnitBytes(text_[i].unicode());
    return bytes;
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
    position += same;
    removed -= same;
    inserted = inserted.mid(same);
    while (removed > 0 && !inserted.isEmpty() &&
           text_[position + removed - 1] == inserted[inserted.size() - 1]) {
        --removed;
        inserted.chop(1);
    }
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
