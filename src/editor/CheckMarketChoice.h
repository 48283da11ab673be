#pragma once

class TListingChecker;
class TPreviewCheckTab;
namespace quorvel {
class KeyStore;
}

// The check tab's "出品先" and the listing check: the stored choice is taken by the check at the
// start (its first check, once the window is up, is for it), the tab shows the check's choice when
// it is made, and a new choice checks the sheet again at once; the main window keeps the choice
// with its settings at the close. `settings` may be null (nothing is read then).
void TakeStoredCheckMarket(TListingChecker& checker, quorvel::KeyStore* settings);
void AttachCheckMarket(TPreviewCheckTab& tab, TListingChecker& checker);
