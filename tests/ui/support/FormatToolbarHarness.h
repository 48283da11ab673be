#pragma once
// The format toolbar on a small stand-in for the main window, shared by its tests.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMainWindow>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "ScriptedDialogs.h"
#include "document/SheetDocument.h"
#include "panes/CellEdit.h"
#include "panes/FormatToolbar.h"
#include "sheet/DescriptionSheet.h"
#include "sheet/HtmlGenerator.h"

using quorvel::TCellFormat;

namespace formattest {

constexpr quorvel::TColor kRed = 0x000000FF;
constexpr quorvel::TColor kGreen = 0x0000FF00;
constexpr int kRow3Description = 1006;

// A small stand-in for the main window: the toolbar, a link button on another toolbar, the 22
// cell boxes bound to a sheet, and two other focusable controls.
class Harness : public QMainWindow {
  public:
    Harness() {
        auto* fileBar = addToolBar(QStringLiteral("ToolBar1"));
        link = new QToolButton(fileBar);
        link->setObjectName(QStringLiteral("SpeedButtonLink"));
        link->setFocusPolicy(Qt::NoFocus);
        fileBar->addWidget(link);

        auto* central = new QWidget(this);
        auto* layout = new QVBoxLayout(central);
        for (int index = 0; index < quorvel::kCellCount; ++index) {
            boxes[index] = new TCellEdit(document, quorvel::kTitleTag + index, central);
            boxes[index]->setFixedHeight(20);
            layout->addWidget(boxes[index]);
        }
        checkBox = new QCheckBox(QStringLiteral("check"), central);
        comboBox = new QComboBox(central);
        comboBox->addItems({QStringLiteral("0"), QStringLiteral("1")});
        layout->addWidget(checkBox);
        layout->addWidget(comboBox);
        setCentralWidget(central);

        toolbar = new TFormatToolbar(
            document,
            [this]() -> TCellEdit* {
                for (TCellEdit* candidate : boxes)
                    if (candidate->Tag() >= quorvel::kTitleTag && candidate->hasFocus())
                        return candidate;
                return nullptr;
            },
            link, this);
        addToolBar(toolbar);
        for (TCellEdit* candidate : boxes) toolbar->AttachCell(candidate);
    }

    TCellEdit* box(int tag) { return boxes[tag - quorvel::kTitleTag]; }

    quorvel::TDescriptionSheet sheet;
    TSheetDocument document{sheet};
    std::array<TCellEdit*, quorvel::kCellCount> boxes{};
    QToolButton* link = nullptr;
    QCheckBox* checkBox = nullptr;
    QComboBox* comboBox = nullptr;
    TFormatToolbar* toolbar = nullptr;
};

std::array<TCellFormat, quorvel::kCellCount> formats(const quorvel::TDescriptionSheet& sheet) {
    std::array<TCellFormat, quorvel::kCellCount> result;
    for (int index = 0; index < quorvel::kCellCount; ++index)
        result[index] = sheet.CellAt(index).Format;
    return result;
}

int countOf(const std::string& text, const std::string& piece) {
    int count = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

QColor boxColour(quorvel::TColor colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace formattest

// What the toolbar's tests share: the window, the scripted dialogs and ways to move the focus
// and read the buttons.
class FormatToolbarTestBase : public QObject {
  protected:
    using Harness = formattest::Harness;

    std::unique_ptr<Harness> w;
    std::unique_ptr<ScriptedDialogs> script;

    TFormatToolbar& bar() { return *w->toolbar; }

    QList<QToolButton*> allButtons() {
        return {
            bar().SpeedButtonAll,          bar().SpeedButtonFontColor, bar().SpeedButtonFontSizeUp,
            bar().SpeedButtonFontSizeDown, bar().SpeedButtonBold,      bar().SpeedButtonItalic,
            bar().SpeedButtonUnder,        bar().SpeedButtonBackColor, bar().SpeedButtonLeft,
            bar().SpeedButtonCenter,       bar().SpeedButtonRight,     bar().SpeedButtonVTop,
            bar().SpeedButtonVCenter,      bar().SpeedButtonVBottom};
    }

    // Enters the cell anew, leaving it first when it already has the focus (the title has it
    // from the window's activation) so the toolbar reads the cell's present format.
    bool enter(int tag) {
        if (w->box(tag)->hasFocus() && !leaveTo(w->checkBox)) return false;
        w->box(tag)->setFocus(Qt::TabFocusReason);
        return QTest::qWaitFor([&] { return w->box(tag)->hasFocus(); }, 2000);
    }

    bool leaveTo(QWidget* other) {
        other->setFocus(Qt::MouseFocusReason);
        return QTest::qWaitFor([&] { return other->hasFocus(); }, 2000);
    }

    // Which of the given buttons are down, as a string of 0/1 for compact comparisons.
    static QString downs(std::initializer_list<QToolButton*> buttons) {
        QString result;
        for (QToolButton* button : buttons) result += button->isChecked() ? u'1' : u'0';
        return result;
    }
    QString hDowns() {
        return downs({bar().SpeedButtonLeft, bar().SpeedButtonCenter, bar().SpeedButtonRight});
    }
    QString vDowns() {
        return downs({bar().SpeedButtonVTop, bar().SpeedButtonVCenter, bar().SpeedButtonVBottom});
    }

    // Every cell except the listed ones still has the format it had in before.
    void expectUnchangedExcept(const std::array<TCellFormat, quorvel::kCellCount>& before,
                               std::initializer_list<int> changedTags) {
        for (int index = 0; index < quorvel::kCellCount; ++index) {
            const int tag = quorvel::kTitleTag + index;
            if (std::find(changedTags.begin(), changedTags.end(), tag) != changedTags.end())
                continue;
            QVERIFY2(w->sheet.CellAt(index).Format == before[index],
                     qPrintable(QStringLiteral("cell %1 changed").arg(tag)));
        }
    }

    void startHarness() {
        script = std::make_unique<ScriptedDialogs>();
        w = std::make_unique<Harness>();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }

    void stopHarness() {
        if (script) QCOMPARE(script->unexpected, 0);
        w.reset();
        script.reset();
    }
};
