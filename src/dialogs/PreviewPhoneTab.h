#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWidget>

class PreviewBrowser;
class TEnginePageView;
namespace ui {
class PictureFollower;
}
class QComboBox;
class QLabel;

// The face the page is drawn in, in every view of it: the one a buyer's phone uses, where it is
// installed, else the program's own Japanese face.
QString PageFaceFamily();

// The preview's phone tab: the page in a browser view (or drawn by the page engine where the
// browser module is missing) as wide as a phone's screen, centred on a grey stage, the width to
// show it at, and how far the page runs past that width.
class TPreviewPhoneTab : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidths[] = {360, 375, 390, 414};
    static constexpr bool Offers(int cssPixels) {
        for (int width : kWidths)
            if (width == cssPixels) return true;
        return false;
    }
    // The one line every view of the page gives for a page laid out at a phone's width.
    static QString WidthLine(int viewport, int pageWidth);

    explicit TPreviewPhoneTab(QWidget* parent = nullptr);

    int PhoneWidth() const { return width_; }
    // One of kWidths; any other value is ignored.
    void SetPhoneWidth(int cssPixels);
    // Shows the page; `bytes` are handed over in memory when small enough, else `url` is loaded.
    void ShowPage(const QByteArray& bytes, const QString& mimeType, const QUrl& url, bool inMemory);
    PreviewBrowser* browser() const { return browser_; }
    // The page drawn by the page engine at the phone's width, where the module is missing and
    // the build has the engine (nullptr otherwise).
    TEnginePageView* enginePage() const { return enginePage_; }

    QComboBox* ComboBoxPhoneWidth = nullptr;
    QLabel* LabelPhoneWidth = nullptr;

  signals:
    void phoneWidthChosen(int cssPixels);
    // The page shown was measured `pageWidth` wide at `viewport` CSS pixels: by the page engine
    // where the build has it (the figure of the listing check and the live view), else by the
    // browser.
    void measured(const QByteArray& bytes, int viewport, int pageWidth);

  private:
    PreviewBrowser* ensureBrowser();
    void measure();
    void showWidth(int viewport, int pageWidth);

    PreviewBrowser* browser_ = nullptr;
    TEnginePageView* enginePage_ = nullptr;
    ui::PictureFollower* pictures_ = nullptr;
    QWidget* stage_ = nullptr;
    QLabel* noBrowserLine_ = nullptr;
    QByteArray shown_;
    bool loaded_ = false;
    int width_ = 375;
    int generation_ = 0;  // a measure of an older page or width is dropped
};
