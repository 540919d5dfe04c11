// The help file DELPHOS.chm beside the executable, shown by the HTML Help
// viewer (HtmlHelpW from hhctrl.ocx, loaded at the first use).
#pragma once
#include <windows.h>

#include <filesystem>

namespace pasahorario {

inline constexpr wchar_t kHelpFileName[] = L"DELPHOS.chm";

class HelpViewer {
 public:
  // `chm`: the help file's full path.
  explicit HelpViewer(std::filesystem::path chm);
  // Closes every help window and unloads the viewer.
  ~HelpViewer();
  HelpViewer(const HelpViewer&) = delete;
  HelpViewer& operator=(const HelpViewer&) = delete;

  // Opens the file at its contents (its default topic). Throws Error when
  // the file is missing or the viewer cannot be loaded or opened.
  void ShowContents(HWND owner);
  // Opens the file at the topic mapped to `context` (F1). Throws as above.
  void ShowTopic(HWND owner, DWORD context);

 private:
  using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

  void Open(HWND owner, UINT command, DWORD_PTR data);

  std::filesystem::path chm_;
  HMODULE library_ = nullptr;
  HtmlHelpFn html_help_ = nullptr;
};

}  // namespace pasahorario
