#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QFontMetrics;
class QMenu;
class QToolButton;

// The files last opened or saved, newest first, at most eight. They are offered in a menu on the
// Open button, shown when the button is held down or right-clicked; the button keeps its size and
// its click still runs Open.
class TRecentFiles : public QObject {
    Q_OBJECT
  public:
    static constexpr int kLimit = 8;

    // `openButton` may be null (a list without a menu).
    explicit TRecentFiles(QToolButton* openButton, QObject* parent = nullptr);

    const QStringList& Paths() const { return paths_; }
    // Replaces the list (as read from the settings): empty and repeated entries are dropped, the
    // first kLimit kept.
    void SetPaths(const QStringList& paths);
    // A file was opened or saved: it moves to the top.
    void Add(const QString& path);
    // A file that no longer loads leaves the list.
    void Remove(const QString& path);

    // The menu's texts for `paths`, in order: the display name, and where two entries share one
    // both name their folder after it ("shoes — /home/a/出品"); the full file name takes the
    // display name's place when even the folder does not tell them apart. With `metrics`, a text
    // wider than `maxWidth` loses folders from the middle of its path ("shoes — /home/…/出品"),
    // never the name nor the folder's last part.
    static QStringList MenuLabels(const QStringList& paths, const QFontMetrics* metrics = nullptr,
                                  int maxWidth = 0);

    // The menu as it is shown next (rebuilt each time it opens).
    QMenu* Menu() const { return menu_; }

  signals:
    // The user chose a file from the menu.
    void fileChosen(const QString& path);

  private:
    void rebuildMenu();

    QStringList paths_;
    QMenu* menu_ = nullptr;
};
