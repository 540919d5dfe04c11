// TFormInicioClase, the modal dialog that asks for the start time of the
// first class of the day ("Hora de Inicio de las Clases").
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace pasahorario {

// Shows the dialog over `owner` (disabled meanwhile) with the masked entry
// MEHora0 holding `entry`, and returns the entry's text (five characters,
// blanks in empty positions) once the user has pressed "Continuar" with
// every required digit present. An incomplete entry is refused with
// "Invalid input value.  Use escape key to abandon changes." and the
// dialog stays.
std::string ShowFormInicioClase(HINSTANCE instance, HWND owner, std::string_view entry);

}  // namespace pasahorario
