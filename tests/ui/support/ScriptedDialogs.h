#pragma once

#include "ui/DialogSeam.h"

#include <QCoreApplication>
#include <QDialog>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

// A dialog seam that answers from queues the test fills, and records what was asked.
// An unexpected question fails loudly instead of blocking the test.
class ScriptedDialogs final : public DialogSeam {
  public:
    struct Message {
        QString text;
        QString caption;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        QWidget* parent;
        bool parentShown;  // the parent was on the screen when asked
    };
    struct FileRequest {
        bool save;
        QString filter;
        QString defaultSuffix;
        QString fileName;
    };

    ScriptedDialogs() { setDialogs(this); }
    ~ScriptedDialogs() override { setDialogs(nullptr); }

    std::deque<QMessageBox::StandardButton> messageAnswers;  // empty: answers Ok
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<std::uint32_t>> colourAnswers;
    std::deque<std::function<int(QDialog&)>> modalScripts;  // empty: rejects at once

    std::vector<Message> messages;
    std::vector<FileRequest> fileRequests;
    std::vector<QString> folderRequests;  // the captions asked with
    std::vector<std::uint32_t> colourRequests;
    std::vector<QString> modalShown;  // object names of the dialogs shown
    int unexpected = 0;

    QMessageBox::StandardButton message(QWidget* parent, const QString& text,
                                        const QString& caption, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override {
        messages.push_back(
            {text, caption, icon, buttons, defaultButton, parent, parent && parent->isVisible()});
        if (messageAnswers.empty()) {
            if (buttons != QMessageBox::Ok) ++unexpected;
            return QMessageBox::Ok;
        }
        const auto answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }

    // The captions of the open questions that named one.
    std::vector<QString> fileCaptions;
    std::optional<QString> openFileName(QWidget*, const QString& filter, const QString& suffix,
                                        const QString& fileName, const QString& caption) override {
        if (!caption.isEmpty()) fileCaptions.push_back(caption);
        return file(false, filter, suffix, fileName);
    }
    std::optional<QString> saveFileName(QWidget*, const QString& filter, const QString& suffix,
                                        const QString& fileName) override {
        return file(true, filter, suffix, fileName);
    }

    std::optional<QString> folderName(QWidget*, const QString& caption, const QString&) override {
        folderRequests.push_back(caption);
        if (folderAnswers.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        const auto answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }

    std::optional<std::uint32_t> chooseColour(QWidget*, std::uint32_t initial) override {
        colourRequests.push_back(initial);
        if (colourAnswers.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        const auto answer = colourAnswers.front();
        colourAnswers.pop_front();
        return answer;
    }

    int execModal(QDialog& dialog) override {
        modalShown.push_back(dialog.objectName());
        if (modalScripts.empty()) {
            ++unexpected;
            return QDialog::Rejected;
        }
        auto script = std::move(modalScripts.front());
        modalScripts.pop_front();
        // Shown for real so the window's show handlers run, as they would under exec().
        dialog.show();
        const int result = script(dialog);
        dialog.hide();
        return result;
    }

    // Progress waits: what was asked, every state seen, and a script that says, for each state,
    // whether the user cancels now (none: the wait runs to the end).
    struct ProgressRequest {
        QString caption;
        QString label;
        int delayMs;
    };
    std::vector<ProgressRequest> progressRequests;
    std::vector<Progress> progressSeen;
    std::function<bool(const Progress&)> progressScript;

    bool waitWithProgress(QWidget*, const QString& caption, const QString& label, int delayMs,
                          const std::function<Progress()>& poll,
                          const std::function<void()>& cancel) override {
        progressRequests.push_back({caption, label, delayMs});
        bool cancelled = false;
        for (;;) {
            const Progress progress = poll();
            progressSeen.push_back(progress);
            if (progress.finished) return cancelled;
            if (!cancelled && progressScript && progressScript(progress)) {
                cancelled = true;
                cancel();
            }
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

  private:
    std::optional<QString> file(bool save, const QString& filter, const QString& suffix,
                                const QString& fileName) {
        fileRequests.push_back({save, filter, suffix, fileName});
        if (fileAnswers.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        const auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};
