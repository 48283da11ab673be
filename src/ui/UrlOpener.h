#pragma once

#include <QUrl>

#include <functional>

// Opens web and mailto addresses with the user's programs. Tests substitute the opener to see
// what would have been opened.
using UrlOpenerFunction = std::function<bool(const QUrl&)>;

// Opens `url` with the opener in force; false when nothing could open it.
bool openUrl(const QUrl& url);
// Installs a replacement; an empty function restores the desktop's own opener.
void setUrlOpener(UrlOpenerFunction opener);
