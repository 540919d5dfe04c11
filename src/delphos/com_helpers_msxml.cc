#include "delphos/com_helpers_msxml.h"

#include "base/error.h"
#include "base/unicode.h"

namespace pasahorario::delphos {

Bstr::Bstr(std::string_view utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  b_ = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                         static_cast<UINT>(wide.size()));
  if (!b_) throw Error("No hay memoria para el texto del documento XML");
}

std::string Bstr::Utf8() const { return Utf16ToUtf8(View()); }

std::string Hex(HRESULT hr) {
  char number[16];
  wsprintfA(number, "0x%08lX", static_cast<unsigned long>(hr));
  return number;
}

std::string SystemMessage(HRESULT hr) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (length > 0 && buffer) text.assign(reinterpret_cast<const char16_t*>(buffer), length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ' ||
                           text.back() == u'.')) {
    text.pop_back();
  }
  return text.empty() ? "Error " + Hex(hr) : Utf16ToUtf8(text);
}

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) {
    throw Error(std::string("El componente XML falló en ") + what + ": " + SystemMessage(hr) +
                " (" + Hex(hr) + ")");
  }
}

void EnsureCom() {
  thread_local bool ready = false;
  if (ready) return;
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  if (CoGetApartmentType(&type, &qualifier) == CO_E_NOTINITIALIZED) {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) {
      throw Error("No se pudo iniciar COM: " + SystemMessage(hr) + " (" + Hex(hr) + ")");
    }
  }
  ready = true;
}

}  // namespace pasahorario::delphos
