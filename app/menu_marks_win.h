// Applying computed check marks and gray states to the main menu.
#ifndef HARMOLAB_APP_MENU_MARKS_WIN_H
#define HARMOLAB_APP_MENU_MARKS_WIN_H

#include <vector>

#include "app/menu_marks.h"

void ApplyCheckMarks(const std::vector<MenuMark>& marks);
void ApplyGrayed(const std::vector<int>& ids);
void SetCheckMark(int id, bool checked);

#endif
