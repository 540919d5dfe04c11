// The COM plumbing the MSXML backend stands on: an owning interface
// pointer, an owning BSTR, the failure of a COM call as an Error, and COM
// started for the calling thread. Windows only, like the backend.
#pragma once
#include <windows.h>
// After windows.h:
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace pasahorario::delphos {

// Owns one reference to a COM interface and releases it. Not copyable.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Releases what is held and returns where a call may store a new pointer.
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  void Swap(ComPtr& other) { std::swap(p_, other.p_); }

 private:
  T* p_ = nullptr;
};

// Owns a BSTR. Not copyable.
class Bstr {
 public:
  Bstr() = default;
  // A copy of the UTF-8 text `utf8`. Throws Error when memory runs out.
  explicit Bstr(std::string_view utf8);
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }

  BSTR get() const { return b_; }
  // Frees what is held and returns where a call may store a new string.
  BSTR* Out() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  std::u16string_view View() const {
    return std::u16string_view(reinterpret_cast<const char16_t*>(b_), b_ ? SysStringLen(b_) : 0);
  }
  std::string Utf8() const;

 private:
  BSTR b_ = nullptr;
};

// "0x80004005" for `hr`.
std::string Hex(HRESULT hr);

// The system's text for `hr` without its final full stop, or "Error 0x…"
// when the system has none.
std::string SystemMessage(HRESULT hr);

// Throws Error when `hr` is a failure: "El componente XML falló en <what>:
// <system text> (0x…)".
void Check(HRESULT hr, const char* what);

// Makes sure COM is initialised for the calling thread. The program does it
// at start-up; a thread that has not (a test) gets a single-threaded
// apartment here, kept until the thread ends. Throws Error when COM cannot
// start.
void EnsureCom();

}  // namespace pasahorario::delphos
