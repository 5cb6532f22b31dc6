// Where the program's own files (pictures, click sounds, help) are found.
#ifndef HARMOLAB_APP_PROGRAM_FOLDER_WIN_H
#define HARMOLAB_APP_PROGRAM_FOLDER_WIN_H

#include <string>
#include <vector>

// The folder holding Harmolab.exe, UTF-8, without a trailing separator; empty when unknown.
std::string ProgramFolder();
// The folders searched for the program's files, in order: the folder it started in (program_dir),
// then its own folder, so that a copy started from elsewhere still finds what was shipped with it.
std::vector<std::string> DataFolders();
// A path below a folder (the folder may end in a separator).
std::string InDataFolder(const std::string& folder, const std::string& relative);
// The first of DataFolders() in which the relative path exists; the first folder when none has it.
std::string FindDataFile(const std::string& relative);

#endif
