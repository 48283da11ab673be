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
// The installed family of the first candidate that names one, under the name the font database
// uses for it; a candidate matches any of a face's family names, in every language. Empty when
// none is installed.
QString firstInstalledFamily(const QStringList& candidates);
// Every family name a face's own name table gives, in every language it lists.
QStringList familyNamesOf(const QString& family);
// The interface face: the first installed candidate, else the application's present family.
QString japaneseUiFamily();
// A fixed-width Gothic face for the few texts laid out in columns.
QString japaneseFixedFamily();

// Sets the interface face at 9 points as the application's font.
void useJapaneseUiFont();

// Both of the above: translation and face.
void setUpJapaneseUi(QCoreApplication& app);

}  // namespace ui
