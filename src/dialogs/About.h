#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The version-information window: product, release, rights line and the maker's two links.
class TAboutForm : public QDialog {
    Q_OBJECT

  public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLabel* LabelAppTytle = nullptr;
    QLabel* LabelAppVer = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Button1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();
    void Button1Click();
    void Label5Click();
    void Label6Click();
    void SetLinkColours(const QColor& mail, const QColor& site);
    void OpenAndClose(const QString& address);
};
