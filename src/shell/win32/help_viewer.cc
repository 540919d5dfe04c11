#include "shell/win32/help_viewer.h"

#include <htmlhelp.h>

#include <system_error>
#include <utility>

#include "base/error.h"
#include "base/utf8_path.h"

namespace pasahorario {

HelpViewer::HelpViewer(std::filesystem::path chm) : chm_(std::move(chm)) {}

HelpViewer::~HelpViewer() {
  if (html_help_) html_help_(nullptr, nullptr, HH_CLOSE_ALL, 0);
  if (library_) FreeLibrary(library_);
}

void HelpViewer::ShowContents(HWND owner) { Open(owner, HH_DISPLAY_TOC, 0); }

void HelpViewer::ShowTopic(HWND owner, DWORD context) { Open(owner, HH_HELP_CONTEXT, context); }

void HelpViewer::Open(HWND owner, UINT command, DWORD_PTR data) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(chm_, ec)) {
    throw Error(
        "No se encuentra el archivo de ayuda " + PathToUtf8(chm_.filename()) +
        ". Debe estar en la misma carpeta que el programa: " + PathToUtf8(chm_.parent_path()));
  }
  if (!html_help_) {
    if (!library_) library_ = LoadLibraryW(L"hhctrl.ocx");
    if (library_) {
      html_help_ = reinterpret_cast<HtmlHelpFn>(
          reinterpret_cast<void*>(GetProcAddress(library_, "HtmlHelpW")));
    }
    if (!html_help_) {
      throw Error(
          "No se puede mostrar la ayuda: el visor de ayuda HTML de Windows (hhctrl.ocx) no está "
          "disponible");
    }
  }
  if (!html_help_(owner, chm_.c_str(), command, data)) {
    throw Error("El visor de ayuda no pudo abrir " + PathToUtf8(chm_));
  }
}

}  // namespace pasahorario
