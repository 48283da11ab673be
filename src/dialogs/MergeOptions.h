#pragma once

#include <QDialog>

#include "sheet/ListingCheck.h"
#include "store/MergeChoices.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

// 一括作成's first question: what each row becomes (the tags, the plain text beside them, or the
// plain text alone) and whether each row is checked, for which marketplace, in the report.
class TMergeOptionsForm : public QDialog {
    Q_OBJECT
  public:
    explicit TMergeOptionsForm(QWidget* parent = nullptr);

    void SetChoices(quorvel::MergeTextChoice text, bool check, quorvel::CheckMarket market);
    quorvel::MergeTextChoice TextChoice() const;
    bool Check() const;
    quorvel::CheckMarket Market() const;

    QRadioButton* RadioTagsOnly = nullptr;
    QRadioButton* RadioTagsAndText = nullptr;
    QRadioButton* RadioTextOnly = nullptr;
    QCheckBox* CheckBoxCheck = nullptr;
    QComboBox* ComboBoxMarket = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
