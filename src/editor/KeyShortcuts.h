#pragma once

class QWidget;
class TFormMain;

// The keys every desktop editor has, beside the toolbars: Ctrl+N, Ctrl+O, Ctrl+S and
// Ctrl+Shift+S run the file buttons' handlers from anywhere in the main window, cells included.
void InstallFileShortcuts(TFormMain& main);

// Ctrl+Shift+G asks for a picture for the focused cell, as the cells' menu item does; with no
// cell focused it does nothing.
void InstallCellShortcuts(TFormMain& main);

// Esc closes `window` as its close box does, wherever the focus is inside it (the web view
// included, which would otherwise keep the key).
void InstallCloseOnEscape(QWidget* window);
