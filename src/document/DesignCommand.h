#pragma once

#include "document/SheetCommands.h"
#include "sheet/Design.h"

// A design put on the sheet: the 22 cells' formats and the table style as one step, texts kept.
// Each cell and the style report their own change, so every pane follows as after a format
// command, and the step's undo puts back every format it found.
class TDesignStep : public TSheetStep {
  public:
    TDesignStep(TSheetDocument& document, int focusTag, const quorvel::Design& design,
                const QString& designName);
    bool ChangesSheet() const override { return changes_; }

  private:
    bool changes_;
};
