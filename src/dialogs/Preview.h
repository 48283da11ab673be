#pragma once

#include <QDialog>
#include <QString>

#include <string>

#include "sheet/ListingCheck.h"

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;
class QTabWidget;
class PreviewBrowser;
class TEnginePageView;
class TPreviewTextTab;
class QWidget;
class TPreviewCheckTab;
class TPreviewPhoneTab;

// The preview window: the tag text rendered on one tab and as source on the other, with buttons
// that copy the source to the clipboard. Shown modally by the main window; closing only hides it.
class TFormPreview : public QDialog {
    Q_OBJECT

  public:
    explicit TFormPreview(QWidget* parent = nullptr);
    ~TFormPreview() override;

    // Load step: reads the preview file into MemoHtml and, while the window is shown, hands it
    // to the browser view. Runs each time the window is shown; the tag copy calls it directly
    // while the window stays hidden, and then the browser is neither loaded nor started.
    // On failure the message is shown, MemoHtml keeps its text and the view is left alone.
    // Returns whether the file was loaded.
    bool FormShow();
    // Copy step: selects all of MemoHtml and puts its text on the clipboard as plain text.
    void ButtonCopyClick();
    // Copy step, then close.
    void ButtonCopyCloseClick();

    // Empties MemoHtml, so a later copy cannot hand out text of an earlier preview.
    void ClearText();
    // The text the copy step puts on the clipboard (the file as loaded, CR LF kept).
    const QString& Text() const { return text_; }

    // The file the load step reads; empty means the shared preview file in the temporary folder.
    void setFilePath(const std::string& path) { filePath_ = path; }

    // The browser view, created on the first load while shown (nullptr before, and when its
    // module cannot be loaded).
    PreviewBrowser* browser() const { return browser_; }
    // The page drawn by the page engine instead, where the module is missing and the build has
    // the engine (nullptr otherwise).
    TEnginePageView* enginePage() const { return enginePage_; }

    // The listing check's findings, on the check tab.
    void ShowCheck(const quorvel::ListingCheckResult& result);
    // The next showing opens on the check tab.
    void ChooseCheckTab();
    int PhoneWidth() const;
    void SetPhoneWidth(int cssPixels);
    void SetMaxChars(int chars);

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    TPreviewPhoneTab* TabSheet3 = nullptr;
    TPreviewCheckTab* TabSheet4 = nullptr;
    QPlainTextEdit* MemoHtml = nullptr;
    TPreviewTextTab* TextTab = nullptr;
    QFrame* Panel2 = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* ButtonCopy = nullptr;
    QPushButton* ButtonCopyClose = nullptr;

  signals:
    // The browser tab started and finished loading the page handed to it.
    void pageLoadStarted();
    void pageLoaded(bool ok);
    // A finding in a cell was double-clicked; the window closes after this.
    void findingChosen(int tag, int offset, int length);
    void phoneWidthChosen(int cssPixels);
    void maxCharsChosen(int chars);
    // The phone tab measured the page `tags` (code page 932) at `viewport` CSS pixels.
    void phoneWidthMeasured(const QByteArray& tags, int viewport, int pageWidth);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void addTabs();
    bool load(bool intoBrowser);
    PreviewBrowser* ensureBrowser();
    void showContent(const std::string& path, const std::string& bytes);

    PreviewBrowser* browser_ = nullptr;
    TEnginePageView* enginePage_ = nullptr;
    QLabel* noBrowserLine_ = nullptr;
    QString text_;
    std::string filePath_;
};
