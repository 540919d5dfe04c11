// The masked entry of the start-time dialog: an EDIT control whose text
// always has the form of the mask "!90:00;1;_". Typing, Delete, Backspace,
// cut and paste all go through HoraInicioMask; empty positions show "_".
// Escape puts back the text the entry had when it got the focus.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace pasahorario {

// Takes over `edit` (an EDIT control) and gives it `text`. The state lives
// with the control and goes when the control is destroyed.
void AttachHoraInicioMask(HWND edit, std::string_view text);

// The entry's text as the mask holds it: five characters, a blank in each
// empty position ("08:00", " 8:00", "  :  "). Requires: an attached entry.
std::string HoraInicioText(HWND edit);

// True when every required digit is there. Requires: an attached entry.
bool HoraInicioComplete(HWND edit);

}  // namespace pasahorario
