#include "shell/win32/masked_entry.h"

#include <commctrl.h>

#include <string>

#include "shell/hora_inicio_mask.h"
#include "shell/win32/wide_text.h"

namespace pasahorario {
namespace {

constexpr UINT_PTR kSubclassId = 0x4D45;  // "ME"

struct EntryState {
  HoraInicioMask mask;
  std::string text_on_focus;
};

// The state is also kept as a window property, for the readers below
// (GetWindowSubclass is exported by ordinal only).
constexpr wchar_t kStateProperty[] = L"Pasahorario.HoraInicioMask";

EntryState* StateOf(HWND edit) { return static_cast<EntryState*>(GetPropW(edit, kStateProperty)); }

// Shows the mask's text and puts the caret at `caret`.
void Refresh(HWND edit, const EntryState& state, int caret) {
  DefSubclassProc(edit, WM_SETTEXT, 0,
                  reinterpret_cast<LPARAM>(Wide(state.mask.display()).c_str()));
  DefSubclassProc(edit, EM_SETSEL, caret, caret);
}

// The selection as [from, to).
void Selection(HWND edit, int& from, int& to) {
  DWORD start = 0, end = 0;
  DefSubclassProc(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                  reinterpret_cast<LPARAM>(&end));
  from = static_cast<int>(start);
  to = static_cast<int>(end);
}

// Empties the selected positions; the caret goes to the selection's start.
// False when nothing was selected.
bool DeleteSelection(HWND edit, EntryState& state, int& caret) {
  int from = 0, to = 0;
  Selection(edit, from, to);
  caret = from;
  if (to <= from) return false;
  state.mask.Delete(from, to);
  return true;
}

std::wstring ClipboardText(HWND edit) {
  std::wstring text;
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(edit)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// Typing or pasting of `chars` at the selection, as the mask takes it;
// a beep when it takes none of them.
void TypeText(HWND edit, EntryState& state, std::wstring_view chars) {
  int from = 0, to = 0;
  Selection(edit, from, to);
  std::string ascii;
  for (wchar_t c : chars) ascii += c < 0x80 ? static_cast<char>(c) : '?';
  int caret = from;
  if (!state.mask.Insert(from, to, ascii, caret) && !chars.empty()) MessageBeep(MB_OK);
  Refresh(edit, state, caret);
}

LRESULT CALLBACK EntryProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* state = reinterpret_cast<EntryState*>(data);
  switch (msg) {
    case WM_GETDLGCODE: {
      // Escape belongs to the entry (it undoes the edit), not to the dialog.
      LRESULT code = DefSubclassProc(edit, msg, wp, lp);
      const auto* key = reinterpret_cast<const MSG*>(lp);
      if (key && key->message == WM_KEYDOWN && key->wParam == VK_ESCAPE) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_SETFOCUS:
      // An incomplete entry can only get the focus back after it was
      // refused (or after a switch to another program): Escape must still
      // go back to the text from before the editing began.
      if (state->mask.IsComplete()) state->text_on_focus = state->mask.text();
      break;
    case WM_KEYDOWN:
      if (wp == VK_DELETE) {
        int from = 0, to = 0;
        Selection(edit, from, to);
        state->mask.Delete(from, to);
        Refresh(edit, *state, from);
        return 0;
      }
      if (wp == VK_ESCAPE) {
        state->mask = HoraInicioMask(state->text_on_focus);
        Refresh(edit, *state, 0);
        DefSubclassProc(edit, EM_SETSEL, 0, -1);
        return 0;
      }
      break;
    case WM_CHAR: {
      const wchar_t c = static_cast<wchar_t>(wp);
      if (c == 0x03) break;  // Ctrl+C: copying is harmless
      if (c == 0x16) return SendMessageW(edit, WM_PASTE, 0, 0);
      if (c == 0x18) return SendMessageW(edit, WM_CUT, 0, 0);
      if (c == L'\b') {
        int caret = 0;
        if (!DeleteSelection(edit, *state, caret)) state->mask.Backspace(caret);
        Refresh(edit, *state, caret);
        return 0;
      }
      if (c < L' ') return 0;  // Enter, Tab, Escape, Ctrl+Z and the like
      TypeText(edit, *state, std::wstring_view(&c, 1));
      return 0;
    }
    case WM_PASTE:
      TypeText(edit, *state, ClipboardText(edit));
      return 0;
    case WM_CUT:
      DefSubclassProc(edit, WM_COPY, 0, 0);
      [[fallthrough]];
    case WM_CLEAR: {
      int caret = 0;
      DeleteSelection(edit, *state, caret);
      Refresh(edit, *state, caret);
      return 0;
    }
    case WM_UNDO:
    case EM_UNDO:
      return 0;
    case WM_NCDESTROY:
      RemovePropW(edit, kStateProperty);
      RemoveWindowSubclass(edit, EntryProc, kSubclassId);
      delete state;
      break;
    default:
      break;
  }
  return DefSubclassProc(edit, msg, wp, lp);
}

}  // namespace

void AttachHoraInicioMask(HWND edit, std::string_view text) {
  auto* state = new EntryState{HoraInicioMask(text), {}};
  state->text_on_focus = state->mask.text();
  SetPropW(edit, kStateProperty, state);
  SetWindowSubclass(edit, EntryProc, kSubclassId, reinterpret_cast<DWORD_PTR>(state));
  SendMessageW(edit, EM_SETLIMITTEXT, HoraInicioMask::kLength, 0);
  Refresh(edit, *state, 0);
}

std::string HoraInicioText(HWND edit) {
  const EntryState* state = StateOf(edit);
  return state ? state->mask.text() : std::string();
}

bool HoraInicioComplete(HWND edit) {
  const EntryState* state = StateOf(edit);
  return state && state->mask.IsComplete();
}

}  // namespace pasahorario
