#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

#include <memory>

#include "UiTestEnvironment.h"
#include "document/SheetDocument.h"
#include "panes/CellEdit.h"
#include "panes/CellHint.h"

namespace {

QFontMetrics appMetrics() {
    return QFontMetrics(QApplication::font());
}

// What the application sends before it shows a tool tip for the mouse at `at` of `widget`.
bool askToolTip(QWidget* widget, QPoint at) {
    QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
    return QApplication::sendEvent(widget, &event);
}

}  // namespace

class CellHintTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { qApp->installEventFilter(&hint); }

    void init() {
        sheet = std::make_unique<quorvel::TDescriptionSheet>();
        document = std::make_unique<TSheetDocument>(*sheet);
        window = std::make_unique<QWidget>();
        box = new TCellEdit(*document, 1003, window.get());
        box->setObjectName("Memo2Left");
        box->setFixedSize(160, 60);
        button = new QPushButton("button", window.get());
        button->setToolTip(QStringLiteral("ボタンの説明"));
        auto* layout = new QHBoxLayout(window.get());
        layout->addWidget(box);
        layout->addWidget(button);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        QToolTip::hideText();
        QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 60000);
        window.reset();
    }

    void measureByLines() {
        const QFontMetrics fm = appMetrics();
        const QSize client(100, 5 * fm.height());
        const QString wide(40, u'W');
        QVERIFY(fm.horizontalAdvance(wide) > 100);
        QVERIFY(TCellHint::TextOverflows(wide, client, fm));
        QVERIFY(TCellHint::TextOverflows("a\n" + wide + "\nb", client, fm));
        // Blanks do not count towards the width, wherever they are.
        const QString spaces(80, u' ');
        QVERIFY(fm.horizontalAdvance(spaces) > 100);
        QVERIFY(!TCellHint::TextOverflows(spaces, client, fm));
        QVERIFY(!TCellHint::TextOverflows(spaces + "x" + spaces, client, fm));
        QVERIFY(!TCellHint::TextOverflows(QString(30, QChar(0x3000)), client, fm));
        // Too many lines, each narrow; blank lines take their height too.
        QVERIFY(!TCellHint::TextOverflows("1\n2\n3\n4\n5", client, fm));
        QVERIFY(TCellHint::TextOverflows("1\n2\n3\n4\n5\n6", client, fm));
        QVERIFY(TCellHint::TextOverflows("1\n\n\n\n\n", client, fm));
        QVERIFY(TCellHint::TextOverflows("1\r\n2\r\n3\r\n4\r\n5\r\n6", client, fm));
        // Nothing at all never overflows, not even a box too small for one line.
        QVERIFY(!TCellHint::TextOverflows(QString(), QSize(1, 1), fm));
        QVERIFY(TCellHint::TextOverflows("x", QSize(100, fm.height() - 1), fm));
        // The width of the line exactly: no overflow.
        const QString fits = "abc";
        QVERIFY(!TCellHint::TextOverflows(fits, QSize(fm.horizontalAdvance(fits), 100), fm));
        QVERIFY(TCellHint::TextOverflows(fits, QSize(fm.horizontalAdvance(fits) - 1, 100), fm));
    }

    void overflowOfARealBox() {
        QVERIFY(!TCellHint::CellHintOverflow(box));
        box->setPlainText("short");
        QVERIFY(!TCellHint::CellHintOverflow(box));
        box->setPlainText(QString(60, u'M'));
        QVERIFY(TCellHint::CellHintOverflow(box));
        box->setPlainText("a\nb\nc\nd\ne\nf\ng\nh\ni\nj");
        QVERIFY(TCellHint::CellHintOverflow(box));
        // The box's own font does not enter the decision.
        box->setPlainText("short");
        QFont huge = box->font();
        huge.setPointSize(60);
        box->setFont(huge);
        QVERIFY(!TCellHint::CellHintOverflow(box));
    }

    void cellsAndOtherWidgets() {
        QCOMPARE(TCellHint::CellOf(box), box);
        QCOMPARE(TCellHint::CellOf(box->viewport()), box);
        QCOMPARE(TCellHint::CellOf(box->verticalScrollBar()), box);
        QCOMPARE(TCellHint::CellOf(button), nullptr);
        QCOMPARE(TCellHint::CellOf(window.get()), nullptr);
        QTextEdit plain;
        QCOMPARE(TCellHint::CellOf(plain.viewport()), nullptr);
    }

    void tipOverTheTextAreaOnly() {
        const QString text = QString(60, u'M') + "\nsecond";
        box->setPlainText(text);
        QWidget* client = box->viewport();
        askToolTip(client, QPoint(10, 10));
        QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 60000);
        QCOMPARE(QToolTip::text(), text);

        // Over the scroll bar: no tip, and what was shown goes.
        QScrollBar* bar = box->verticalScrollBar();
        QVERIFY(bar->isVisible());
        askToolTip(bar, QPoint(bar->width() / 2, bar->height() / 2));
        QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 60000);

        // Back over the text: shown again.
        askToolTip(client, QPoint(client->width() - 1, client->height() - 1));
        QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 60000);
    }

    void noTipForTextThatFits() {
        // The tip is shown, or not, while the event is handled.
        box->setPlainText("fits");
        askToolTip(box->viewport(), QPoint(5, 5));
        QVERIFY(!QToolTip::isVisible());
        box->clear();
        askToolTip(box->viewport(), QPoint(5, 5));
        QVERIFY(!QToolTip::isVisible());
    }

    void textShownLiterally() {
        const QString markup = "<b>bold</b> " + QString(60, u'x');
        box->setPlainText(markup);
        askToolTip(box->viewport(), QPoint(5, 5));
        QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 60000);
        QVERIFY(QToolTip::text().contains("&lt;b&gt;bold&lt;/b&gt;"));
        QCOMPARE(TCellHint::HintText("plain & simple"), QStringLiteral("plain & simple"));
    }

    void otherWidgetsKeepTheirTips() {
        box->setPlainText(QString(60, u'M'));
        askToolTip(button, QPoint(3, 3));
        QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 60000);
        QCOMPARE(QToolTip::text(), QStringLiteral("ボタンの説明"));
        QCOMPARE(button->toolTip(), QStringLiteral("ボタンの説明"));
        QVERIFY(box->toolTip().isEmpty());
    }

  private:
    TCellHint hint;
    std::unique_ptr<quorvel::TDescriptionSheet> sheet;
    std::unique_ptr<TSheetDocument> document;
    std::unique_ptr<QWidget> window;
    TCellEdit* box = nullptr;
    QPushButton* button = nullptr;
};

QUORVEL_UI_TEST_MAIN(CellHintTest)
#include "test_cell_hint.moc"
