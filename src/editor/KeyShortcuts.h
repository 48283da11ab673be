#pragma once

#include <functional>

class QWidget;
class TCellEdit;
class TDocumentController;
class TEditMenu;

// The keys every desktop editor has, beside the toolbars: Ctrl+N, Ctrl+O, Ctrl+S and
// Ctrl+Shift+S run the file commands from anywhere in `window`, cells included.
void InstallFileShortcuts(QWidget& window, TDocumentController& document);

// Ctrl+Shift+G asks for a picture for the focused cell, as the cells' menu item does; with no
// cell focused it does nothing.
void InstallCellShortcuts(QWidget& window, TEditMenu& menu,
                          const std::function<TCellEdit*()>& focusedCell);

// Esc closes `window` as its close box does, wherever the focus is inside it (the web view
// included, which would otherwise keep the key).
void InstallCloseOnEscape(QWidget* window);
