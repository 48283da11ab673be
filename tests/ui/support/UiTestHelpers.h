#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QtTest>

#include <functional>

#include "platform/Clock.h"
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

// Types one character of `text` into `box` every 10 ms while the event loop runs, as a steady
// typist would, until `until` holds after a character or the text runs out. A timer never fires
// early, so the typing takes at least 10 ms per character however loaded the machine is: text
// longer than a delay shows whether something came while the typing still went on.
class SteadyTypist {
  public:
    SteadyTypist(QWidget* box, QString text, std::function<bool()> until)
        : box_(box), text_(std::move(text)), until_(std::move(until)) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            TypeInto(box_, text_.mid(typed_++, 1));
            reached_ = until_();
            if (reached_ || typed_ >= text_.size()) timer_.stop();
        });
        timer_.start();
    }
    // Waits until the typing has stopped; a ceiling only for a hung event loop.
    bool Finish() {
        return QTest::qWaitFor([this] { return !timer_.isActive(); }, 120000);
    }
    qsizetype Typed() const { return typed_; }
    // Whether `until` came true while there was still text to type.
    bool Reached() const { return reached_; }

  private:
    QWidget* box_;
    QString text_;
    std::function<bool()> until_;
    QTimer timer_;
    qsizetype typed_ = 0;
    bool reached_ = false;
};

// The product's delays counted on a clock the test moves, while this lives. Made before the
// windows that count on it, gone after them.
class TestClock : public quorvel::ManualClock {
  public:
    TestClock() { quorvel::Clock::SetProduct(this); }
    ~TestClock() override { quorvel::Clock::SetProduct(nullptr); }
};

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
