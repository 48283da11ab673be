#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include "UiTestEnvironment.h"
#include "ui/DialogSeam.h"

// The program's own open and save dialogs, as the seam shows them.
class FileDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void sizeAndDateColumnsShowTheirTextsWholeAtTheDefaultSize() {
        QTemporaryDir dir;
        const QList<qint64> sizes{23 * 1024 + 700, 999 * 1024 + 900, 1023, 5};
        for (int i = 0; i < sizes.size(); ++i) {
            QFile file(dir.filePath(QStringLiteral("長い名前の出品説明シート_%1.qvl").arg(i)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(sizes[i]));
        }
        for (const bool save : {false, true}) {
            Seen seen;
            QTimer::singleShot(0, this,
                               [&seen, count = int(sizes.size())] { inspect(seen, count); });
            const QString start = dir.filePath(QStringLiteral("x.qvl"));
            const auto chosen =
                save ? dialogs().saveFileName(nullptr, kFilter, QStringLiteral("qvl"), start)
                     : dialogs().openFileName(nullptr, kFilter, QStringLiteral("qvl"), start,
                                              QString());
            QVERIFY(!chosen);
            QVERIFY2(seen.problems.isEmpty(), qPrintable(seen.problems.join(u'\n')));
            QCOMPARE(seen.rows, int(sizes.size()));
            const QSize room =
                QGuiApplication::primaryScreen()->availableGeometry().size() * 9 / 10;
            QCOMPARE(seen.size, QSize(820, 500).boundedTo(room));
        }
    }

  private:
    struct Seen {
        QSize size;
        int rows = 0;
        QStringList problems;
    };
    inline static const QString kFilter = QStringLiteral("Quorvelﾌｧｲﾙ(*.qvl)|*.qvl");

    // Waits for the dialog and its folder's rows, checks that no size, type or date text is cut,
    // then cancels it.
    static void inspect(Seen& seen, int count) {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* view = dialog ? dialog->findChild<QTreeView*>(QStringLiteral("treeView")) : nullptr;
        if (!view) {
            seen.problems << QStringLiteral("no file dialog with a detail view");
            if (dialog) dialog->reject();
            return;
        }
        QAbstractItemModel* model = view->model();
        if (!QTest::qWaitFor([&] { return model->rowCount(view->rootIndex()) == count; }, 5000))
            seen.problems << QStringLiteral("the folder's files did not come");
        seen.size = dialog->size();
        seen.rows = model->rowCount(view->rootIndex());
        const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        for (int row = 0; row < seen.rows; ++row)
            for (int column = 1; column < model->columnCount(view->rootIndex()); ++column) {
                const QString text = model->index(row, column, view->rootIndex()).data().toString();
                const int needed = view->fontMetrics().horizontalAdvance(text) + margins;
                if (view->header()->sectionSize(column) < needed)
                    seen.problems << QStringLiteral("column %1 cuts \"%2\" (%3 < %4)")
                                         .arg(column)
                                         .arg(text)
                                         .arg(view->header()->sectionSize(column))
                                         .arg(needed);
            }
        // Every column is in view: no sideways scrolling at the default size.
        if (view->header()->length() > view->viewport()->width())
            seen.problems << QStringLiteral("columns wider than the view");
        dialog->reject();
    }
};

QUORVEL_UI_TEST_MAIN(FileDialogTest)
#include "test_file_dialog.moc"
