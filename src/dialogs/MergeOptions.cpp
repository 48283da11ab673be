#include "dialogs/MergeOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "sheet/MarketRules.h"
#include "ui/Guarded.h"

TMergeOptionsForm::TMergeOptionsForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("MergeOptionsForm"));
    setWindowTitle(QString::fromUtf8(quorvel::kMergeCaption));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto* layout = new QVBoxLayout(this);

    auto* output = new QGroupBox(QStringLiteral("各行から作るもの"), this);
    auto* outputColumn = new QVBoxLayout(output);
    const auto radio = [output, outputColumn](QRadioButton*& button, const char* name,
                                              const QString& text) {
        button = new QRadioButton(text, output);
        button->setObjectName(QString::fromLatin1(name));
        outputColumn->addWidget(button);
    };
    radio(RadioTagsOnly, "RadioTagsOnly", QStringLiteral("タグ (.html)"));
    radio(RadioTagsAndText, "RadioTagsAndText", QStringLiteral("タグとテキスト (.html と .txt)"));
    radio(RadioTextOnly, "RadioTextOnly", QStringLiteral("テキストのみ (.txt)"));
    layout->addWidget(output);

    CheckBoxCheck = new QCheckBox(QStringLiteral("各行をチェックして結果を報告に載せる"), this);
    CheckBoxCheck->setObjectName(QStringLiteral("CheckBoxCheck"));
    layout->addWidget(CheckBoxCheck);
    ComboBoxMarket = new QComboBox(this);
    ComboBoxMarket->setObjectName(QStringLiteral("ComboBoxMarket"));
    for (quorvel::CheckMarket market : quorvel::kCheckMarkets)
        ComboBoxMarket->addItem(QString::fromUtf8(quorvel::CheckMarketName(market)),
                                static_cast<int>(market));
    auto* marketRow = new QFormLayout;
    marketRow->addRow(QStringLiteral("出品先"), ComboBoxMarket);
    layout->addLayout(marketRow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ButtonOk = new QPushButton(QStringLiteral("OK(&O)"), this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ(&C)"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    layout->addLayout(buttons);

    ui::connectGuarded(ButtonOk, &QPushButton::clicked, this, [this] { accept(); });
    ui::connectGuarded(ButtonCancel, &QPushButton::clicked, this, [this] { reject(); });
    // The marketplace matters only to the check.
    ui::connectGuarded(CheckBoxCheck, &QCheckBox::toggled, this,
                       [this](bool on) { ComboBoxMarket->setEnabled(on); });
    SetChoices(quorvel::MergeTextChoice::TagsOnly, false, quorvel::CheckMarket::Generic);
}

void TMergeOptionsForm::SetChoices(quorvel::MergeTextChoice text, bool check,
                                   quorvel::CheckMarket market) {
    RadioTagsOnly->setChecked(text == quorvel::MergeTextChoice::TagsOnly);
    RadioTagsAndText->setChecked(text == quorvel::MergeTextChoice::TagsAndText);
    RadioTextOnly->setChecked(text == quorvel::MergeTextChoice::TextOnly);
    CheckBoxCheck->setChecked(check);
    ComboBoxMarket->setEnabled(check);
    const int index = ComboBoxMarket->findData(static_cast<int>(market));
    if (index >= 0) ComboBoxMarket->setCurrentIndex(index);
}

quorvel::MergeTextChoice TMergeOptionsForm::TextChoice() const {
    if (RadioTextOnly->isChecked()) return quorvel::MergeTextChoice::TextOnly;
    if (RadioTagsAndText->isChecked()) return quorvel::MergeTextChoice::TagsAndText;
    return quorvel::MergeTextChoice::TagsOnly;
}

bool TMergeOptionsForm::Check() const {
    return CheckBoxCheck->isChecked();
}

quorvel::CheckMarket TMergeOptionsForm::Market() const {
    return static_cast<quorvel::CheckMarket>(ComboBoxMarket->currentData().toInt());
}
