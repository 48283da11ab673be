#pragma once

#include <QWidget>

#include <memory>

namespace quorvel::page {
class PageLayout;
}

// The page as the engine laid it out, drawn at one CSS pixel a pixel: centred on grey when it is
// laid out at a phone's width, with the phone's right edge marked by a line and what runs past
// it shaded, and the focused cell outlined. A click on a cell names it.
class TLiveViewCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit TLiveViewCanvas(QWidget* parent = nullptr);
    ~TLiveViewCanvas() override;

    // Shows `layout`; `phone` puts it on grey, centred in `minimumWidth` when narrower. Where
    // the view around is the phone's screen itself (`viewIsThePhone`), its edge is the phone's,
    // and a page that fills the phone must not scroll.
    void ShowLayout(std::shared_ptr<const quorvel::page::PageLayout> layout, bool phone,
                    int minimumWidth, bool viewIsThePhone = false);
    const quorvel::page::PageLayout* Layout() const { return layout_.get(); }
    void SetFocusedTag(int tag);
    int FocusedTag() const { return focusedTag_; }
    // Where the page's origin is on this widget.
    QPoint PageOrigin() const;
    // The cell `tag`'s box on this widget; empty when the page has none.
    QRect CellRect(int tag) const;

    // Where the phone's right edge is on this widget; -1 when the page is not at a phone's width.
    int PhoneEdge() const;

    static constexpr QRgb kGrey = 0xFF808080;
    static constexpr QRgb kOutline = 0xFFFF8C00;
    static constexpr QRgb kPhoneEdge = 0xFFD03030;
    // Laid over what the buyer's phone would have to scroll to.
    static constexpr QRgb kPastTheEdge = 0x60404040;

  signals:
    void cellClicked(int tag);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    std::shared_ptr<const quorvel::page::PageLayout> layout_;
    bool phone_ = false;
    int focusedTag_ = 0;
};
