#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include "ui/UrlOpener.h"

namespace uitest {

// A mouse movement over `widget` at `pos` (its own coordinates), no button held.
inline void MoveOver(QWidget* widget, QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(widget->mapToGlobal(pos)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

inline QColor TextColour(QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

// Types text the way an input method commits it (QTest only types ASCII).
inline void TypeInto(QWidget* box, const QString& text) {
    box->setFocus(Qt::TabFocusReason);
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(box, &event);
}

// Records the addresses handed to the desktop instead of opening them.
class RecordingUrlOpener {
  public:
    RecordingUrlOpener() {
        setUrlOpener([this](const QUrl& url) {
            opened << url.toString();
            return true;
        });
    }
    ~RecordingUrlOpener() { setUrlOpener(nullptr); }
    QStringList opened;
};

}  // namespace uitest
