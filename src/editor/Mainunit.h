#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "sheet/DescriptionSheet.h"

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class TAboutForm;
class TCellEdit;
class TCellHint;
class TFormatToolbar;
class TFormPreview;
class TLinkForm;
class TNewVerForm;
class TNoteBar;
class TRowsArea;
class TStyleStrip;
class TTitleBar;

namespace quorvel {
class KeyStore;
struct FileError;
namespace net {
class THttpClient;
}
namespace update {
class TVersionCheck;
class VersionFetcher;
}  // namespace update
}  // namespace quorvel

// The main window: owns the one sheet, shows it in 22 cell boxes, and runs the document,
// formatting, preview and link commands on it.
class TFormMain : public QMainWindow {
    Q_OBJECT
  public:
    // `settings` may be null (nothing is remembered). It must outlive the window.
    TFormMain(quorvel::KeyStore* settings, bool otherInstanceRunning, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The creation handler: settings, placement on the screen, stay-on-top, command-line file.
    void FormCreate(const QStringList& arguments);
    // The secondary windows, created after the main window.
    void AttachWindows(TAboutForm* about, TLinkForm* link, TNewVerForm* notice);

    quorvel::TDescriptionSheet& Sheet() { return sheet_; }
    const QString& CurrentFileName() const { return currentFileName_; }
    TCellEdit* FocusedCell() const;
    TCellEdit* CellByTag(int tag) const;
    TFormPreview* Preview() const { return preview_; }
    TStyleStrip* StyleStrip() const { return styleStrip_; }
    TRowsArea* RowsArea() const { return rowsArea_; }
    TNoteBar* NoteBar() const { return noteBar_; }
    TFormatToolbar* FormatToolbar() const { return formatToolbar_; }
    quorvel::update::TVersionCheck* VersionCheck() const { return versionCheck_.get(); }
    QTimer* Timer1() const { return timer1_; }

    // Document commands and the window title.
    void SpeedButtonNewClick();
    void SpeedButtonOpenClick();
    void SpeedButtonSaveClick();
    void SpeedButtonSaveAsClick();
    bool FormCloseQuery();
    void FilesDropped(const QStringList& paths);
    bool AnyCellModified() const { return sheet_.AnyCellModified(); }
    void ClearModified() { sheet_.ClearModified(); }
    static QString DisplayName(const QString& path);

    // Preview and tag copy, told apart by the sender's object name.
    void SpeedButtonPreviewClick(QObject* sender);
    // Link insertion: from "SpeedButtonLink" into the focused cell, else into the popup cell.
    void LinkClick(QObject* sender);
    // The edit menu, opened on `cell`.
    void PopupMenu1Popup(TCellEdit* cell);
    TCellEdit* PopupCell() const { return popupCell_; }
    void UndoClick();
    void CutClick();
    void CopyClick();
    void PasteClick();
    void DeleteClick();
    void SelectAllClick();

    void SpeedButtonStayOnTopClick();
    void SpeedButtonHelpClick();
    void Timer1Timer();
    // (Re)starts the version check against `host` ("host[:port]"; empty: never asks).
    void StartVersionCheck(const std::string& host, std::function<bool()> isOnline);

    void LoadSettings();
    void SaveSettings();

    // File toolbar, status bar and menu.
    QToolBar* ToolBar1 = nullptr;
    QToolButton* SpeedButtonNew = nullptr;
    QToolButton* SpeedButtonOpen = nullptr;
    QToolButton* SpeedButtonSave = nullptr;
    QToolButton* SpeedButtonSaveAs = nullptr;
    QToolButton* SpeedButtonPreview = nullptr;
    QToolButton* SpeedButtonTagCopy = nullptr;
    QToolButton* SpeedButtonLink = nullptr;
    QToolButton* SpeedButtonStayOnTop = nullptr;
    QToolButton* SpeedButtonMulti = nullptr;
    QToolButton* SpeedButtonHelp = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildFileToolbar();
    void buildPopupMenu();
    void buildVersionCheck();
    void wireCells();
    void setTabOrder();
    void placeOnScreen(QWidget* window);
    void applyStayOnTop();

    // Document helpers.
    enum class SaveQuestion { Proceed, Stop };
    SaveQuestion askToSave(const QString& caption);
    bool saveTo(const QString& path);
    bool loadFrom(const QString& path);
    void showTitle();
    void showWholeSheet();
    void showFileError(const quorvel::FileError& error);
    std::optional<QString> runSaveDialog(const QString& fileName);

    quorvel::TDescriptionSheet sheet_;
    QString currentFileName_;
    QString saveDialogFileName_;
    quorvel::KeyStore* settings_;
    bool otherInstanceRunning_;

    TFormPreview* preview_ = nullptr;
    TStyleStrip* styleStrip_ = nullptr;
    TTitleBar* titleBar_ = nullptr;
    TRowsArea* rowsArea_ = nullptr;
    TNoteBar* noteBar_ = nullptr;
    TFormatToolbar* formatToolbar_ = nullptr;
    TCellHint* cellHint_ = nullptr;
    std::array<TCellEdit*, quorvel::kCellCount> cells_{};
    TCellEdit* popupCell_ = nullptr;

    TAboutForm* about_ = nullptr;
    TLinkForm* link_ = nullptr;
    TNewVerForm* notice_ = nullptr;

    QTimer* timer1_ = nullptr;
    std::unique_ptr<quorvel::net::THttpClient> httpClient_;
    std::unique_ptr<quorvel::update::VersionFetcher> fetcher_;
    std::unique_ptr<quorvel::update::TVersionCheck> versionCheck_;
};
