#pragma once

#include <QString>
#include <QWidget>

#include <cstddef>
#include <string>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quorvel {
class KeyStore;
class TDescriptionSheet;
}  // namespace quorvel

// The preview's plain-text tab: the sheet as text for marketplaces without HTML, its character
// count against a chosen limit, and a button that copies the text. It renders the sheet afresh
// each time it is shown.
class TPreviewTextTab : public QWidget {
    Q_OBJECT
  public:
    explicit TPreviewTextTab(QWidget* parent = nullptr);

    // The sheet to render (it must outlive the tab) and the settings store the stored limit is
    // read from (either may be null).
    void Attach(const quorvel::TDescriptionSheet* sheet, quorvel::KeyStore* settings);

    // Renders the sheet into the box and updates the count.
    void Refresh();
    // Puts the rendition on the clipboard (CR LF kept).
    void ButtonCopyTextClick();
    // The chosen limit changed: recolours the count.
    void ComboBoxMaxCharsChange();

    int MaxChars() const;
    std::size_t CharCount() const { return count_; }
    // The pictures of the sheet the rendition leaves out, as last rendered.
    std::size_t PictureCount() const { return pictures_; }
    bool OverLimit() const;
    // The rendition as last rendered, as the clipboard gets it.
    const QString& Text() const { return text_; }

    QPlainTextEdit* MemoText = nullptr;
    QLabel* LabelCount = nullptr;
    QLabel* LabelPictures = nullptr;
    QLabel* LabelMaxChars = nullptr;
    QComboBox* ComboBoxMaxChars = nullptr;
    QPushButton* ButtonCopyText = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showCount();

    const quorvel::TDescriptionSheet* sheet_ = nullptr;
    QString text_;
    std::size_t count_ = 0;
    std::size_t pictures_ = 0;
};
