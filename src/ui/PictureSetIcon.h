#pragma once

#include <QIcon>
#include <QList>
#include <QString>

namespace ui {

// An icon drawn from one square picture file per size: `pattern` with "%1" for the size in
// pixels. A size's file is read when that size is first drawn. QIcon::addFile instead decodes
// every file as it is added and first asks Qt's icon plug-ins about the file's kind, a few
// milliseconds of the editor's start for its window icon.
QIcon pictureSetIcon(const QString& pattern, const QList<int>& sizes);

}  // namespace ui
