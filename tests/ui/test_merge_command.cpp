// Bulk creation from the editor: the dialogs are scripted, the spreadsheet and the expected tags
// are built here, and the files the command writes are compared byte for byte.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "MainWindowFixture.h"
#include "ScriptedDialogs.h"
#include "UiTestEnvironment.h"
#include "UiTestHelpers.h"
#include "dialogs/MergeOptions.h"
#include "editor/MergeCommand.h"
#include "platform/Sjis.h"
#include "sheet/DescriptionSheet.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/MarketRules.h"
#include "sheet/PlainText.h"

Q_DECLARE_METATYPE(std::string)

namespace {

const QString kCaption = QStringLiteral("一括作成");
const QString kFilter = QStringLiteral("CSVファイル (*.csv)|*.csv|全てのﾌｧｲﾙ(*.*)|*.*");

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void writeFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string sjis(const std::string& utf8) {
    const auto encoded = quorvel::sjis::FromUtf8(utf8);
    if (!encoded.ok()) qFatal("test text outside code page 932");
    return encoded.bytes;
}

// A template with formats, an excluded row and a cell no column names, so the test sees the
// merge keep them.
quorvel::TDescriptionSheet makeTemplate() {
    quorvel::TDescriptionSheet sheet;
    sheet.Title.Format.Bold = true;
    sheet.Title.Format.FontColor = 0x000000FF;
    sheet.Rows[0].Description.Format.HAlign = quorvel::kHAlignCenter;
    sheet.Rows[1].Item.Text = sjis("固定の項目");
    sheet.Rows[4].IncludeItem = false;
    sheet.Note.Text = sjis("上書きされる注記");
    return sheet;
}

// The template with the given cells' texts (code page 932, CR LF), as the tags must come out.
QByteArray expectedTags(const quorvel::TDescriptionSheet& templateSheet,
                        const std::vector<std::pair<int, std::string>>& utf8Texts) {
    quorvel::TDescriptionSheet sheet = templateSheet;
    for (const auto& [tag, text] : utf8Texts) sheet.CellByTag(tag).Text = sjis(text);
    return QByteArray::fromStdString(quorvel::BuildHtmlTags(sheet));
}

// Two listings with a quoted comma, doubled quotes, a line break and characters only code page
// 932 has; the second row has no file name. `lineEnd` separates records.
std::string listingsCsv(const std::string& lineEnd) {
    return "ファイル名,タイトル,項目1,説明１,枠外注記" + lineEnd +
           "shoe,\"ナイキ \"\"エア\"\" ①\",状態,\"傷あり, 汚れ少々\",注記～" + lineEnd +
           ",二番目,付属品,\"箱" + lineEnd + "説明書\"," + lineEnd;
}

}  // namespace

class MergeCommandTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        dialogs = std::make_unique<ScriptedDialogs>();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("out")));
        out = dir->path() + QStringLiteral("/out");
        csv = dir->path() + QStringLiteral("/items.csv");
    }
    void cleanup() {
        if (dialogs) QCOMPARE(dialogs->unexpected, 0);
        dialogs.reset();
        dir.reset();
    }

    void everyRowBecomesTheTemplatesTags_data() {
        QTest::addColumn<std::string>("bytes");
        QTest::newRow("UTF-8 with BOM, LF") << "\xEF\xBB\xBF" + listingsCsv("\n");
        QTest::newRow("UTF-8, CR LF") << listingsCsv("\r\n");
        QTest::newRow("Shift_JIS, CR LF") << sjis(listingsCsv("\r\n"));
    }
    void everyRowBecomesTheTemplatesTags() {
        QFETCH(std::string, bytes);
        writeFile(csv, bytes);
        const quorvel::TDescriptionSheet sheet = makeTemplate();
        dialogs->fileAnswers.push_back(csv);
        dialogs->folderAnswers.push_back(out);

        const auto result = editor::RunMerge(sheet, nullptr);

        QVERIFY(result);
        QCOMPARE(dialogs->fileRequests.size(), 1u);
        QVERIFY(!dialogs->fileRequests[0].save);
        QCOMPARE(dialogs->fileRequests[0].filter, kFilter);
        QCOMPARE(dialogs->folderRequests.size(), 1u);
        QCOMPARE(dialogs->folderRequests[0], QStringLiteral("一括作成 - 出力先フォルダを選択"));
        QCOMPARE(dialogs->fileCaptions,
                 std::vector<QString>{QStringLiteral("一括作成 - CSVファイルを選択")});
        // The wait is asked for with its caption, label and half-second delay, and ends.
        QCOMPARE(dialogs->progressRequests.size(), 1u);
        QCOMPARE(dialogs->progressRequests[0].caption, kCaption);
        QCOMPARE(dialogs->progressRequests[0].label, QStringLiteral("一括作成中…"));
        QCOMPARE(dialogs->progressRequests[0].delayMs, 500);
        QVERIFY(dialogs->progressSeen.back().finished);
        QCOMPARE(dialogs->progressSeen.back().done, 2);
        QCOMPARE(dialogs->progressSeen.back().total, 2);
        QCOMPARE(QDir(out).entryList(QDir::Files),
                 QStringList({QStringLiteral("0002.html"), QStringLiteral("shoe.html")}));
        QCOMPARE(readFile(out + QStringLiteral("/shoe.html")),
                 expectedTags(sheet, {{quorvel::kTitleTag, "ナイキ \"エア\" ①"},
                                      {quorvel::ItemTag(1), "状態"},
                                      {quorvel::DescriptionTag(1), "傷あり, 汚れ少々"},
                                      {quorvel::kNoteTag, "注記～"}}));
        // Empty fields empty their cells: nothing is skipped from the editor.
        QCOMPARE(readFile(out + QStringLiteral("/0002.html")),
                 expectedTags(sheet, {{quorvel::kTitleTag, "二番目"},
                                      {quorvel::ItemTag(1), "付属品"},
                                      {quorvel::DescriptionTag(1), "箱\r\n説明書"},
                                      {quorvel::kNoteTag, ""}}));
        QCOMPARE(dialogs->messages.size(), 1u);
        QCOMPARE(dialogs->messages[0].caption, kCaption);
        QCOMPARE(dialogs->messages[0].text, QStringLiteral("2 件のタグを作成しました\n出力先: ") +
                                                QDir::toNativeSeparators(out));
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Information);
    }

    void failedRowsAreListedAndTheOthersStillMade() {
        // Row 3 holds a private-use character no cell takes; row 4 leaves the folder.
        writeFile(csv,
                  "タイトル,ファイル名,価格\n"
                  "一つ目,,100\n"
                  "私用\xF3\xB0\x80\x80,,200\n"
                  "外へ,../escape,300\n"
                  "四つ目,,400\n");
        dialogs->fileAnswers.push_back(csv);
        dialogs->folderAnswers.push_back(out);

        const auto result = editor::RunMerge(quorvel::TDescriptionSheet(), nullptr);

        QVERIFY(result);
        QCOMPARE(result->produced, 2);
        QCOMPARE(QDir(out).entryList(QDir::Files),
                 QStringList({QStringLiteral("0001.html"), QStringLiteral("0004.html")}));
        QVERIFY(!QFile::exists(dir->path() + QStringLiteral("/escape.html")));
        QCOMPARE(dialogs->messages.size(), 1u);
        const QStringList lines = dialogs->messages[0].text.split(u'\n');
        QCOMPARE(lines.value(0), QStringLiteral("2 件のタグを作成しました"));
        QVERIFY2(lines.contains(QStringLiteral("使わない列: C列「価格」")),
                 qPrintable(lines.join('|')));
        QCOMPARE(lines.filter(QStringLiteral("3行目 ")).size(), 1);
        QVERIFY(
            lines.filter(QStringLiteral("3行目 "))[0].contains(QStringLiteral("A列「タイトル」")));
        QCOMPARE(lines.filter(QStringLiteral("4行目 ")).size(), 1);
        QVERIFY(lines.filter(QStringLiteral("4行目 "))[0].contains(QStringLiteral("../escape")));
        QCOMPARE(dialogs->messages[0].caption, kCaption);
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Warning);
    }

    void aLongFailureListIsCutShort() {
        quorvel::MergeResult result;
        result.produced = 1;
        result.failed = 25;
        for (int row = 2; row <= 26; ++row)
            result.rowErrors.push_back(std::to_string(row) + "行目 だめ");
        const QStringList lines = editor::MergeReport(result).split(u'\n');
        QCOMPARE(lines.value(0), QStringLiteral("1 件のタグを作成しました"));
        QVERIFY(lines.contains(QStringLiteral("21行目 だめ")));
        QVERIFY(!lines.contains(QStringLiteral("22行目 だめ")));
        QCOMPARE(lines.last(), QStringLiteral("ほか 5 行"));
    }

    void cancelAtEitherDialogDoesNothing() {
        writeFile(csv, listingsCsv("\n"));
        dialogs->fileAnswers.push_back(std::nullopt);
        QVERIFY(!editor::RunMerge(makeTemplate(), nullptr));
        QVERIFY(dialogs->folderRequests.empty());

        dialogs->fileAnswers.push_back(csv);
        dialogs->folderAnswers.push_back(std::nullopt);
        QVERIFY(!editor::RunMerge(makeTemplate(), nullptr));
        QCOMPARE(dialogs->folderRequests.size(), 1u);

        QVERIFY(dialogs->messages.empty());
        QVERIFY(QDir(out).entryList(QDir::Files).isEmpty());
        QVERIFY(QDir(dir->path()).entryList(QDir::Files) ==
                QStringList{QStringLiteral("items.csv")});
    }

    void aSpreadsheetThatIsNoRegularFileIsRefusedWithAMessage() {
        // A folder once aborted the editor; a FIFO would hang it.
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder.csv")));
        QStringList inputs{dir->path() + QStringLiteral("/folder.csv")};
#ifndef Q_OS_WIN
        const QString fifo = dir->path() + QStringLiteral("/fifo.csv");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        inputs << fifo;
#endif
        for (const QString& input : inputs) {
            dialogs->messages.clear();
            dialogs->fileAnswers.push_back(input);
            dialogs->folderAnswers.push_back(out);
            const auto result = editor::RunMerge(makeTemplate(), nullptr);
            QVERIFY(result && result->error);
            QCOMPARE(dialogs->messages.size(), 1u);
            QCOMPARE(dialogs->messages[0].text, QStringLiteral("ファイル ") +
                                                    QDir::toNativeSeparators(input) +
                                                    QStringLiteral(" は開けません"));
        }
        QVERIFY(QDir(out).entryList(QDir::Files).isEmpty());
    }

    void theReportCountsRemovedControlCharacters() {
        writeFile(csv, std::string("タイトル\nA\x01"
                                   "B\x7F\n"));
        dialogs->fileAnswers.push_back(csv);
        dialogs->folderAnswers.push_back(out);
        const auto result = editor::RunMerge(quorvel::TDescriptionSheet(), nullptr);
        QVERIFY(result && result->ok());
        QCOMPARE(result->removedControls, 2u);
        QVERIFY2(
            dialogs->messages[0].text.contains(QStringLiteral("制御文字 2 個を取り除きました")),
            qPrintable(dialogs->messages[0].text));
    }

    void progressCountsTheRowsAndCancelKeepsWhatWasWritten() {
        // Enough rows that the merge is still running when the script cancels.
        constexpr int kRows = 20000;
        std::string bytes = "タイトル\n";
        for (int row = 1; row <= kRows; ++row) bytes += "行" + std::to_string(row) + "\n";
        writeFile(csv, bytes);
        dialogs->fileAnswers.push_back(csv);
        dialogs->folderAnswers.push_back(out);
        dialogs->progressScript = [](const DialogSeam::Progress& progress) {
            return progress.total == kRows && progress.done >= 10;
        };
        const auto result = editor::RunMerge(makeTemplate(), nullptr);
        QVERIFY(result);
        QVERIFY(result->stopped);
        QVERIFY(!result->ok());
        QVERIFY2(result->produced >= 10 && result->produced < kRows,
                 qPrintable(QString::number(result->produced)));
        // The files of the rows made stay, and no others were written.
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), result->produced);
        QVERIFY(QFile::exists(out + QStringLiteral("/0001.html")));
        // Seen counting up to the total, never past it.
        long long last = 0;
        for (const DialogSeam::Progress& seen : dialogs->progressSeen) {
            QVERIFY(seen.done >= last);
            QVERIFY(seen.total == 0 || seen.total == kRows);
            QVERIFY(seen.done <= kRows);
            last = seen.done;
        }
        QVERIFY(dialogs->progressSeen.back().finished);
        QCOMPARE(dialogs->messages.size(), 1u);
        const QStringList lines = dialogs->messages[0].text.split(u'\n');
        QCOMPARE(lines.value(0), QStringLiteral("%1 件のタグを作成しました").arg(result->produced));
        const long long left = kRows - dialogs->progressSeen.back().done;
        QVERIFY2(
            lines.contains(QStringLiteral("中止しました (残り %1 行は作成していません)").arg(left)),
            qPrintable(lines.join('|')));
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Warning);
    }

    void theRealProgressWindowShowsLateAndCancels() {
        // The platform side of the seam on a clock the test moves, 100 ms a look at the task:
        // nothing shows for a quick task, the window shows once the delay has passed, and its
        // cancel button stops the task.
        setDialogs(nullptr);
        uitest::TestClock clock;
        using std::chrono::milliseconds;
        const auto start = clock.Now();
        std::optional<milliseconds> shownAt;
        const auto look = [&] {
            auto* box = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return static_cast<QProgressDialog*>(nullptr);
            if (!shownAt) shownAt = std::chrono::duration_cast<milliseconds>(clock.Now() - start);
            return box;
        };
        std::atomic<bool> stop{false};
        int polls = 0;
        const bool quick = ::dialogs().waitWithProgress(
            nullptr, kCaption, QStringLiteral("一括作成中…"), 500,
            [&] {
                look();
                clock.Advance(milliseconds(100));
                return DialogSeam::Progress{1, 1, ++polls >= 5};  // done at the delay's end
            },
            [&] { stop = true; });
        QVERIFY(!quick);
        QVERIFY(!shownAt);

        polls = 0;
        const auto again = clock.Now();
        QString title, label;
        const bool cancelled = ::dialogs().waitWithProgress(
            nullptr, kCaption, QStringLiteral("一括作成中…"), 500,
            [&] {
                if (QProgressDialog* box = look(); box && !box->wasCanceled()) {
                    title = box->windowTitle();
                    label = box->labelText();
                    if (auto* cancel = box->findChild<QPushButton*>()) cancel->click();
                }
                clock.Advance(milliseconds(100));
                return DialogSeam::Progress{7, 10, stop.load() || ++polls > 1000};
            },
            [&] { stop = true; });
        setDialogs(dialogs.get());
        QVERIFY(shownAt);
        QCOMPARE((*shownAt - std::chrono::duration_cast<milliseconds>(again - start)).count(), 500);
        QCOMPARE(title, kCaption);
        QVERIFY2(label.startsWith(QStringLiteral("一括作成中…\n7 / 10 行")), qPrintable(label));
        QVERIFY(cancelled);
        QVERIFY(stop);
        QVERIFY(polls <= 1000);
    }

    void anUnreadableSpreadsheetIsAFileError() {
        dialogs->fileAnswers.push_back(dir->path() + QStringLiteral("/missing.csv"));
        dialogs->folderAnswers.push_back(out);
        const auto result = editor::RunMerge(makeTemplate(), nullptr);
        QVERIFY(result && result->error);
        QCOMPARE(dialogs->messages.size(), 1u);
        QCOMPARE(dialogs->messages[0].caption, kCaption);
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Warning);
        QVERIFY(dialogs->messages[0].text.contains(QStringLiteral("missing.csv")));
        QVERIFY(!dialogs->messages[0].text.contains(QStringLiteral("件のタグ")));
        QVERIFY(QDir(out).entryList(QDir::Files).isEmpty());
    }

    void theButtonSitsAfterTagCopyAndMergesTheCurrentSheet() {
        dialogs.reset();  // the fixture brings its own
        MainWindowFixture fixture;
        TFormMain& main = fixture.start();
        auto* bar = fixture.find<QToolBar>("ToolBar1");
        auto* tagCopy = fixture.find<QToolButton>("SpeedButtonTagCopy");
        auto* merge = fixture.find<QToolButton>("SpeedButtonMerge");
        QVERIFY(merge);
        QCOMPARE(merge, main.SpeedButtonMerge);
        QCOMPARE(merge->parentWidget(), bar);
        QCOMPARE(merge->toolTip(), kCaption);
        QCOMPARE(merge->statusTip(), QStringLiteral("CSVの各行から説明タグを一括作成"));
        QVERIFY(!merge->icon().isNull());
        QVERIFY(merge->isEnabled());
        QVERIFY(!merge->isCheckable());
        QCOMPARE(merge->focusPolicy(), Qt::NoFocus);
        QCOMPARE(merge->size(), QSize(19, 22));

        // In the preview group: right after tag copy, then the separator before the link button.
        const QList<QAction*> actions = bar->actions();
        const auto at = [&](QWidget* widget) {
            for (int i = 0; i < actions.size(); ++i)
                if (bar->widgetForAction(actions[i]) == widget) return i;
            return -1;
        };
        const int index = at(merge);
        QCOMPARE(index, at(tagCopy) + 1);
        // The live view's toggle, where the build has the page engine, follows it in the group.
        auto* live = bar->findChild<QToolButton*>(QStringLiteral("SpeedButtonLiveView"));
        const int last = live ? at(live) : index;
        QCOMPARE(last, live ? index + 1 : index);
        QVERIFY(actions.value(last + 1) && actions[last + 1]->isSeparator());
        QCOMPARE(at(fixture.find<QToolButton>("SpeedButtonLink")), last + 2);
        QVERIFY(merge->x() >= tagCopy->x() + tagCopy->width());
        QVERIFY(merge->x() - (tagCopy->x() + tagCopy->width()) < 8);
        // Every button still fits on the bar, none pushed into an overflow menu.
        auto* help = fixture.find<QToolButton>("SpeedButtonHelp");
        QVERIFY(help->isVisible());
        QVERIFY(help->geometry().right() < bar->width());

        // The sheet being edited is the template, formats and all.
        main.Sheet().Rows[2].Item.Format.Italic = true;
        main.Sheet().Rows[2].Item.Text = sjis("型番");
        uitest::TypeInto(fixture.find<QWidget>("MemoTytle"), QStringLiteral("編集中のタイトル"));
        const quorvel::TDescriptionSheet edited = main.Sheet();
        QCOMPARE(QString::fromStdString(quorvel::sjis::ToUtf8(edited.Title.Text)),
                 QStringLiteral("編集中のタイトル"));
        writeFile(csv, "説明３,ファイル名\r\nABC-123,item.htm\r\n");
        fixture.dialogs.fileAnswers.push_back(csv);
        fixture.dialogs.folderAnswers.push_back(out);
        // The choices come first; as they stand, the tags alone and no check.
        fixture.dialogs.modalScripts.push_back([](QDialog& dialog) {
            auto& form = static_cast<TMergeOptionsForm&>(dialog);
            if (!form.RadioTagsOnly->isChecked() || form.CheckBoxCheck->isChecked()) return -1;
            form.ButtonOk->click();
            return dialog.result();
        });

        merge->click();

        QCOMPARE(fixture.dialogs.modalShown,
                 std::vector<QString>{QStringLiteral("MergeOptionsForm")});
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{QStringLiteral("item.htm")});
        QCOMPARE(readFile(out + QStringLiteral("/item.htm")),
                 expectedTags(edited, {{quorvel::DescriptionTag(3), "ABC-123"}}));
        QCOMPARE(fixture.dialogs.messages.size(), 1u);
        QCOMPARE(
            fixture.dialogs.messages[0].text,
            QStringLiteral("1 件のタグを作成しました\n出力先: ") + QDir::toNativeSeparators(out));
        // The template itself is left as it was.
        QCOMPARE(main.Sheet().Rows[2].Description.Text, std::string());
        QCOMPARE(fixture.dialogs.unexpected, 0);
        dialogs = std::make_unique<ScriptedDialogs>();
    }

    // The choices a seller makes before the files: each changes what is written or reported.
    void theChoicesGiveTheTextAndTheCheckForTheMarketplace() {
        writeFile(csv,
                  "ファイル名,タイトル,説明１\r\na,カメラ,連絡は shop@example.com まで\r\n"
                  "b,レンズ,<B>美品\r\n");
        const quorvel::TDescriptionSheet sheet = makeTemplate();
        const auto merged = [&sheet](const char* title, const char* description) {
            quorvel::TDescriptionSheet row = sheet;
            row.Title.Text = sjis(title);
            row.Rows[0].Description.Text = sjis(description);
            return row;
        };
        struct Case {
            const char* name;
            int radio;  // 0 tags, 1 tags and text, 2 text only
            bool check;
            quorvel::CheckMarket market;
            QStringList files;
        };
        const Case cases[] = {
            {"text beside, yahoo",
             1,
             true,
             quorvel::CheckMarket::Yahoo,
             {"a.html", "a.txt", "b.html", "b.txt"}},
            {"text only, ebay", 2, true, quorvel::CheckMarket::Ebay, {"a.txt", "b.txt"}},
            {"tags, no check", 0, false, quorvel::CheckMarket::Ebay, {"a.html", "b.html"}},
        };
        for (const Case& c : cases) {
            QDir(out).removeRecursively();
            QVERIFY(QDir().mkpath(out));
            dialogs->messages.clear();
            dialogs->fileAnswers.push_back(csv);
            dialogs->folderAnswers.push_back(out);
            dialogs->modalScripts.push_back([&c](QDialog& dialog) {
                auto& form = static_cast<TMergeOptionsForm&>(dialog);
                // The marketplace offered is the check's; it counts only with the check.
                if (form.Market() != quorvel::CheckMarket::Text) return -1;
                QRadioButton* radios[] = {form.RadioTagsOnly, form.RadioTagsAndText,
                                          form.RadioTextOnly};
                radios[c.radio]->click();
                form.CheckBoxCheck->setChecked(c.check);
                if (form.ComboBoxMarket->isEnabled() != c.check) return -2;
                form.ComboBoxMarket->setCurrentIndex(
                    form.ComboBoxMarket->findData(static_cast<int>(c.market)));
                form.ButtonOk->click();
                return dialog.result();
            });
            const auto result =
                editor::MergeWithChoices(sheet, quorvel::CheckMarket::Text, nullptr);
            QVERIFY2(result && result->ok(), c.name);
            QCOMPARE(QDir(out).entryList(QDir::Files), c.files);
            const quorvel::TDescriptionSheet a = merged("カメラ", "連絡は shop@example.com まで");
            if (c.files.contains(QStringLiteral("a.txt")))
                QCOMPARE(readFile(out + QStringLiteral("/a.txt")),
                         QByteArray::fromStdString(quorvel::BuildPlainText(a)));
            QCOMPARE(dialogs->messages.size(), 1u);
            const QString report = dialogs->messages[0].text;
            QCOMPARE(dialogs->messages[0].icon, QMessageBox::Information);
            const QString head = QStringLiteral("\n\nチェック（出品先：%1）: ")
                                     .arg(QString::fromUtf8(quorvel::CheckMarketName(c.market)));
            QCOMPARE(report.contains(head), c.check);
            if (!c.check) continue;
            // Every finding of every row, as the core's check gives it for the marketplace.
            quorvel::CheckOptions options;
            options.market = c.market;
            int findings = 0;
            for (const auto& [row, text] :
                 {std::pair{2, merged("カメラ", "連絡は shop@example.com まで")},
                  std::pair{3, merged("レンズ", "<B>美品")}}) {
                const auto found =
                    quorvel::CheckListing(text, quorvel::BuildHtmlTags(text), options);
                for (const quorvel::CheckFinding& finding : found.findings) {
                    ++findings;
                    const QString line = QStringLiteral("%1行目 ").arg(row) +
                                         QString::fromStdString(quorvel::FindingLine(finding));
                    QVERIFY2(report.contains(QLatin1Char('\n') + line), qPrintable(report));
                }
            }
            QVERIFY(report.contains(head + QStringLiteral("注意 %1 件").arg(findings)));
        }

        // A cancel of the choices asks nothing further and writes nothing.
        QDir(out).removeRecursively();
        QVERIFY(QDir().mkpath(out));
        dialogs->modalScripts.push_back([](QDialog& dialog) {
            static_cast<TMergeOptionsForm&>(dialog).ButtonCancel->click();
            return dialog.result();
        });
        const std::size_t asked = dialogs->fileRequests.size();
        QVERIFY(!editor::MergeWithChoices(sheet, quorvel::CheckMarket::Generic, nullptr));
        QCOMPARE(dialogs->fileRequests.size(), asked);
        QVERIFY(QDir(out).entryList(QDir::Files).isEmpty());
    }

  private:
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<QTemporaryDir> dir;
    QString out;
    QString csv;
};

QUORVEL_UI_TEST_MAIN(MergeCommandTest)
#include "test_merge_command.moc"
