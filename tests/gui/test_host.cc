// A stand-in for the host program in the GUI tests: it opens a window of
// its own, starts Pasahorario.exe in hosted mode with that window's handle
// and waits for it to end, handling its own messages meanwhile.
//
//   test_host PROGRAM MODE [close|salir]
//
// PROGRAM is started as `PROGRAM MODE <handle in hexadecimal>` in the
// current directory. With `close` the host sends WM_CLOSE to the embedded
// window once it has appeared; with `salir` it presses its Salir button.
// Prints `embedded 1` when the program's window became a child of the
// host's window, then `exit <code>` with the program's exit code. Exit
// status 0 when the program ended by itself within the time limit.
#include <windows.h>

#include <cstdio>
#include <string>

#include "shell/win32/resource.h"

namespace {

constexpr DWORD kTimeLimitMs = 60000;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_APPWORKSPACE));
    return 1;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND CreateHostWindow(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"PasahorarioTestHost";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Anfitrion de pruebas",
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 800, 420, nullptr,
                              nullptr, instance, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  return hwnd;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: test_host PROGRAM MODE [close|salir]\n");
    return 2;
  }
  const std::wstring action = argc == 4 ? argv[3] : L"";
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND host = CreateHostWindow(instance);

  wchar_t handle[32];
  swprintf(handle, 32, L"%lX", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(host)));
  std::wstring command = L"\"" + std::wstring(argv[1]) + L"\" " + argv[2] + L" " + handle;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "test_host: cannot start the program (error %lu)\n", GetLastError());
    return 2;
  }
  CloseHandle(process.hThread);

  bool embedded = false;
  bool acted = false;
  const ULONGLONG deadline = GetTickCount64() + kTimeLimitMs;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) break;
    const DWORD wait = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    HWND child = FindWindowExW(host, nullptr, L"TMForm", nullptr);
    if (child) embedded = true;
    if (child && !acted && !action.empty()) {
      acted = true;
      if (action == L"close") {
        PostMessageW(child, WM_CLOSE, 0, 0);
      } else if (action == L"salir") {
        HWND salir = GetDlgItem(child, IDC_BCLOSE);
        PostMessageW(child, WM_COMMAND, MAKEWPARAM(IDC_BCLOSE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(salir));
      }
    }
  }
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &code);
  std::printf("embedded %d\n", embedded ? 1 : 0);
  std::printf("exit %lu\n", code);
  std::fflush(stdout);
  if (code == STILL_ACTIVE) {
    TerminateProcess(process.hProcess, 3);
    CloseHandle(process.hProcess);
    std::fprintf(stderr, "test_host: the program did not end within %lu ms\n", kTimeLimitMs);
    return 1;
  }
  CloseHandle(process.hProcess);
  DestroyWindow(host);
  return 0;
}
