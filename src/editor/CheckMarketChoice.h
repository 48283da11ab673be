#pragma once

class TListingChecker;
class TPreviewCheckTab;
namespace quorvel {
class KeyStore;
}

// Ties the check tab's "出品先" to the listing check: the stored choice is shown and checked for
// at start, and a new choice checks the sheet again at once; the main window keeps the choice
// with its settings at the close. `settings` may be null (nothing is read then).
void AttachCheckMarket(TPreviewCheckTab& tab, TListingChecker& checker,
                       quorvel::KeyStore* settings);
