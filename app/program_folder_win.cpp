// The program's own folder next to the folder it started in.
#include "app/program_folder_win.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/text_win.h"

std::string ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::wstring folder(path, n);
    const std::size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : Narrow(folder.substr(0, slash));
}

std::vector<std::string> DataFolders() {
    std::vector<std::string> folders = {app.program_dir};
    const std::string own = ProgramFolder();
    if (!own.empty() && own != app.program_dir) folders.push_back(own);
    return folders;
}

std::string InDataFolder(const std::string& folder, const std::string& relative) {
    if (folder.empty()) return relative;
    const char last = folder.back();
    return (last == '/' || last == '\\') ? folder + relative : folder + "/" + relative;
}

std::string FindDataFile(const std::string& relative) {
    const std::vector<std::string> folders = DataFolders();
    for (const std::string& folder : folders) {
        const std::string path = InDataFolder(folder, relative);
        if (GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) return path;
    }
    return InDataFolder(folders.front(), relative);
}
