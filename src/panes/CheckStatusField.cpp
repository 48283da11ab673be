#include "panes/CheckStatusField.h"

#include <QMouseEvent>

#include "sheet/MarketRules.h"

TCheckStatusField::TCheckStatusField(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("StatusCheck"));
    setCursor(Qt::PointingHandCursor);
    setContentsMargins(6, 0, 6, 0);
    ShowResult({});
}

void TCheckStatusField::ShowResult(const quorvel::ListingCheckResult& result) {
    setText(QString::fromStdString(quorvel::CheckSummary(result)));
    // The general check's tips read as they always did; a marketplace is named first.
    const QString market =
        result.market == quorvel::CheckMarket::Generic
            ? QString()
            : QStringLiteral("出品先：%1\n")
                  .arg(QString::fromUtf8(quorvel::CheckMarketName(result.market)));
    if (result.findings.empty()) {
        setStyleSheet(QString());
        setToolTip(market + QStringLiteral("出品ページのチェック：問題なし"));
        return;
    }
    // Dark red on pale yellow reads as a warning on light and dark system colours alike.
    setStyleSheet(
        QStringLiteral("QLabel { color: #A00000; background: #FFF3B0; font-weight: bold; }"));
    QStringList lines;
    const int shown = std::min<int>(kToolTipFindings, static_cast<int>(result.findings.size()));
    for (int i = 0; i < shown; ++i)
        lines << QString::fromStdString(quorvel::FindingLine(result.findings[i]));
    if (static_cast<int>(result.findings.size()) > shown)
        lines << QStringLiteral("ほか %1 件").arg(result.findings.size() - shown);
    lines << QStringLiteral("クリックで一覧を表示");
    setToolTip(market + lines.join(QLatin1Char('\n')));
}

void TCheckStatusField::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
