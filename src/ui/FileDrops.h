#pragma once

#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

namespace ui {

// The local files a drag carries, in the order it lists them; empty for text, web addresses and
// anything else that is no file.
QStringList DroppedFiles(const QMimeData* data);

// Makes `target` and everything in it (unless a child takes the drag) a place where files are
// dropped: the drop is accepted at once and `open` runs with the files after the drop has ended,
// so a question it asks does not hold the program the files came from.
void AcceptFileDrops(QWidget& target, std::function<void(const QStringList&)> open);

}  // namespace ui
