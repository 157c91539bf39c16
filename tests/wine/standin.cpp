// Stands in for the games and editors that Tavrin starts under Wine. It writes down how it was
// started, and what an editor would read of the project it is to open, into "<exe name>.txt"
// beside itself (UTF-8, one "name=value" line each), then ends. While "<exe name>.hold" exists
// beside it, it stays running, so a test can keep a program of the prefix alive.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

constexpr wchar_t kAbsent[] = L"(absent)";

std::wstring ownPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring currentDirectory() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring dir(n, L'\0');
    dir.resize(GetCurrentDirectoryW(n, dir.data()));
    return dir;
}

// Arguments in brackets, so an empty or spaced argument shows.
std::wstring arguments() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring out;
    for (int i = 1; argv && i < argc; ++i)
        out += L"[" + std::wstring(argv[i]) + L"]";
    LocalFree(argv);
    return out;
}

std::wstring registryString(const wchar_t* key, const wchar_t* value) {
    wchar_t buf[1024];
    DWORD size = sizeof buf;
    if (RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_SZ, nullptr, buf, &size) !=
        ERROR_SUCCESS)
        return kAbsent;
    return buf;
}

std::wstring profileString(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buf[1024];
    GetPrivateProfileStringW(section, key, kAbsent, buf, 1024, file.c_str());
    return buf;
}

std::string utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring upper(std::wstring text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    const std::wstring self = ownPath();
    const std::wstring folder = self.substr(0, self.find_last_of(L'\\') + 1);
    std::wstring name = self.substr(folder.size());
    std::wstring stem = name.substr(0, name.find_last_of(L'.'));

    std::wstring report = L"cmdline=" + std::wstring(GetCommandLineW()) + L"\n";
    report += L"args=" + arguments() + L"\n";
    report += L"cwd=" + currentDirectory() + L"\n";
    report += L"acp=" + std::to_wstring(GetACP()) + L"\n";
    report += L"exe=" + self + L"\n";

    // The editors: each reads its own settings file, whose section is the edition's.
    const std::wstring edition = upper(stem);
    if (edition == L"RPG2000" || edition == L"RPG2000T" || edition == L"RPG2003") {
        for (const wchar_t* key : {L"RPG2000", L"RPG2003"}) {
            const std::wstring path = std::wstring(L"Software\\Enterbrain\\") + key;
            for (const wchar_t* value : {L"ProjectBasePath", L"OpenedProjectFolder"})
                report += std::wstring(L"reg.") + key + L"." + value + L"=" +
                          registryString(path.c_str(), value) + L"\n";
        }
        const wchar_t* section = edition == L"RPG2003" ? L"RPG2003" : L"RPG2000";
        const std::wstring ini = folder + stem + L".ini";
        for (const wchar_t* value : {L"ProjectBasePath", L"OpenedProjectFolder"})
            report +=
                std::wstring(L"ini.") + value + L"=" + profileString(ini, section, value) + L"\n";
    }

    // Written whole under a temporary name and renamed, so a reader never sees half of it.
    const std::wstring target = folder + name + L".txt";
    const std::wstring temp = target + L".tmp";
    const std::string bytes = utf8(report);
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    ok = CloseHandle(file) && ok;
    if (!ok || !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return 1;

    const std::wstring hold = folder + name + L".hold";
    for (int i = 0; i < 1200 && GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    return 0;
}
