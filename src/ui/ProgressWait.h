#pragma once

#include <functional>

#include "ui/DialogSeam.h"

// The real dialogs' progress wait: a QProgressDialog after the delay, an event loop that holds
// back input until then.
bool waitShowingProgress(QWidget* parent, const QString& caption, const QString& label, int delayMs,
                         const std::function<DialogSeam::Progress()>& poll,
                         const std::function<void()>& cancel);
