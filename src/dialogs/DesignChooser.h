#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sheet/Design.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class TDesignThumbnails;
class TSheetDocument;

namespace quorvel {
class DesignStore;
}

// The design chooser: the built-in designs and the seller's own, each as a picture of a sample
// listing. The chosen design goes on the current sheet as one undoable step, or starts a new
// sheet; the current sheet's look can be kept as a design of the seller's own, and those can be
// renamed and deleted. Every question goes through the dialog seam.
class TDesignChooser : public QDialog {
    Q_OBJECT
  public:
    // Starts a new sheet in the design after the save question; false when the seller stopped.
    using NewSheetIn = std::function<bool(const quorvel::Design&)>;

    // `focusTag` is the cell the seller was in (0: none): an undo of the design goes back to it.
    TDesignChooser(TSheetDocument& document, quorvel::DesignStore& store, NewSheetIn newSheetIn,
                   int focusTag, QWidget* parent = nullptr);
    ~TDesignChooser() override;

    QListWidget* ListDesigns = nullptr;
    QScrollArea* ScrollProblems = nullptr;
    QLabel* LabelProblems = nullptr;
    QPushButton* ButtonApply = nullptr;
    QPushButton* ButtonNewSheet = nullptr;
    QPushButton* ButtonSaveCurrent = nullptr;
    QPushButton* ButtonRename = nullptr;
    QPushButton* ButtonDelete = nullptr;
    QPushButton* ButtonClose = nullptr;

    void ButtonApplyClick();
    void ButtonNewSheetClick();
    void ButtonSaveCurrentClick();
    void ButtonRenameClick();
    void ButtonDeleteClick();

    // Selects the entry of that name (UTF-8), the seller's own before a built-in of the same name.
    bool Select(const std::string& name);
    // The names listed, built-in first, as the list shows them.
    QStringList Names() const;
    TDesignThumbnails& Thumbnails() const { return *thumbnails_; }

  private:
    struct Entry {
        std::string name;  // UTF-8
        quorvel::Design design;
        std::string fileName;  // the seller's own: its file; empty for a built-in
    };
    void reload(const std::string& select);
    const Entry* current() const;
    void showSelection();
    // The name the seller types, checked; nothing when cancelled or refused (already said).
    std::optional<std::string> askName(const QString& caption, const QString& initial);
    // Whether a design of this name may be written: asks before replacing another.
    bool mayWrite(const std::string& name, const std::string& ownFile);

    TSheetDocument& document_;
    quorvel::DesignStore& store_;
    NewSheetIn newSheetIn_;
    int focusTag_;
    std::vector<Entry> entries_;
    TDesignThumbnails* thumbnails_;
};

// The small window that asks for a design's name.
class TDesignNameForm : public QDialog {
    Q_OBJECT
  public:
    TDesignNameForm(const QString& caption, const QString& initial, QWidget* parent = nullptr);
    QLineEdit* EditDesignName = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
