#pragma once

class QFileDialog;

namespace ui {

// Qt's own file dialog opens small, with its size and date columns cut ("23.…KiB"). This gives
// it a roomier default size (within the screen's free area) and widens the detail view's size,
// type and date columns to what their texts need; the name column takes the rest.
void FitFileDialog(QFileDialog& dialog);

}  // namespace ui
