#include "ui/DialogSeam.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QStringList>

#include "store/FileError.h"
#include "ui/FileDialogLayout.h"
#include "ui/ProgressWait.h"
#include "ui/WinColour.h"

namespace {

// "desc|pattern|desc|pattern" to Qt's "desc;;desc"; each description already names its pattern.
QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList descriptions;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        if (!description.contains(u'('))
            description += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
        descriptions << description;
    }
    return descriptions.join(QStringLiteral(";;"));
}

class PlatformDialogs final : public DialogSeam {
  public:
    QMessageBox::StandardButton message(QWidget* parent, const QString& text,
                                        const QString& caption, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override {
        QMessageBox box(icon, caption, text, buttons, parent);
        box.setDefaultButton(defaultButton);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    std::optional<QString> openFileName(QWidget* parent, const QString& filter,
                                        const QString& defaultSuffix, const QString& fileName,
                                        const QString& caption) override {
        QFileDialog dialog(parent, caption, QString(), qtFilter(filter));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return run(dialog, defaultSuffix, fileName);
    }

    std::optional<QString> saveFileName(QWidget* parent, const QString& filter,
                                        const QString& defaultSuffix,
                                        const QString& fileName) override {
        QFileDialog dialog(parent, QString(), QString(), qtFilter(filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        return run(dialog, defaultSuffix, fileName);
    }

    std::optional<QString> folderName(QWidget* parent, const QString& caption,
                                      const QString& initial) override {
        const QString folder = QFileDialog::getExistingDirectory(parent, caption, initial);
        if (folder.isEmpty()) return std::nullopt;
        return folder;
    }

    std::optional<std::uint32_t> chooseColour(QWidget* parent, std::uint32_t initial) override {
        const QColor chosen = QColorDialog::getColor(qColorFromWin(initial), parent);
        if (!chosen.isValid()) return std::nullopt;
        return winColourOf(chosen);
    }

    int execModal(QDialog& dialog) override { return dialog.exec(); }

    bool waitWithProgress(QWidget* parent, const QString& caption, const QString& label,
                          int delayMs, const std::function<Progress()>& poll,
                          const std::function<void()>& cancel) override {
        return waitShowingProgress(parent, caption, label, delayMs, poll, cancel);
    }

  private:
    static std::optional<QString> run(QFileDialog& dialog, const QString& defaultSuffix,
                                      const QString& fileName) {
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.setOption(QFileDialog::DontUseNativeDialog, false);
        dialog.setSizeGripEnabled(true);
        ui::FitFileDialog(dialog);
        if (!fileName.isEmpty()) dialog.selectFile(fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

PlatformDialogs& platformDialogs() {
    static PlatformDialogs seam;
    return seam;
}

DialogSeam* installed = nullptr;

}  // namespace

DialogSeam& dialogs() {
    return installed ? *installed : platformDialogs();
}

void setDialogs(DialogSeam* seam) {
    installed = seam;
}

void showWarning(QWidget* parent, const QString& text, const QString& caption) {
    dialogs().message(parent, text, caption, QMessageBox::Warning, QMessageBox::Ok,
                      QMessageBox::Ok);
}

void showFileError(QWidget* parent, const quorvel::FileError& error) {
    showWarning(parent, QString::fromStdString(error.message),
                QString::fromStdString(error.caption));
}
