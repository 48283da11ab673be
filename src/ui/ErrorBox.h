#pragma once

#include <QString>

#include <exception>
#include <utility>

class QWidget;

// The application's error box: caption "Quorvel", error icon, OK. A full stop is appended when the
// message's last character sorts after ".".
QString ErrorBoxText(const QString& message);
void ShowErrorBox(QWidget* parent, const QString& message);

// Runs a handler so no exception crosses Qt's event dispatch: an error goes to the error box and
// the program carries on.
template <typename Handler>
void RunGuarded(QWidget* parent, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        ShowErrorBox(parent, QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(parent, QStringLiteral("Unknown error"));
    }
}
