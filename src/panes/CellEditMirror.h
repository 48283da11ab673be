#pragma once

#include <QString>

#include <string>

// Keeps a cell's code page 932 bytes in step with its text box by applying each change of the
// box's text to the bytes where it happened, so a keystroke costs the same in a full cell as in
// an empty one and bytes the user never touched (a loaded cell's undecodable bytes, and either
// code of a character code page 932 has two codes for) stay as they were loaded.
//
// The box's text is held as the box's document holds it: blocks separated by U+2029.
class TCellEditMirror {
  public:
    explicit TCellEditMirror(std::string& cellBytes) : cell_(cellBytes) {}

    // The box now shows the cell's own bytes (a reset or a load): nothing is written back.
    void Reset(const QString& boxText);
    // The box's units [position, position + removed) became reported. Returns false when the
    // text did not change (a change of format or of an input method's composition).
    bool Replace(int position, int removed, const QString& reported);
    // Takes the box's whole text when its changes could not be followed one by one.
    bool Rebuild(const QString& boxText);

    int Length() const { return static_cast<int>(text_.size()); }
    // Bytes the box's text takes in the cell (line breaks as CR LF).
    int Bytes() const { return bytes_; }
    int BytesBetween(int from, int to) const;

  private:
    // Byte offset in the cell of a unit position, walked from the nearest known point.
    int byteOffset(int position) const;
    bool linesUp() const;
    // The whole cell written again from the box text: for bytes that do not line up.
    void rewriteWhole();

    std::string& cell_;
    QString text_;
    int bytes_ = 0;
    // The cell's bytes line up unit by unit with text_; if not (a loaded lone LF, say), the
    // first edit writes the whole text once and they do from then on.
    bool aligned_ = false;
    std::size_t mirroredSize_ = 0;  // the cell's size after our last write, to notice others'
    int anchorUnit_ = 0;            // the end of the last edit and its byte offset
    int anchorByte_ = 0;
};
