#pragma once

#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace quorvel {
struct FileError;
}

// Every modal question and dialog of the editor goes through this seam, so tests can script
// answers while the real program shows the platform's dialogs.
class DialogSeam {
  public:
    virtual ~DialogSeam() = default;

    virtual QMessageBox::StandardButton message(QWidget* parent, const QString& text,
                                                const QString& caption, QMessageBox::Icon icon,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) = 0;

    // Filters use the "description|pattern|description|pattern" form. An empty result is a cancel.
    // An empty `caption` leaves the platform's own.
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& filter,
                                                const QString& defaultSuffix,
                                                const QString& fileName,
                                                const QString& caption) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent, const QString& filter,
                                                const QString& defaultSuffix,
                                                const QString& fileName) = 0;
    // An existing folder, starting at `initial`; nothing when cancelled.
    virtual std::optional<QString> folderName(QWidget* parent, const QString& caption,
                                              const QString& initial) = 0;

    // Returns a plain RGB colour 0x00BBGGRR, or nothing when cancelled.
    virtual std::optional<std::uint32_t> chooseColour(QWidget* parent, std::uint32_t initial) = 0;

    // Shows one of the editor's own modal windows and returns its QDialog result code.
    virtual int execModal(QDialog& dialog) = 0;

    // Waits for work running on another thread, keeping the windows painted, until `poll` says
    // it has finished. Input to the windows is held back; once `delayMs` have passed a modal
    // progress window with `label`, the count and a cancel button shows. A cancel calls `cancel`
    // once and goes on waiting for the work to stop. True when the user cancelled.
    struct Progress {
        long long done = 0;
        long long total = 0;  // 0 while not known
        bool finished = false;
    };
    virtual bool waitWithProgress(QWidget* parent, const QString& caption, const QString& label,
                                  int delayMs, const std::function<Progress()>& poll,
                                  const std::function<void()>& cancel) = 0;
};

// The seam in force; the real dialogs unless a test installed its own.
DialogSeam& dialogs();
// Installs a replacement (not owned); nullptr restores the real dialogs.
void setDialogs(DialogSeam* seam);

// Shortcuts for the editor's message boxes.
void showWarning(QWidget* parent, const QString& text, const QString& caption);
// A file error as a warning box: its message under its caption.
void showFileError(QWidget* parent, const quorvel::FileError& error);
