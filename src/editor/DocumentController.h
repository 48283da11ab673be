#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "sheet/DescriptionSheet.h"
#include "sheet/Design.h"

class QWidget;
class TSheetDocument;

// The document behind the main window: which file the sheet came from, and the commands that
// replace or keep it (New, Open, Save, Save As, dropped files, the save question). It owns no
// widget; it asks through the dialog seam, replaces and marks the sheet through its document,
// and tells the window what to show through signals.
class TDocumentController : public QObject {
    Q_OBJECT
  public:
    // `dialogParent` only parents the questions and may be null.
    TDocumentController(TSheetDocument& document, QWidget* dialogParent, QObject* parent = nullptr);

    const QString& CurrentFileName() const { return currentFileName_; }
    // The name the save dialog was last opened with or answered.
    const QString& SaveDialogFileName() const { return saveDialogFileName_; }
    // The window title: the program's title and the file's display name ("無題" when untitled).
    QString Title() const;
    // A path as the title shows it: the file name without its last extension.
    static QString DisplayName(const QString& path);

    void New();
    // New, the new sheet in `design`: the same save question first. False when the user stopped.
    bool NewInDesign(const quorvel::Design& design);
    void Open();
    // Open's steps for a known file (a recent file): the save question, then the load.
    void OpenPath(const QString& path);
    void Save();
    void SaveAs();
    // Opens the first of `paths` that loads (the command line).
    void OpenFirstOf(const QStringList& paths);
    // Dropped files: the save question, as for Open, then the first of them that loads.
    void OpenDropped(const QStringList& paths);
    // The saving part of closing: false when the user cancelled or the save failed.
    bool QueryClose();
    // Makes `sheet` the document, as a load does, under `fileName` (empty: untitled).
    void Restore(quorvel::TDescriptionSheet sheet, const QString& fileName);

  signals:
    void titleChanged(const QString& title);
    // The sheet was replaced as a whole (reset or loaded); every box must show it anew.
    void sheetReplaced();
    // A new or opened document starts at its top.
    void scrollToTopWanted();
    // The sheet was written to its file (any save, the one inside the save question too).
    void saved();
    // A file was opened or saved.
    void fileUsed(const QString& path);
    // A file did not load (its message was shown).
    void loadFailed(const QString& path);

  private:
    enum class SaveQuestion { Proceed, Stop };
    bool newSheet(const quorvel::Design* design);
    SaveQuestion askToSave(const QString& caption);
    // `clean`: the saved state becomes the sheet's unchanged state.
    bool saveTo(const QString& path, bool clean);
    bool loadFrom(const QString& path);
    void openLoaded(const QString& path);
    std::optional<QString> runSaveDialog(const QString& fileName);
    void setFileName(const QString& path);

    TSheetDocument& document_;
    QWidget* dialogParent_;
    QString currentFileName_;
    QString saveDialogFileName_;
};
