#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/SheetDocument.h"
#include "editor/PreviewCommand.h"
#include "sheet/DescriptionSheet.h"

class QCloseEvent;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class TAboutForm;
class TCellEdit;
class TCellHint;
class TCheckStatusField;
class TStatusNote;
class TListingChecker;
class TSheetDocument;
class TDocumentController;
class TEditMenu;
class TFormatToolbar;
class TFormPreview;
class TLinkForm;
class TNewVerForm;
class TNoteBar;
class TRecoveryKeeper;
class TRecentFiles;
class TRowsArea;
class TStyleStrip;
class TTitleBar;
class TVersionCheckDriver;

namespace ui {
class NormalPlacement;
}
namespace quorvel {
class KeyStore;
struct SettingsSnapshot;
namespace update {
class TVersionCheck;
}
}  // namespace quorvel

// The main window: owns the one sheet, the preview window and the version check, shows the sheet
// in 22 cell boxes, and composes the panes and collaborators that work on it: the document
// controller (files), the edit menu (cell commands and links), the format toolbar and the
// version-check driver. The handlers of its own buttons are here and forward to them.
class TFormMain : public QMainWindow {
    Q_OBJECT
  public:
    // `settings` may be null (nothing is remembered). It must outlive the window.
    TFormMain(quorvel::KeyStore* settings, bool otherInstanceRunning, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The creation handler: settings, placement on the screen, stay-on-top. The command line
    // is kept for OpenStartWork().
    void FormCreate(const QStringList& arguments);
    // Once the window is on the screen: a dead editor's work is offered over it, else the first
    // existing command-line file is opened.
    void OpenStartWork();
    // The secondary windows, created after the main window.
    // The about box and the update notice are asked for when they are to be shown.
    void AttachWindows(std::function<TAboutForm&()> about, TLinkForm* link,
                       std::function<TNewVerForm&()> notice);

    // Read by the commands that only look at the sheet; the editor changes it only through
    // SheetDocument() (a test may set one up here before the panes are shown again).
    quorvel::TDescriptionSheet& Sheet() { return sheet_; }
    const QString& CurrentFileName() const;
    TDocumentController* Document() const { return document_; }
    TEditMenu* EditMenu() const { return editMenu_; }
    TCellEdit* FocusedCell() const;
    TCellEdit* CellByTag(int tag) const;
    // Made when first asked for (a preview, a tag copy, the close's settings): its tabs are no
    // part of the start-up. `made` runs on the new window, once.
    TFormPreview* Preview();
    void WhenPreviewMade(std::function<void(TFormPreview&)> made);
    TStyleStrip* StyleStrip() const { return styleStrip_; }
    TRowsArea* RowsArea() const { return rowsArea_; }
    TNoteBar* NoteBar() const { return noteBar_; }
    TFormatToolbar* FormatToolbar() const { return formatToolbar_; }
    TRecoveryKeeper* Recovery() const { return recovery_; }
    TRecentFiles* RecentFiles() const { return recentFiles_; }
    // The only way to change the sheet, the listing check and its status-bar field.
    TSheetDocument* SheetDocument() const { return sheetDocument_; }
    TListingChecker* Checker() const { return previewCommand_->Checker(); }
    TCheckStatusField* CheckField() const { return previewCommand_->CheckField(); }
    // What the window has to tell about the start (a refused recovery folder, a damaged copy).
    TStatusNote* StatusNote() const { return statusNote_; }
    quorvel::update::TVersionCheck* VersionCheck() const;
    QTimer* Timer1() const;

    // Document commands and the window title.
    void SpeedButtonNewClick();
    void SpeedButtonOpenClick();
    void SpeedButtonSaveClick();
    void SpeedButtonSaveAsClick();
    bool FormCloseQuery();
    // Files dropped anywhere on the window, cells and the live view included: Open's save
    // question, then the first that loads.
    void FilesDropped(const QStringList& paths);
    // The sheet's history stands away from where it was saved.
    bool AnyCellModified() const { return sheetDocument_->IsModified(); }

    // Preview and tag copy, told apart by the sender's object name.
    void SpeedButtonPreviewClick(QObject* sender);
    // The preview opened on its check tab.
    void ShowCheckList();
    // Puts the caret into the cell `tag`, selecting `length` bytes from byte `offset`.
    void GoToCellText(int tag, int offset, int length);
    // Bulk creation: one tag file per spreadsheet row, with this sheet as the template.
    void SpeedButtonMergeClick();
    // Link insertion: from "SpeedButtonLink" into the focused cell, else into the popup cell.
    void LinkClick(QObject* sender);

    void SpeedButtonStayOnTopClick();
    void SpeedButtonHelpClick();
    void Timer1Timer();
    // Ends a version request in flight (closing does so).
    void CancelVersionCheck();
    // (Re)starts the version check against `host` ("host[:port]"; empty: never asks).
    void StartVersionCheck(const std::string& host, std::function<bool()> isOnline);

    void LoadSettings();
    void SaveSettings();
    // What a pane or dialog keeps with the settings, handed in by SaveSettings at the close so
    // that everything is written at once.
    void AddSettingsSource(std::function<void(quorvel::SettingsSnapshot&)> source);

    // File toolbar, status bar and menu.
    QToolBar* ToolBar1 = nullptr;
    QToolButton* SpeedButtonNew = nullptr;
    QToolButton* SpeedButtonOpen = nullptr;
    QToolButton* SpeedButtonSave = nullptr;
    QToolButton* SpeedButtonSaveAs = nullptr;
    QToolButton* SpeedButtonUndo = nullptr;
    QToolButton* SpeedButtonRedo = nullptr;
    QToolButton* SpeedButtonPreview = nullptr;
    QToolButton* SpeedButtonTagCopy = nullptr;
    QToolButton* SpeedButtonMerge = nullptr;
    QToolButton* SpeedButtonLink = nullptr;
    QToolButton* SpeedButtonStayOnTop = nullptr;
    QToolButton* SpeedButtonMulti = nullptr;
    QToolButton* SpeedButtonHelp = nullptr;
    QStatusBar* StatusBar1 = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QStringList startFiles_;
    void buildFileToolbar();
    void wireCells();
    void setTabOrder();
    void applyStayOnTop();

    quorvel::TDescriptionSheet sheet_;
    quorvel::KeyStore* settings_;
    std::vector<std::function<void(quorvel::SettingsSnapshot&)>> settingsSources_;
    ui::NormalPlacement* normalPlacement_ = nullptr;

    TDocumentController* document_ = nullptr;
    TEditMenu* editMenu_ = nullptr;
    TVersionCheckDriver* versionCheck_ = nullptr;
    TRecoveryKeeper* recovery_ = nullptr;
    TFormPreview* preview_ = nullptr;
    std::vector<std::function<void(TFormPreview&)>> previewMade_;
    // The preview's stored place and size, used when it is made.
    std::optional<int> storedPvLeft_, storedPvTop_, storedPvWidth_, storedPvHeight_;
    TStyleStrip* styleStrip_ = nullptr;
    TTitleBar* titleBar_ = nullptr;
    TRowsArea* rowsArea_ = nullptr;
    TNoteBar* noteBar_ = nullptr;
    TFormatToolbar* formatToolbar_ = nullptr;
    TCellHint* cellHint_ = nullptr;
    TRecentFiles* recentFiles_ = nullptr;
    TSheetDocument* sheetDocument_ = nullptr;
    TPreviewCommand* previewCommand_ = nullptr;
    TStatusNote* statusNote_ = nullptr;
    std::array<TCellEdit*, quorvel::kCellCount> cells_{};

    std::function<TAboutForm&()> about_;
    TLinkForm* link_ = nullptr;
};
