// Stands in for the games and editors that Tavrin starts under Wine. It writes down how it was
// started, and what an editor would read of the project it is to open, into "<exe name>.txt"
// beside itself (UTF-8, one "name=value" line each), then ends. While "<exe name>.hold" exists
// beside it, it stays running, so a test can keep a program of the prefix alive.
// Named as a game runtime, it first reads its own files as the real runtime does, then opens a
// window and DirectDraw as the real runtime does, and dies where the real one would.
#include <windows.h>

#include <ddraw.h>
#include <float.h>
#include <shellapi.h>

#include <cwchar>
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

std::wstring failure(const wchar_t* step, HRESULT hr) {
    wchar_t buf[64];
    swprintf(buf, 64, L"%ls failed 0x%08lx", step, static_cast<unsigned long>(hr));
    return buf;
}

// What a game runtime holds open while it runs.
struct Game {
    HWND window = nullptr;
    IDirectDraw* ddraw = nullptr;
    IDirectDrawSurface* primary = nullptr;

    ~Game() {
        if (primary)
            primary->Release();
        if (ddraw)
            ddraw->Release();
        if (window)
            DestroyWindow(window);
    }
};

bool fullScreen() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool full = false;
    for (int i = 1; argv && i < argc; ++i)
        full = full || lstrcmpiW(argv[i], L"FullScreen") == 0;
    LocalFree(argv);
    return full;
}

// The real runtime, a Delphi program, unmasks these floating-point exceptions; Wine's OpenGL
// renderer then faults inside DirectDraw unless the prefix chose another renderer. So must this.
std::wstring startGame(Game& game, const std::wstring& name) {
    unsigned int cw = 0;
    _controlfp_s(&cw, _EM_INEXACT | _EM_UNDERFLOW | _EM_DENORMAL, _MCW_EM);

    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"TavrinStandIn";
    RegisterClassW(&wc);
    // Centred, so the catalogue's list stays in sight for a test's clicks.
    RECT area{0, 0, 320, 240};
    AdjustWindowRect(&area, WS_OVERLAPPEDWINDOW, FALSE);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    game.window = CreateWindowW(wc.lpszClassName, (L"Tavrin stand-in " + name).c_str(),
                                WS_OVERLAPPEDWINDOW, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (!game.window)
        return failure(L"ddraw=window", HRESULT_FROM_WIN32(GetLastError()));
    ShowWindow(game.window, SW_SHOW);
    UpdateWindow(game.window);

    std::wstring lines;
    HRESULT hr = DirectDrawCreate(nullptr, &game.ddraw, nullptr);
    if (FAILED(hr))
        return failure(L"ddraw=DirectDrawCreate", hr);
    const bool full = fullScreen();
    hr = game.ddraw->SetCooperativeLevel(game.window,
                                         full ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN : DDSCL_NORMAL);
    if (FAILED(hr))
        return failure(L"ddraw=SetCooperativeLevel", hr);
    // A display that cannot switch (Xvfb) is the desktop's matter, not the program's fault.
    if (full && FAILED(hr = game.ddraw->SetDisplayMode(640, 480, 16)))
        lines += failure(L"ddraw.displaymode=SetDisplayMode", hr) + L"\n";
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    hr = game.ddraw->CreateSurface(&desc, &game.primary, nullptr);
    if (FAILED(hr))
        return lines + failure(L"ddraw=CreateSurface", hr);
    return lines + L"ddraw=ok";
}

// As the real runtime does, through the ANSI calls in the process's code page: its folder from
// GetModuleFileNameA, its title from RPG_RT.ini there, then each file that "RPG_RT.opens" (the
// names as the game's data stores them, one a line) names, from its working folder. A file it
// cannot open is said on standard error, as the runtime's box would say it, and it ends with 1.
bool openLikeTheRuntime(std::wstring& report) {
    char self[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder = self;
    folder.resize(folder.find_last_of('\\') + 1);
    char title[256] = {};
    GetPrivateProfileStringA("RPG_RT", "GameTitle", "(absent)", title, sizeof title,
                             (folder + "RPG_RT.ini").c_str());
    report +=
        std::wstring(L"ini.found=") + (std::string(title) == "(absent)" ? L"no" : L"yes") + L"\n";
    HANDLE list = CreateFileA((folder + "RPG_RT.opens").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (list == INVALID_HANDLE_VALUE)
        return true;
    char bytes[4096] = {};
    DWORD got = 0;
    ReadFile(list, bytes, sizeof bytes - 1, &got, nullptr);
    CloseHandle(list);
    std::string names(bytes, got);
    bool all = true;
    for (std::size_t at = 0; at < names.size();) {
        std::size_t end = names.find('\n', at);
        if (end == std::string::npos)
            end = names.size();
        const std::string name = names.substr(at, end - at);
        at = end + 1;
        if (name.empty())
            continue;
        HANDLE f = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            CloseHandle(f);
            continue;
        }
        all = false;
        const std::string said = "The file " + name + " cannot be opened.\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), said.data(), static_cast<DWORD>(said.size()),
                  &written, nullptr);
    }
    report += std::wstring(L"opens=") + (all ? L"ok" : L"missing") + L"\n";
    return all;
}

#ifdef TAVRIN_STANDIN_2003
// Built as a 2003 runtime, it names the registry key of its run-time package as the real one
// does, and loads Harmony.dll once it starts, which its import table does not name. Without it,
// it says so on standard error and ends with 1.
bool startLike2003(std::wstring& report) {
    char folder[MAX_PATH] = {};
    DWORD size = sizeof folder;
    const bool rtp =
        RegGetValueA(HKEY_CURRENT_USER, "Software\\Enterbrain\\RPG2003", "RuntimePackagePath",
                     RRF_RT_REG_SZ, nullptr, folder, &size) == ERROR_SUCCESS;
    report += std::wstring(L"rtp=") + (rtp ? L"found" : L"absent") + L"\n";
    if (LoadLibraryA("Harmony.dll"))
        return true;
    const char said[] = "Harmony.dll not found.\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), said, sizeof said - 1, &written, nullptr);
    report += L"harmony=missing\n";
    return false;
}
#endif

void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
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

    const std::wstring program = upper(stem);
    Game game;
    bool opened = true;
    if (program == L"RPG_RT")
        opened = openLikeTheRuntime(report);
#ifdef TAVRIN_STANDIN_2003
    if (program == L"RPG_RT" && opened)
        opened = startLike2003(report);
#endif
    if ((program == L"RPG_RT" || program == L"GAME") && opened)
        report += startGame(game, name) + L"\n";

    // The editors: each reads its own settings file, whose section is the edition's.
    if (program == L"RPG2000" || program == L"RPG2000T" || program == L"RPG2003") {
        for (const wchar_t* key : {L"RPG2000", L"RPG2003"}) {
            const std::wstring path = std::wstring(L"Software\\Enterbrain\\") + key;
            for (const wchar_t* value : {L"ProjectBasePath", L"OpenedProjectFolder"})
                report += std::wstring(L"reg.") + key + L"." + value + L"=" +
                          registryString(path.c_str(), value) + L"\n";
        }
        const wchar_t* section = program == L"RPG2003" ? L"RPG2003" : L"RPG2000";
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
    if (!ok || !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) || !opened)
        return 1;

    // A game's window stays a while, so a test can find it.
    const std::wstring hold = folder + name + L".hold";
    const int shown = game.window ? 30 : 0;
    for (int i = 0;
         i < 1200 && (i < shown || GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES);
         ++i) {
        pumpMessages();
        Sleep(100);
    }
    return 0;
}
