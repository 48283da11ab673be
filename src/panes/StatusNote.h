#pragma once

#include <QLabel>

class QStatusBar;

// A note in the status bar that the buttons' hints do not erase: a hint covers it while the
// pointer rests on a button and it is back when the pointer leaves. It stays until Clear().
class TStatusNote : public QLabel {
    Q_OBJECT
  public:
    explicit TStatusNote(QStatusBar* bar);

    void Show(const QString& text);
    void Clear();

    // What a paste left out, and why: `refused` characters a cell cannot hold and `overLimit`
    // ones past its byte limit.
    static QString PasteDropNote(int refused, int overLimit);
};
