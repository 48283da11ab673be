#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The notice of a newer release: the version file's text and a link to the maker's site.
class TNewVerForm : public QDialog {
    Q_OBJECT

  public:
    explicit TNewVerForm(QWidget* parent = nullptr);

    // The version file as received (code page 932 bytes); shown on the next showing.
    void SetVersionText(const std::string& cp932);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label6 = nullptr;
    QPlainTextEdit* MemoInfo = nullptr;
    QPushButton* Button1 = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormShow();
    void Label6Click();
    void Button1Click();
    void SetLinkColour(const QColor& colour);

    std::string versionText_;
};
