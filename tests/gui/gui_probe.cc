// Looks at the windows of a running program for the GUI tests: run under
// Wine beside the program, it prints what a test cannot learn from X11
// (control texts, enabled state, client rectangles).
//
//   gui_probe describe CAPTION   the visible top-level window whose caption
//                                is CAPTION, and each of its child windows
//   gui_probe cwd                the current directory (drive set-up check)
//   gui_probe clipboard          the text on the clipboard
//   gui_probe close-child CAPTION CLASS
//                                asks the child window of class CLASS of the
//                                top-level window CAPTION to close (WM_CLOSE)
//
// describe prints one line per window, fields separated by tabs:
//   window <hwnd> <client left> <top> <right> <bottom> <caption>
//   owner <caption of the owner window, empty when it has none>
//   focus <id of the child that has the keyboard focus, 0 when none>
//   child <id> <class> <enabled 0|1> <visible 0|1> <icon 0|1> <left> <top> <right> <bottom> <text>
// with screen coordinates; icon tells whether a static control shows an
// icon (the message box's error icon). Exit status 1 when no such window is showing.
#include <windows.h>
// After windows.h:
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

// The text as the window itself answers WM_GETTEXT (an edit control keeps
// its text apart from the window title that GetWindowText reads across
// processes).
std::wstring TextOf(HWND hwnd) {
  wchar_t buffer[4096] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, 2000, &length)) {
    GetWindowTextW(hwnd, buffer, 4096);
  }
  std::wstring text = buffer;
  for (wchar_t& c : text) {
    if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
  }
  return text;
}

struct Search {
  std::wstring caption;
  HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (IsWindowVisible(hwnd) && TextOf(hwnd) == search->caption) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM) {
  wchar_t class_name[256] = {};
  GetClassNameW(hwnd, class_name, 256);
  RECT r{};
  GetWindowRect(hwnd, &r);
  DWORD_PTR icon = 0;
  if (lstrcmpiW(class_name, L"Static") == 0) {
    SendMessageTimeoutW(hwnd, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
  }
  std::printf("child\t%d\t%s\t%d\t%d\t%d\t%ld\t%ld\t%ld\t%ld\t%s\n", GetDlgCtrlID(hwnd),
              Utf8(class_name).c_str(), IsWindowEnabled(hwnd) ? 1 : 0,
              IsWindowVisible(hwnd) ? 1 : 0, icon ? 1 : 0, r.left, r.top, r.right, r.bottom,
              Utf8(TextOf(hwnd)).c_str());
  return TRUE;
}

int Describe(const std::wstring& caption) {
  Search search{caption};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return 1;
  RECT client{};
  GetClientRect(search.found, &client);
  POINT corner{0, 0};
  ClientToScreen(search.found, &corner);
  std::printf("window\t%p\t%ld\t%ld\t%ld\t%ld\t%s\n", static_cast<void*>(search.found), corner.x,
              corner.y, corner.x + client.right, corner.y + client.bottom, Utf8(caption).c_str());
  HWND owner = GetWindow(search.found, GW_OWNER);
  std::printf("owner\t%s\n", owner ? Utf8(TextOf(owner)).c_str() : "");
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  HWND focus = GetGUIThreadInfo(GetWindowThreadProcessId(search.found, nullptr), &thread)
                   ? thread.hwndFocus
                   : nullptr;
  std::printf("focus\t%d\n", focus && IsChild(search.found, focus) ? GetDlgCtrlID(focus) : 0);
  EnumChildWindows(search.found, PrintChild, 0);
  return 0;
}

// The clipboard's text, lines as they stand (CR LF).
int Clipboard() {
  if (!OpenClipboard(nullptr)) return 1;
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  const std::string bytes = Utf8(text);
  _setmode(_fileno(stdout), _O_BINARY);  // the CR LF pairs as they are
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"describe") return Describe(argv[2]);
  if (argc == 2 && std::wstring(argv[1]) == L"cwd") {
    wchar_t dir[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, dir);
    std::printf("%s\n", Utf8(dir).c_str());
    return 0;
  }
  if (argc == 2 && std::wstring(argv[1]) == L"clipboard") return Clipboard();
  if (argc == 4 && std::wstring(argv[1]) == L"close-child") {
    HWND parent = FindWindowW(nullptr, argv[2]);
    HWND child = parent ? FindWindowExW(parent, nullptr, argv[3], nullptr) : nullptr;
    return child && PostMessageW(child, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  std::fprintf(stderr,
               "usage: gui_probe describe CAPTION | gui_probe cwd | gui_probe clipboard | "
               "gui_probe close-child CAPTION CLASS\n");
  return 2;
}
