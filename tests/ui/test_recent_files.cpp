#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFontMetrics>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

#include "MainWindowFixture.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "editor/DocumentController.h"
#include "editor/RecentFiles.h"
#include "panes/CellEdit.h"
#include "store/DataFile.h"

// The Open button's menu of the files last opened or saved.
class RecentFilesTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { fixture = std::make_unique<MainWindowFixture>(); }
    void cleanup() { fixture.reset(); }

    void theListKeepsTheNewestEightWithoutRepeats() {
        TRecentFiles list(nullptr);
        for (int i = 1; i <= 10; ++i) list.Add(QStringLiteral("/sheets/%1.qvl").arg(i));
        QCOMPARE(list.Paths().size(), 8);
        QCOMPARE(list.Paths().front(), QStringLiteral("/sheets/10.qvl"));
        QCOMPARE(list.Paths().back(), QStringLiteral("/sheets/3.qvl"));
        list.Add(QStringLiteral("/sheets/./5.qvl"));  // the same file again moves to the top
        QCOMPARE(list.Paths().size(), 8);
        QCOMPARE(list.Paths().front(), QStringLiteral("/sheets/5.qvl"));
        QCOMPARE(list.Paths().count(QStringLiteral("/sheets/5.qvl")), 1);
        list.Remove(QStringLiteral("/sheets/5.qvl"));
        QVERIFY(!list.Paths().contains(QStringLiteral("/sheets/5.qvl")));
        list.SetPaths({QString(), QStringLiteral("/a.qvl"), QStringLiteral("/a.qvl"),
                       QStringLiteral("/b.qvl")});
        QCOMPARE(list.Paths(), QStringList({QStringLiteral("/a.qvl"), QStringLiteral("/b.qvl")}));
    }

    void openedAndSavedFilesAreListedNewestFirstAndKeptInTheSettings() {
        TFormMain& main = fixture->start();
        const QStringList paths = makeSheets(9);
        for (const QString& path : paths) main.Document()->OpenFirstOf({path});
        const QString savedAs = fixture->files.filePath("新しい品.qvl");
        fixture->dialogs.fileAnswers.push_back(savedAs);
        fixture->find<QToolButton>("SpeedButtonSaveAs")->click();

        const QStringList listed = main.RecentFiles()->Paths();
        QCOMPARE(listed.size(), 8);
        QCOMPARE(listed[0], savedAs);
        QCOMPARE(listed[1], paths[8]);
        QCOMPARE(listed[7], paths[2]);

        QMenu* menu = showMenu(main);
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.size(), 8);
        QCOMPARE(actions[0]->text(), QStringLiteral("新しい品"));
        QCOMPARE(actions[0]->toolTip(), QDir::toNativeSeparators(savedAs));
        QCOMPARE(actions[1]->text(), QStringLiteral("sheet8"));
        menu->hide();

        QVERIFY(main.close());
        fixture->stop();
        TFormMain& again = fixture->start();
        QCOMPARE(again.RecentFiles()->Paths(), listed);
        auto key = fixture->store().Open(false);
        QCOMPARE(key->ReadString("RecentFile1"), QFile::encodeName(savedAs).toStdString());
        QCOMPARE(key->ReadString("RecentFile8"), QFile::encodeName(paths[2]).toStdString());
    }

    void entriesSharingANameShowTheirFoldersAndTheOthersStayShort() {
        TFormMain& main = fixture->start();
        const QString listed = fixture->files.filePath(QStringLiteral("a/出品"));
        const QString other = fixture->files.filePath(QStringLiteral("b&c"));
        QVERIFY(QDir().mkpath(listed) && QDir().mkpath(other));
        const QString first = listed + QStringLiteral("/shoes.qvl");
        const QString second = other + QStringLiteral("/shoes.qvl");
        const QString single = other + QStringLiteral("/bag.qvl");
        main.RecentFiles()->SetPaths({first, single, second});

        const QList<QAction*> actions = showMenu(main)->actions();
        QCOMPARE(actions.size(), 3);
        // The folder may lose its middle on a narrow screen, never its last part.
        QVERIFY2(actions[0]->text().startsWith(QStringLiteral("shoes — ")) &&
                     actions[0]->text().endsWith(QDir::toNativeSeparators(QStringLiteral("/出品"))),
                 qPrintable(actions[0]->text()));
        QCOMPARE(actions[1]->text(), QStringLiteral("bag"));
        // The folder's "&" is shown too, not taken as a mnemonic.
        QVERIFY2(actions[2]->text().startsWith(QStringLiteral("shoes — ")) &&
                     actions[2]->text().endsWith(QStringLiteral("b&&c")),
                 qPrintable(actions[2]->text()));
        QCOMPARE(actions[2]->toolTip(), QDir::toNativeSeparators(second));

        // Once only one is left, it is short again.
        main.RecentFiles()->Remove(first);
        QCOMPARE(showMenu(main)->actions()[1]->text(), QStringLiteral("shoes"));
    }

    void longFoldersLoseTheirMiddleButNeverTheNameNorTheLastFolder() {
        const QString deep = QStringLiteral("/home/seller/documents/auctions/2026/winter/");
        const QStringList paths{deep + QStringLiteral("革/shoes.qvl"),
                                deep + QStringLiteral("布/shoes.qvl"),
                                QStringLiteral("/a/shoes.qvl")};
        // Shown in the system's spelling: backslashes on Windows.
        const auto shown = [](const char* label) {
            return QDir::toNativeSeparators(QString::fromUtf8(label));
        };
        const QFontMetrics metrics(QApplication::font());
        const int width = metrics.horizontalAdvance(shown("shoes — /home/seller/…/革"));
        const QStringList labels = TRecentFiles::MenuLabels(paths, &metrics, width);
        QCOMPARE(labels[0], shown("shoes — /home/seller/…/革"));
        QCOMPARE(labels[1], shown("shoes — /home/seller/…/布"));
        QCOMPARE(labels[2], shown("shoes — /a"));
        // Too narrow even for that: the root, the cut, the last folder and the name stay.
        QCOMPARE(TRecentFiles::MenuLabels(paths, &metrics, 1)[0], shown("shoes — /…/革"));
    }

    void namesTheFolderCannotTellApartShowTheWholeFileName() {
        const QStringList labels = TRecentFiles::MenuLabels(
            {QStringLiteral("/s/shoes.qvl"), QStringLiteral("/s/shoes.txt"),
             QStringLiteral("/t/shoes.qvl"), QStringLiteral("/s/shoes")});
        QCOMPARE(labels,
                 QStringList({QStringLiteral("shoes.qvl — ") + QDir::toNativeSeparators("/s"),
                              QStringLiteral("shoes.txt — ") + QDir::toNativeSeparators("/s"),
                              QStringLiteral("shoes — ") + QDir::toNativeSeparators("/t"),
                              QStringLiteral("shoes — ") + QDir::toNativeSeparators("/s")}));
    }

    void choosingAFileRunsOpensStepsAndAMissingOneLeavesTheList() {
        TFormMain& main = fixture->start();
        const QStringList paths = makeSheets(2);
        for (const QString& path : paths) main.Document()->OpenFirstOf({path});
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Left"), QStringLiteral("未保存"));

        // The older file: the save question first, then it opens.
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        showMenu(main)->actions()[1]->trigger();
        QCOMPARE(fixture->dialogs.messages.back().caption, QStringLiteral("確認"));
        QCOMPARE(main.CurrentFileName(), paths[0]);
        QCOMPARE(main.windowTitle(), QStringLiteral("Quorvel - sheet0"));
        QCOMPARE(main.RecentFiles()->Paths().front(), paths[0]);

        // Cancelling the question leaves everything as it was.
        uitest::TypeInto(fixture->find<TCellEdit>("Memo1Left"), QStringLiteral("また"));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::Cancel);
        showMenu(main)->actions()[1]->trigger();
        QCOMPARE(main.CurrentFileName(), paths[0]);
        QCOMPARE(main.RecentFiles()->Paths().size(), 2);

        // A file that is gone: the load's message, and it leaves the list.
        QVERIFY(QFile::remove(paths[1]));
        fixture->dialogs.messageAnswers.push_back(QMessageBox::No);
        const auto before = fixture->dialogs.messages.size();
        showMenu(main)->actions()[1]->trigger();
        QCOMPARE(fixture->dialogs.messages.size(), before + 2);
        QCOMPARE(fixture->dialogs.messages.back().caption, QStringLiteral("データ読み込み"));
        QCOMPARE(main.RecentFiles()->Paths(), QStringList{paths[0]});
        QCOMPARE(main.CurrentFileName(), paths[0]);
        QCOMPARE(fixture->dialogs.unexpected, 0);
    }

    void theOpenButtonKeepsItsSizeAndClickAndOffersTheMenuOnRightClick() {
        TFormMain& main = fixture->start();
        main.Document()->OpenFirstOf(makeSheets(1));
        auto* open = fixture->find<QToolButton>("SpeedButtonOpen");
        QCOMPARE(open->size(), QSize(23, 22));
        QCOMPARE(open->popupMode(), QToolButton::DelayedPopup);
        fixture->dialogs.fileAnswers.push_back(std::nullopt);
        open->click();
        QCOMPARE(int(fixture->dialogs.fileRequests.size()), 1);

        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                     open->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(open, &rightClick);
        QMenu* menu = main.RecentFiles()->Menu();
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 60000);
        QCOMPARE(menu->actions().size(), 1);
        menu->hide();
    }

  private:
    QStringList makeSheets(int count) {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            quorvel::TDescriptionSheet sheet;
            sheet.Title.Text = "sheet" + std::to_string(i);
            const QString path = fixture->files.filePath(QStringLiteral("sheet%1.qvl").arg(i));
            if (quorvel::SaveDataFile(sheet, QFile::encodeName(path).toStdString()))
                qFatal("cannot write a sample sheet");
            paths << path;
        }
        return paths;
    }

    static QMenu* showMenu(TFormMain& main) {
        QMenu* menu = main.RecentFiles()->Menu();
        emit menu->aboutToShow();
        return menu;
    }

    std::unique_ptr<MainWindowFixture> fixture;
};

QUORVEL_UI_TEST_MAIN(RecentFilesTest)
#include "test_recent_files.moc"
