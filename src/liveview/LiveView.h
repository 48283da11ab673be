#pragma once

#include <QDockWidget>

#include <memory>

class QComboBox;
class QLabel;
class QScrollArea;
class QTimer;
class TLiveViewCanvas;
class TSheetDocument;

namespace quorvel {
namespace page {
class PageLayout;
class PageLayoutWorker;
}  // namespace page
}  // namespace quorvel
namespace ui {
class PictureFollower;
}

// The page beside the sheet, laid out by the page engine as the seller types: at the dock's own
// width ("PC") or a phone's, following every change of the sheet on a thread of its own so
// typing never waits for it.
class TLiveView : public QDockWidget {
    Q_OBJECT
  public:
    static constexpr int kPhoneWidths[] = {360, 375, 390, 414};

    TLiveView(TSheetDocument& document, QWidget* parent = nullptr);
    ~TLiveView() override;

    // The width the page is laid out at: 0 for the dock's own.
    int ChosenWidth() const;
    void ChooseWidth(int cssWidth);
    // The width of the layout shown, and the page's.
    int LaidOutWidth() const;
    int PageWidth() const;
    // Lays the page out now, on this thread, if a change is waiting.
    void Refresh();
    // True when the page shown is laid out from the sheet as it is now.
    bool Current() const;

    TLiveViewCanvas* Canvas() const { return canvas_; }
    QScrollArea* ScrollArea() const { return scroll_; }
    QComboBox* WidthBox() const { return widthBox_; }
    QLabel* WidthLabel() const { return widthLabel_; }
    QTimer* Timer() const { return timer_; }

  public slots:
    void SetFocusedTag(int tag);

  signals:
    // After each layout, with the page's width at the width laid out.
    void laidOut(int cssWidth, int pageWidth);
    void cellClicked(int tag);

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void schedule();
    void keepRoomForWidth();
    void request();
    void showLayout(std::shared_ptr<quorvel::page::PageLayout> layout);
    void fitCanvas();
    int WidthToLayOut() const;
    quorvel::page::PageLayoutWorker& Worker();

    TSheetDocument& document_;
    TLiveViewCanvas* canvas_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QComboBox* widthBox_ = nullptr;
    QLabel* widthLabel_ = nullptr;
    QTimer* timer_ = nullptr;
    quorvel::page::PageLayoutWorker* worker_ = nullptr;
    ui::PictureFollower* pictures_ = nullptr;
    std::shared_ptr<quorvel::page::PageLayout> layout_;
    // The serials of the newest request and of the layout shown.
    quint64 requested_ = 0;
    quint64 shown_ = 0;
    // A change not yet handed to the page thread (hidden, it waits for the view to show).
    bool stale_ = true;
};
