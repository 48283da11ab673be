#pragma once

#include <QDialog>
#include <QString>

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel {
class KeyStore;
}

// The image dialog: asks for a picture's address, alternative text and width and builds the
// picture tag the image command writes into a cell. Created once; keeps what was entered between
// showings, and remembers the last address folder in the settings store for the next run.
//
// Use from the edit menu (the cursor is the target cell's text cursor):
//   form.Prepare(cursor.selectedText(), cell.RemainingBytes());
//   if (dialogs().execModal(form) == QDialog::Accepted) cell.InsertLikePaste(form.Tag());
class TImageForm : public QDialog {
    Q_OBJECT
  public:
    explicit TImageForm(QWidget* parent = nullptr);

    // Reads the settings store (may be null): a stored address folder starts the address.
    void FormCreate(quorvel::KeyStore* settings);
    // The folder of the last address accepted (or the stored one), kept with the settings at the
    // close; empty when there is none.
    const std::string& AddressBase() const { return addressBase_; }

    // Before each showing: the target's selected text (empty: insert at the caret), which stands
    // in for an empty alternative text, and the bytes the tag may take in the cell.
    void Prepare(const QString& selectedText, int roomBytes);

    // The picture tag for the current entries.
    QString Tag() const;

    // The check before the dialog closes with `result`; false keeps it open.
    bool FormCloseQuery(int result);
    void done(int result) override;

    QLabel* LabelAddress = nullptr;
    QLineEdit* EditAddress = nullptr;
    QLabel* LabelAlt = nullptr;
    QLineEdit* EditAlt = nullptr;
    QLabel* LabelWidth = nullptr;
    QLineEdit* EditWidth = nullptr;
    QLabel* LabelWidthNote = nullptr;
    QCheckBox* CheckBoxLink = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::string tagBytes() const;

    std::string addressBase_;  // code page 932 bytes
    QString selected_;
    int roomBytes_ = 0;
};
