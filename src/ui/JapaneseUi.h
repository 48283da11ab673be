#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

// The editor speaks Japanese in one face: Qt's own texts (file and colour dialogs, standard
// buttons) come from Qt's Japanese translation, and every window uses one proportional Gothic
// face, so Latin letters and kana come from the same design.
namespace ui {

// Installs Qt's own Japanese translation from Qt's translations folder. Call before any window
// exists. Returns false, and changes nothing, when the translation is not installed.
bool installQtJapanese(QCoreApplication& app);

// Proportional Gothic faces in order of preference; the first is the classic Windows face.
QStringList japaneseUiFamilyCandidates();
// The first installed family of `candidates`, or an empty string when none is installed.
QString firstInstalledFamily(const QStringList& candidates);
// The interface face: the first installed candidate, else the application's present family.
QString japaneseUiFamily();
// A fixed-width Gothic face for the few texts laid out in columns.
QString japaneseFixedFamily();

// Sets the interface face at 9 points as the application's font.
void useJapaneseUiFont();

// Both of the above: translation and face.
void setUpJapaneseUi(QCoreApplication& app);

}  // namespace ui
