// Small helpers shared by the modeless dialogs owned by the main window.
#ifndef HARMOLAB_APP_DIALOG_WIN_H
#define HARMOLAB_APP_DIALOG_WIN_H

#include <windows.h>

#include <string>

// Creates the dialog of a template, owned by the main window, and shows it; null on failure.
HWND CreateOwnedDialog(int template_id, DLGPROC procedure);

// Gives a message for a modeless dialog (or one of its controls) the dialog's keyboard handling:
// Tab, Enter, Esc and the arrow keys. True when the dialog took it.
bool RouteToModelessDialog(MSG& msg);

// A control's text as UTF-8 (at most 511 characters), and the reverse.
std::string DialogText(HWND dialog, int id);
void SetDialogText(HWND dialog, int id, const std::string& text);

#endif
