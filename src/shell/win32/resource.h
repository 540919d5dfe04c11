// Resource and control identifiers of the Windows program. Shared by the
// resource script, the window code and the GUI test tools, so it holds only
// plain #defines.
#pragma once

// Icon of the program (pasahorario.ico, made at build time).
#define IDI_PASAHORARIO 1

// Main window TMForm, in tab order.
#define IDC_BCLOSE 101
#define IDC_BUTTON1 102
#define IDC_BEXPORTAR 103
#define IDC_BIMPORTAR 104

// Start-time dialog TFormInicioClase, in tab order.
#define IDC_INICIO_BUTTON1 201
#define IDC_MEHORA0 202

// Help topic of the main window and its controls (F1).
#define IDH_PRINCIPAL 1

// Report dialog, in tab order after the summary.
#define IDC_INFORME_RESUMEN 301
#define IDC_INFORME_LISTA 302
#define IDC_INFORME_GUARDAR 303
#define IDC_INFORME_CERRAR 304
