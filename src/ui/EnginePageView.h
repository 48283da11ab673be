#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QScrollArea;
class TLiveViewCanvas;

namespace quorvel::page {
class PageLayout;
}
namespace ui {
class PictureFollower;
}

// The page drawn by Quorvel's own page engine, for the preview's tabs where the browser module
// is missing: the live view's canvas in a scroll area, under a line that says which engine
// draws it. Laid out at the view's own width, or at a fixed one (a phone's) on grey, and again
// when a picture of the page comes.
class TEnginePageView : public QWidget {
    Q_OBJECT
  public:
    static QString NoteText();

    // `cssWidth` 0 follows the view's width.
    explicit TEnginePageView(QWidget* parent = nullptr, int cssWidth = 0);
    ~TEnginePageView() override;

    // Lays code page 932 tag text out and shows it.
    void ShowTags(const QByteArray& tags);
    // Shows a layout made elsewhere (at this view's fixed width).
    void ShowLayout(std::shared_ptr<const quorvel::page::PageLayout> layout);
    void SetCssWidth(int cssWidth);
    // The width the page is laid out at now.
    int CssWidth() const;

    const quorvel::page::PageLayout* Layout() const;
    TLiveViewCanvas* Canvas() const { return canvas_; }
    QScrollArea* ScrollArea() const { return scroll_; }
    QLabel* Note() const { return note_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void relayout();
    void fitWidth();

    QLabel* note_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    TLiveViewCanvas* canvas_ = nullptr;
    ui::PictureFollower* pictures_ = nullptr;
    QByteArray tags_;
    int cssWidth_ = 0;
};
