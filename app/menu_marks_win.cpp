// Menu check marks through the system. Checking leaves an item's gray state alone.
#include "app/menu_marks_win.h"

#include <windows.h>

#include "app/app_state.h"

void SetCheckMark(int id, bool checked) {
    if (app.main_menu) CheckMenuItem(app.main_menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void ApplyCheckMarks(const std::vector<MenuMark>& marks) {
    for (const MenuMark& mark : marks) SetCheckMark(mark.id, mark.on);
}

void ApplyGrayed(const std::vector<int>& ids) {
    if (!app.main_menu) return;
    for (int id : ids) EnableMenuItem(app.main_menu, id, MF_BYCOMMAND | MF_GRAYED);
}
