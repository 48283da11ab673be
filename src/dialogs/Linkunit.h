#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QStringList>

#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;

// A captioned group of radio buttons laid out in columns, one of which is chosen.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    TRadioGroup(QWidget* parent, const QString& objectName, const QString& caption,
                const QStringList& items, int columns);

    // The chosen item, or -1 when none is.
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const { return items_.value(index); }
    int Count() const { return static_cast<int>(items_.size()); }
    // The height at which every item fits below the caption in the present face.
    int FittingHeight() const;

  signals:
    // The user chose an item (not emitted by SetItemIndex).
    void Click();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutItems();
    QRect contentsRect() const;

    QList<QRadioButton*> items_;
    int columns_;
};

// The link dialog: asks for a web or mail address and builds the anchor tag the link command
// writes into a cell. Created once; keeps what was entered between showings.
//
// Use from the main window (the cursor is the target cell's text cursor):
//   const QString selected = cursor.selectedText();
//   if (selected.isEmpty()) form.SetInsertCaption(); else form.SetApplyCaption(selected);
//   if (dialogs().execModal(form) == QDialog::Accepted)
//       cursor.insertText(form.BuildTag(selected.isEmpty() ? form.AddressText() : selected));
// The visible text goes into the tag unchanged, so the selection's paragraph separators come
// back as line breaks when the tag is inserted.
class TLinkForm : public QDialog {
    Q_OBJECT
  public:
    explicit TLinkForm(QWidget* parent = nullptr);

    // Takes the stored address and subject (code page 932 bytes; empty when none was stored).
    void FormCreate(std::string_view addressBytes, std::string_view subjectBytes);

    // Captions for the two ways the link command uses the dialog.
    void SetApplyCaption(const QString& selectedText);
    void SetInsertCaption();

    // The anchor tag for the current entries around `visibleText`.
    QString BuildTag(const QString& visibleText) const;

    QString AddressText() const;
    QString SubjectText() const;
    // The entries as code page 932 bytes, for the settings store. A character code page 932
    // cannot hold becomes "?", as a Windows text box would have stored it.
    std::string AddressBytes() const;
    std::string SubjectBytes() const;

    void RadioGroupTypeClick();
    // The check before the dialog closes with `result`; false keeps it open.
    bool FormCloseQuery(int result);

    void done(int result) override;

    TRadioGroup* RadioGroupType = nullptr;
    QLabel* LabelAddress = nullptr;
    QLineEdit* EditAddress = nullptr;
    TRadioGroup* RadioGroupTarget = nullptr;
    QLabel* LabelSubject = nullptr;
    QLineEdit* EditSubject = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QStatusBar* StatusBar1 = nullptr;

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
