#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>

#include <cstdint>

class QWidget;

// The desktop's request to close the main window while a box is open over it. Qt drops such a
// request, as the box blocks the window, so a seller who closes the window from the task bar
// waits for a box they may not even see. A box with nothing to decide (the new-version notice,
// a message box with only OK) is dismissed instead and the window then closes as usual: the
// save question still comes. Any other open dialog keeps the window waiting, as before.
class TCloseWithBoxes final : public QAbstractNativeEventFilter {
  public:
    explicit TCloseWithBoxes(QWidget& main);
    ~TCloseWithBoxes() override;
    TCloseWithBoxes(const TCloseWithBoxes&) = delete;
    TCloseWithBoxes& operator=(const TCloseWithBoxes&) = delete;

    // A close of the main window was asked for. With boxes open and all of them dismissable,
    // they are dismissed, the close is queued and the answer is true; otherwise nothing happens.
    bool CloseRequested();
    // Whether a close of the main window may dismiss this modal window.
    static bool Dismissable(const QWidget* modal);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    bool isCloseOfMain(const QByteArray& eventType, void* message);

    QPointer<QWidget> main_;
    std::uint32_t protocolsAtom_ = 0;
    std::uint32_t deleteWindowAtom_ = 0;
};
