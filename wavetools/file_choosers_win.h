// Standard Open and Save dialogs for WAV and text files. Each returns 0 with the chosen path
// in its destination, or -1 when the user cancels (the destination is then unchanged).
#ifndef HARMOLAB_WAVETOOLS_FILE_CHOOSERS_WIN_H
#define HARMOLAB_WAVETOOLS_FILE_CHOOSERS_WIN_H

#include <windows.h>

#include <string>

int ChooseSoundFile(HWND owner, std::string& path);
int ChooseAnalysisWave(HWND owner, std::string& path);
int ChooseToneFile(HWND owner, std::string& path);
int ChooseLogFile(HWND owner, std::string& path);
int ChooseCancelerFile(HWND owner, bool save, std::string& path);

#endif
