#pragma once

#include <functional>

class QWidget;

namespace ui {

// Runs `action` once, when `widget` is first shown: what Qt makes or learns only then (a file
// dialog's own widgets, a window's frame) can be worked on there.
void AtFirstShow(QWidget& widget, std::function<void()> action);

}  // namespace ui
