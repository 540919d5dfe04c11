#!/usr/bin/env python3
"""GUI tests of Pasahorario.exe under Wine on a private X server.

Each case starts the program (or the test host, which starts it hosted) with
drive D: mapped to a folder of its own as the current drive, so that \\XTEMP
is the test's exchange directory and Tablerix.ini lands in the test's copy
of the program folder. Windows are driven with xdotool by caption and read
with gui_probe.exe. Screenshots of the main window, the start-time dialog
and the report dialog are left in the artifacts folder.

The programs run under Wine of their own width (32-bit for the shipped
program, 64-bit for the x86-64 test build), read from the program's header.

Exit status: 0 all cases passed, 1 a case failed, 77 skipped (a tool is
missing, or the program is 32-bit and this machine cannot run 32-bit
programs).
"""
import argparse
import configparser
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import traceback
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import dbase  # noqa: E402
from wine_session import GuiError, WineSession  # noqa: E402

SKIP = 77

MAIN = "Exportar e importar datos entre Tablerix y Delphos "
FILE_DIALOG = "Seleccione Archivo XML obtenido de DELPHOS"
START_TIME = "Hora de Inicio de las Clases"
BOX = "Pasahorario"
REFUSED = "Otra exportación o importación está trabajando en la carpeta"
HELP_VIEWER = "Ayuda de Pasahorario"
REPORT = "Informe de Pasahorario"
SAVE_REPORT = "Guardar informe"
HOST = "Anfitrion de pruebas"

# Control identifiers (src/shell/win32/resource.h).
IDC_BCLOSE, IDC_BUTTON1, IDC_BEXPORTAR, IDC_BIMPORTAR = 101, 102, 103, 104
IDC_INICIO_BUTTON1, IDC_MEHORA0 = 201, 202
IDC_INFORME_RESUMEN, IDC_INFORME_LISTA, IDC_INFORME_GUARDAR, IDC_INFORME_CERRAR = 301, 302, 303, 304

UNKNOWN_ROOM = "ZZ-99"  # a room of the solution that AULAT does not hold
BOM = b"\xef\xbb\xbf"

TABLES = ["ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"]

# An export whose tables cannot keep three things as given: a subject name
# with a character outside Windows-1252, two teachers with one abbreviation,
# a level longer than its field. The report's sentences for them follow.
FAULTY_EXPORT = """<?xml version="1.0" encoding="UTF-8"?>
<SERVICIO><SALIDAS>
<listasal seq="MATERIAS"><listasal><salida>370001</salida><salida>MAT</salida>
<salida>MAT</salida><salida>Matem\u00e1ticas Aplicadas \u2713</salida></listasal></listasal>
<listasal seq="PROFESORES">
<listasal><salida>E1</salida><salida></salida><salida>Ana</salida><salida>AMU</salida></listasal>
<listasal><salida>E2</salida><salida></salida><salida>Alba</salida><salida>AMU</salida></listasal>
</listasal>
<listasal seq="GRUPOS"><listasal><salida>U1</salida><salida>1A</salida><salida>M</salida>
<salida>ESO-LOE</salida><salida>1</salida><salida>A</salida></listasal></listasal>
<listasal seq="AULAS"><listasal><salida>D1</salida><salida>A1</salida><salida>Aula 1</salida>
<salida>N</salida></listasal></listasal>
<listasal seq="ASIGNATURAS"><listasal><salida>MAT</salida><salida>1A</salida><salida>A1</salida>
<salida>M</salida><salida>ESO</salida><salida>1</salida><salida>A</salida><salida>55</salida>
<salida>370001</salida></listasal></listasal>
<listasal seq="TRAMOS"><listasal><salida dato="CODIGO_DELPHOS">4701</salida>
<salida dato="NOMBRE">L1</salida><salida dato="MINUTOS">55</salida>
<salida dato="DIA">L1</salida></listasal></listasal>
</SALIDAS></SERVICIO>
"""
FAULTY_EXPORT_FINDINGS = [
    "MATERIAS, registro 1: El valor 'Matem\u00e1ticas Aplicadas \u2713' del campo NOMBRE de "
    "ASIGNOMT tiene caracteres que la tabla (Windows-1252) no puede guardar ('\u2713') y se ha "
    "guardado como 'Matem\u00e1ticas Aplicadas ?'; si as\u00ed no sirve, c\u00e1mbielos en "
    "DELPHOS.",
    "PROFESORES: El valor 'AMU' se repite en el campo ABREV de PROFT (abreviatura de profesor) "
    "en los registros 1 y 2 de PROFESORES; la importaci\u00f3n no podr\u00e1 distinguirlos. "
    "Cambie en DELPHOS los registros repetidos para que ninguno coincida.",
    "GRUPOS, registro 1: El valor 'ESO-LOE' no cabe en el campo NIVEL de GRUPOST (5 caracteres) "
    "y se ha recortado a 'ESO-L'; si as\u00ed no sirve, ac\u00f3rtelo en DELPHOS.",
]


def check(condition, message):
    if not condition:
        raise GuiError(message)


def relative(info, control_id):
    """A control's box (left, top, width, height) in its window's client area."""
    left, top, right, bottom = info["children"][control_id]["rect"]
    return (left - info["client"][0], top - info["client"][1], right - left, bottom - top)


def same_words(a, b):
    """Whether two texts hold the same words (the probe turns line breaks
    into blanks)."""
    return a.split() == b.split()


def client_size(info):
    left, top, right, bottom = info["client"]
    return right - left, bottom - top


class Suite:
    def __init__(self, args):
        self.args = args
        self.work = os.path.abspath(args.work)
        self.artifacts = os.path.abspath(args.artifacts)
        self.drive = os.path.join(self.work, "ddrive")  # D:
        self.xtemp = os.path.join(self.drive, "XTEMP")
        self.delphos = os.path.join(self.xtemp, "delphos")
        self.program_dir = os.path.join(self.work, "programa")
        self.no_help_dir = os.path.join(self.work, "sin_ayuda")
        self.session = WineSession(self.work, os.path.join(os.path.dirname(self.work),
                                                           "wine-template"),
                                   os.path.abspath(args.probe), args.arch)

    # --- fixtures ---------------------------------------------------------

    def prepare(self):
        shutil.rmtree(self.work, ignore_errors=True)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.delphos)
        os.makedirs(self.artifacts)
        shutil.copy(self.args.example, os.path.join(self.delphos, "centro.xml"))
        for folder, with_help in ((self.program_dir, True), (self.no_help_dir, False)):
            os.makedirs(folder)
            shutil.copy(self.args.program, os.path.join(folder, "Pasahorario.exe"))
            if with_help:
                shutil.copy(self.args.help_file, os.path.join(folder, "DELPHOS.chm"))
        self.session.start({"D": self.drive})
        self.program = os.path.join(self.program_dir, "Pasahorario.exe")
        self.program_w = self.session.windows_path(self.program)

    @property
    def ini(self):
        return os.path.join(self.program_dir, "Tablerix.ini")

    def ini_value(self):
        check(os.path.exists(self.ini), "Tablerix.ini was not written")
        parser = configparser.ConfigParser()
        with open(self.ini, encoding="latin-1") as f:
            parser.read_string(f.read())
        return parser.get("Transformadores", "Transformado")

    def start_program(self, *params, folder=None):
        exe = os.path.join(folder or self.program_dir, "Pasahorario.exe")
        return self.session.launch([exe, *params], cwd=self.drive)

    def box(self):
        info = self.session.describe(BOX)
        check(info is not None, "no message box to read")
        return " ".join(info["statics"]), info["icon"]

    def dismiss_box(self, expected, error=False):
        """Waits for the Pasahorario box, checks its text and whether it is
        the error box (error icon) or a plain message, presses OK."""
        xid = self.session.wait_window(BOX)
        text, icon = self.box()
        check(text == expected, f"message box says {text!r}, expected {expected!r}")
        check(icon == error, f"{expected!r} shown {'with' if icon else 'without'} an icon")
        self.session.keys(xid, "Return")
        self.session.wait_gone(BOX)

    def choose_file(self, typed):
        xid = self.session.wait_window(FILE_DIALOG)
        self.session.type_text(xid, typed)
        self.session.keys(xid, "Return")
        self.session.wait_gone(FILE_DIALOG)

    def wait_exit(self, process, timeout=20):
        try:
            return process.wait(timeout=timeout)
        except Exception:
            raise GuiError(f"the program did not end within {timeout} s")

    def run_host(self, mode, action=None):
        """The test host, which starts the program hosted in its window."""
        args = [os.path.abspath(self.args.host), self.program_w, mode]
        if action:
            args.append(action)
        return self.session.launch(args, cwd=self.drive, capture=True)

    def host_result(self, host, timeout=30):
        try:
            out, _ = host.communicate(timeout=timeout)
        except Exception:
            raise GuiError(f"the test host did not end within {timeout} s")
        check(host.returncode == 0, f"test host failed: {out!r}")
        return dict(line.split(" ", 1) for line in out.split("\n") if " " in line)

    # --- looks --------------------------------------------------------------

    def check_main_window(self, xid):
        info = self.session.describe(MAIN)
        check(info is not None, "main window not readable")
        check(client_size(info) == (632, 266), f"client area {client_size(info)}")
        expected = {
            IDC_BCLOSE: ((256, 200, 89, 25), "&Salir"),
            IDC_BUTTON1: ((264, 231, 75, 18), "F1 AYUDA"),
            IDC_BEXPORTAR: ((97, 120, 89, 25), "OK"),
            IDC_BIMPORTAR: ((412, 120, 89, 25), "OK"),
        }
        for control_id, (box, text) in expected.items():
            check(relative(info, control_id) == box,
                  f"control {control_id} at {relative(info, control_id)}, expected {box}")
            check(info["children"][control_id]["text"] == text, f"control {control_id} text")
            check(info["children"][control_id]["enabled"], f"control {control_id} disabled")
        order = [c for c in info["children"]]
        check(order == [IDC_BCLOSE, IDC_BUTTON1, IDC_BEXPORTAR, IDC_BIMPORTAR],
              f"tab order {order}")
        _, _, width, height = self.session.geometry(xid)
        check(width > 632 and height > 266 + 10, "stand-alone window has no frame and caption")

        self.session.screenshot_window(os.path.join(self.artifacts, "main_window.png"), xid)
        client = os.path.join(self.work, "main_client.png")
        self.session.screenshot(client, info["client"])
        width, height, rgb = WineSession.pixels(client)

        def colour(x, y):
            i = (y * width + x) * 3
            return tuple(rgb[i:i + 3])

        def near(x, y, want, tolerance=10):
            got = colour(x, y)
            check(all(abs(a - b) <= tolerance for a, b in zip(got, want)),
                  f"pixel ({x},{y}) is {got}, expected about {want}")

        # Draw3D2 and Draw3D3: orange at the top, white in the middle, cream at
        # the bottom; Draw3D1: three blues. Samples away from text and buttons.
        for x in (5, 320, 625):
            near(x, 1, (249, 211, 125))
            near(x, 84, (255, 255, 255))
            near(x, 165, (255, 238, 221))
        near(600, 169, (194, 205, 254))
        near(600, 216, (207, 242, 254))
        near(600, 264, (204, 216, 230))
        red = [colour(x, y) for x in range(8, 238) for y in range(240, 253)]
        check(any(r > 200 and g < 60 and b < 60 for r, g, b in red), "no red banner text")
        dark = [colour(x, y) for x in range(25, 290) for y in range(24, 81)]
        check(sum(1 for p in dark if max(p) < 80) > 200, "no dark label text on Draw3D2")

    def check_start_time_dialog(self, xid):
        info = self.session.describe(START_TIME)
        check(info is not None, "start-time dialog not readable")
        check(client_size(info) == (307, 106), f"dialog client area {client_size(info)}")
        check(relative(info, IDC_INICIO_BUTTON1) == (208, 72, 75, 25), "Continuar misplaced")
        check(relative(info, IDC_MEHORA0) == (227, 35, 44, 21), "MEHora0 misplaced")
        check(info["children"][IDC_INICIO_BUTTON1]["text"] == "Continuar", "button text")
        check(list(info["children"]) == [IDC_INICIO_BUTTON1, IDC_MEHORA0], "dialog tab order")
        self.session.screenshot_window(os.path.join(self.artifacts, "inicio_clase.png"), xid)
        client = os.path.join(self.work, "inicio_client.png")
        self.session.screenshot(client, info["client"])
        width, height, rgb = WineSession.pixels(client)

        def share(box, test):
            x0, y0, w, h = box
            cells = [tuple(rgb[(y * width + x) * 3:(y * width + x) * 3 + 3])
                     for y in range(y0, y0 + h) for x in range(x0, x0 + w)]
            return sum(1 for c in cells if test(c)) / len(cells)

        check(share((0, 0, 5, 3), lambda c: min(c) > 235) == 1, "top edge is not white")
        check(share((0, 103, 5, 3), lambda c: c[0] > 230 and c[1] < 25 and c[2] < 25) == 1,
              "bottom edge is not red")
        check(share((8, 8, 294, 13), lambda c: c == (193, 255, 255)) > 0.4,
              "LabelExplica background")
        check(share((8, 32, 198, 26), lambda c: c == (255, 255, 255)) > 0.5,
              "LabelIniClase background")
        check(share((229, 37, 40, 17), lambda c: c == (255, 255, 221)) > 0.3, "MEHora0 background")
        check(share((229, 37, 40, 17), lambda c: c[0] > 200 and c[1] < 80 and c[2] < 80) > 0.03,
              "MEHora0 text is not red")

    def entry_text(self):
        info = self.session.describe(START_TIME)
        check(info is not None, "start-time dialog not readable")
        return info["children"][IDC_MEHORA0]["text"], info

    def expect_entry(self, want, timeout=5.0):
        # Keys sent by xdotool may still be on their way when it returns.
        deadline = time.monotonic() + timeout
        text, info = self.entry_text()
        while text != want and time.monotonic() < deadline:
            time.sleep(0.05)
            text, info = self.entry_text()
        check(text == want, f"MEHora0 shows {text!r}, expected {want!r}")
        return info

    def after_finish(self, ended):
        """After "Proceso finalizado": waits until the command has ended
        (`ended()`) or its report dialog shows. A report is photographed and
        closed; returns whether there was one."""
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            found = self.session._search(REPORT)
            if found:
                summary = self.session.describe(REPORT)["children"][IDC_INFORME_RESUMEN]["text"]
                print(f"  report: {summary}", flush=True)
                self.session.screenshot_window(
                    os.path.join(self.artifacts, f"informe_{len(os.listdir(self.artifacts))}.png"),
                    found[0])
                self.session.keys(found[0], "Escape")
                self.session.wait_gone(REPORT)
                return True
            if ended():
                return False
            time.sleep(0.05)
        raise GuiError("the command neither ended nor showed its report")

    def direction_buttons_disabled(self):
        info = self.session.describe(MAIN)
        return info is not None and not info["children"][IDC_BEXPORTAR]["enabled"] and \
            not info["children"][IDC_BIMPORTAR]["enabled"]

    def check_report_dialog(self, xid, screenshot, mentions=(UNKNOWN_ROOM,)):
        """The report dialog (by default after an import whose solution names
        UNKNOWN_ROOM): its controls, texts, focus and layout, the `mentions`
        in its list, and a screenshot."""
        info = self.session.describe(REPORT)
        check(info is not None, "report dialog not readable")
        controls = info["children"]
        order = list(controls)
        check(order == [IDC_INFORME_RESUMEN, IDC_INFORME_LISTA, IDC_INFORME_GUARDAR,
                        IDC_INFORME_CERRAR], f"report dialog controls {order}")
        check(controls[IDC_INFORME_GUARDAR]["text"] == "&Guardar informe\u2026", "Guardar text")
        check(controls[IDC_INFORME_CERRAR]["text"] == "&Cerrar", "Cerrar text")
        summary = controls[IDC_INFORME_RESUMEN]["text"]
        check(re.match(r"\d+ avisos?: ", summary), f"summary {summary!r}")
        listed = " ".join(controls[IDC_INFORME_LISTA]["text"].split())
        for mention in mentions:
            check(" ".join(mention.split()) in listed,
                  f"the list does not say {mention!r}: {listed!r}")
        check(info["focus"] == IDC_INFORME_LISTA, f"focus on {info['focus']}, not the list")

        # Inside the window, apart from each other, buttons in a row at the
        # bottom right under the list, the list under the summary.
        width, height = client_size(info)
        boxes = {cid: relative(info, cid) for cid in order}
        for cid, (x, y, w, h) in boxes.items():
            check(w > 0 and h > 0 and x >= 0 and y >= 0 and x + w <= width and y + h <= height,
                  f"control {cid} at {(x, y, w, h)} outside the {width}x{height} client area")
        for i, a in enumerate(order):
            for b in order[i + 1:]:
                ax, ay, aw, ah = boxes[a]
                bx, by, bw, bh = boxes[b]
                check(ax + aw <= bx or bx + bw <= ax or ay + ah <= by or by + bh <= ay,
                      f"controls {a} and {b} overlap")
        summary_box, list_box = boxes[IDC_INFORME_RESUMEN], boxes[IDC_INFORME_LISTA]
        guardar, cerrar = boxes[IDC_INFORME_GUARDAR], boxes[IDC_INFORME_CERRAR]
        check(list_box[1] >= summary_box[1] + summary_box[3], "list above the summary's end")
        check(guardar[1] == cerrar[1] and guardar[1] >= list_box[1] + list_box[3],
              "buttons not in a row under the list")
        check(guardar[0] + guardar[2] < cerrar[0] and width - (cerrar[0] + cerrar[2]) < 20,
              "Cerrar is not at the right, after Guardar")
        check(list_box[2] > width * 0.9 and list_box[3] > height * 0.5, f"list {list_box} small")

        self.session.screenshot_window(os.path.join(self.artifacts, screenshot), xid)
        client = os.path.join(self.work, "informe_client.png")
        self.session.screenshot(client, info["client"])
        pixels_width, _, rgb = WineSession.pixels(client)

        def share(box, test):
            x0, y0, w, h = box
            cells = [tuple(rgb[(y * pixels_width + x) * 3:(y * pixels_width + x) * 3 + 3])
                     for y in range(y0, y0 + h) for x in range(x0, x0 + w)]
            return sum(1 for c in cells if test(c)) / len(cells)

        x, y, w, h = list_box
        check(share((x + 3, y + 3, w - 30, h - 6), lambda c: c == (255, 255, 255)) > 0.6,
              "the list is not on white")
        # The first line is a group's heading, a few words long.
        check(share((x + 3, y + 3, min(w - 30, 160), 14), lambda c: max(c) < 80) > 0.02,
              "no text in the list's first line")
        check(share((12, 12, 32, 32), lambda c: c[0] > 200 and c[1] > 150 and c[2] < 80) > 0.1,
              "no warning icon")
        x, y, w, h = summary_box
        check(share((x, y, w, h), lambda c: max(c) < 80) > 0.02, "no summary text")
        return info

    def check_report_file(self, path, summary, list_text):
        """A saved report: byte-order mark, UTF-8, CR LF lines, the summary,
        an empty line, then the list's lines (grouped, bulleted) unwrapped."""
        check(os.path.exists(path), f"{path} was not written")
        with open(path, "rb") as f:
            data = f.read()
        check(data.startswith(BOM), f"no byte-order mark: {data[:8]!r}")
        text = data[len(BOM):].decode("utf-8")
        check(text.endswith("\r\n") and text.count("\n") == text.count("\r\n"),
              "lines do not end in CR LF")
        lines = text[:-2].split("\r\n")
        check(lines[0] == summary and lines[1] == "", f"file begins {lines[:2]!r}")
        check(same_words(" ".join(lines[2:]), list_text),
              f"file lines {lines[2:]!r} differ from the list {list_text!r}")
        check(any(UNKNOWN_ROOM in line for line in lines[2:]), f"no line names {UNKNOWN_ROOM}")

    def save_report(self, xid, typed=None):
        """Guardar informe… by its access key; `typed` replaces the file
        name the save dialog proposes."""
        self.session.keys(xid, "alt+g")
        dialog = self.session.wait_window(SAVE_REPORT)
        if typed:
            self.session.type_text(dialog, typed)
        self.session.keys(dialog, "Return")
        self.session.wait_gone(SAVE_REPORT)

    # --- cases --------------------------------------------------------------

    def case_standalone_export(self):
        program = self.start_program()
        xid = self.session.wait_window(MAIN)
        self.check_main_window(xid)

        # Help: the contents from the button, the topic from F1.
        info = self.session.describe(MAIN)
        for open_help in (lambda: self.session.click_control(info, IDC_BUTTON1),
                          lambda: self.session.keys(xid, "F1")):
            open_help()
            viewer = self.session.wait_window(HELP_VIEWER)
            check(not self.session.is_showing(BOX), "opening the help gave a message")
            self.session.keys(viewer, "alt+F4")
            self.session.wait_gone(HELP_VIEWER)

        self.session.click_control(info, IDC_BEXPORTAR)
        # A name without extension gets .xml.
        self.choose_file(r"D:\XTEMP\delphos\centro")
        dialog = self.session.wait_window(START_TIME)
        info = self.expect_entry("08:00")
        self.check_start_time_dialog(dialog)

        # The masked entry: typing over a selection, emptying it, refusal on
        # leaving it incomplete, Escape back to the text it had on entry.
        self.session.click_control(info, IDC_MEHORA0)
        self.session.keys(dialog, "Home", "shift+End")
        self.session.type_text(dialog, "0930")
        self.expect_entry("09:30")
        self.session.keys(dialog, "Home", "shift+End", "BackSpace")
        self.expect_entry("__:__")
        self.session.keys(dialog, "Tab")
        self.dismiss_box("Invalid input value.  Use escape key to abandon changes.", error=True)
        check(self.session.is_showing(START_TIME), "the dialog closed on an incomplete entry")
        self.session.keys(dialog, "Escape")
        self.expect_entry("08:00")

        # Out of range: the dialog comes back with the text as it was left.
        self.session.keys(dialog, "Home", "shift+End")
        self.session.type_text(dialog, "2400")
        self.session.keys(dialog, "Tab", "Return")
        dialog = self.session.wait_replaced(START_TIME, dialog)
        self.expect_entry("24:00")
        info = self.session.describe(START_TIME)
        self.session.click_control(info, IDC_MEHORA0)
        # A colon after one hour digit: the digit becomes the units.
        self.session.keys(dialog, "Home", "shift+End")
        self.session.type_text(dialog, "7:30")
        self.expect_entry("_7:30")
        self.session.keys(dialog, "Home", "shift+End")
        self.session.type_text(dialog, "0930")
        self.expect_entry("09:30")
        self.session.click_control(info, IDC_INICIO_BUTTON1)
        self.session.wait_gone(START_TIME)
        self.dismiss_box("Proceso finalizado")
        self.after_finish(self.direction_buttons_disabled)

        for table in TABLES:
            check(os.path.exists(os.path.join(self.xtemp, table + ".DBF")), f"{table}.DBF missing")
        slots = dbase.read_table(os.path.join(self.xtemp, "DIASHORAST.DBF"))
        first = [row for row in slots if row["DIA"] == "1" and row["HORA"] in ("1", "01")]
        check(first and first[0]["HORADESDE"] == "09:30",
              f"first Monday slot starts at {first[0]['HORADESDE'] if first else None}")

        info = self.session.describe(MAIN)
        check(not info["children"][IDC_BEXPORTAR]["enabled"], "BExportar still enabled")
        check(not info["children"][IDC_BIMPORTAR]["enabled"], "BImportar still enabled")
        check(info["children"][IDC_BCLOSE]["enabled"], "Salir disabled")
        self.session.screenshot_window(
            os.path.join(self.artifacts, "main_window_after_export.png"),
            self.session.wait_window(MAIN))
        self.session.click_control(info, IDC_BCLOSE)
        check(self.wait_exit(program) == 0, "exit code")
        check(not os.path.exists(self.ini), "stand-alone run wrote Tablerix.ini")

    def case_standalone_export_report(self):
        """An export whose tables do not keep everything as given: after
        "Proceso finalizado" the report lists each finding once; closing it
        leaves the window as any completed export does."""
        with open(os.path.join(self.delphos, "fallos.xml"), "w", encoding="utf-8") as f:
            f.write(FAULTY_EXPORT)
        program = self.start_program()
        self.session.wait_window(MAIN)
        self.session.click_control(self.session.describe(MAIN), IDC_BEXPORTAR)
        self.choose_file(r"D:\XTEMP\delphos\fallos.xml")
        dialog = self.session.wait_window(START_TIME)
        self.session.keys(dialog, "Return")  # Continuar has the focus: 08:00
        self.session.wait_gone(START_TIME)
        self.dismiss_box("Proceso finalizado")
        xid = self.session.wait_window(REPORT)
        info = self.check_report_dialog(xid, "informe_exportacion.png", FAULTY_EXPORT_FINDINGS)
        check(info["owner"] == MAIN, f"report owned by {info['owner']!r}")
        summary = info["children"][IDC_INFORME_RESUMEN]["text"]
        check(summary.startswith("3 avisos: "), f"summary {summary!r}")
        check(info["children"][IDC_INFORME_LISTA]["text"].count("\u2022") == 3,
              "the list does not hold exactly three findings")

        self.session.keys(xid, "Escape")
        self.session.wait_gone(REPORT)
        deadline = time.monotonic() + 10
        while not self.direction_buttons_disabled() and time.monotonic() < deadline:
            time.sleep(0.05)
        check(self.direction_buttons_disabled(), "direction buttons still enabled")
        info = self.session.describe(MAIN)
        check(info["children"][IDC_BCLOSE]["enabled"], "Salir disabled")
        check(program.poll() is None, "the stand-alone program ended with the report")
        teachers = dbase.read_table(os.path.join(self.xtemp, "PROFT.DBF"))
        check([t["ABREV"] for t in teachers] == ["AMU", "AMU"], f"PROFT holds {teachers!r}")
        self.session.screenshot_window(
            os.path.join(self.artifacts, "main_window_after_export_report.png"),
            self.session.wait_window(MAIN))
        self.session.click_control(info, IDC_BCLOSE)
        check(self.wait_exit(program) == 0, "exit code")
        check(not os.path.exists(self.ini), "stand-alone run wrote Tablerix.ini")

    def write_solution(self, unknown_room=False):
        """SOLUC.DBF for the tables the export left: one placed session per
        teaching assignment, spread over teachers and slots; with
        `unknown_room`, two more sessions in rooms that AULAT lacks, one of
        them UNKNOWN_ROOM."""
        teachers = [r["ABREV"] for r in dbase.read_table(os.path.join(self.xtemp, "PROFT.DBF"))]
        slots = [(r["DIA"], r["HORA"]) for r in
                 dbase.read_table(os.path.join(self.xtemp, "DIASHORAST.DBF"))]
        rows = []
        for i, a in enumerate(dbase.read_table(os.path.join(self.xtemp, "ASIGT.DBF"))):
            task = a["CTAREA"] != "LE"
            day, hour = slots[i % len(slots)]
            rows.append({"PROF": teachers[i % len(teachers)], "DIA": day, "HORA": hour,
                         "TAREA": a["CTAREA"] if task else "", "AULA": a["CAULA"],
                         "CODGRUPO": "" if task else a["CGRUP"], "ASIG": a["CASIG"],
                         "NIVEL": a["NIVEL"], "CURSO": a["CURSO"]})
        if unknown_room:
            rows.append(dict(rows[0], AULA=UNKNOWN_ROOM))
            rows.append(dict(rows[1], AULA=UNKNOWN_ROOM[:-1] + "8"))
        fields = [("PROF", "C", 10), ("DIA", "N", 2), ("HORA", "N", 2), ("TAREA", "C", 10),
                  ("AULA", "C", 10), ("CODGRUPO", "C", 10), ("ASIG", "C", 10), ("NIVEL", "C", 5),
                  ("CURSO", "C", 3)]
        dbase.write_table(os.path.join(self.xtemp, "SOLUC.DBF"), fields, rows)
        return len(rows)

    def case_standalone_import(self):
        self.write_solution()
        program = self.start_program()
        self.session.wait_window(MAIN)
        info = self.session.describe(MAIN)
        self.session.click_control(info, IDC_BIMPORTAR)
        self.choose_file(r"D:\XTEMP\delphos\centro.xml")
        self.dismiss_box("Proceso finalizado")
        check(not self.after_finish(self.direction_buttons_disabled),
              "a report after an import where every value matched")
        result = os.path.join(self.delphos, "ResultadoTablerixcentro.xml")
        check(os.path.exists(result), "ResultadoTablerixcentro.xml missing")
        root = ElementTree.parse(result).getroot()
        check(root.tag == "SERVICIO", f"result root {root.tag}")
        salidas = root.find("SALIDAS")
        check(salidas is not None and len(salidas) > 0, "result without records under SALIDAS")
        info = self.session.describe(MAIN)
        check(not info["children"][IDC_BEXPORTAR]["enabled"], "BExportar still enabled")
        check(not info["children"][IDC_BIMPORTAR]["enabled"], "BImportar still enabled")
        self.session.keys(self.session.wait_window(MAIN), "alt+s")
        check(self.wait_exit(program) == 0, "exit code")
        check(not os.path.exists(self.ini), "stand-alone run wrote Tablerix.ini")

    def case_standalone_import_report(self):
        self.write_solution(unknown_room=True)
        program = self.start_program()
        self.session.wait_window(MAIN)
        self.session.click_control(self.session.describe(MAIN), IDC_BIMPORTAR)
        self.choose_file(r"D:\XTEMP\delphos\centro.xml")
        self.dismiss_box("Proceso finalizado")
        xid = self.session.wait_window(REPORT)
        info = self.check_report_dialog(xid, "informe.png")
        check(info["owner"] == MAIN, f"report owned by {info['owner']!r}")
        summary = info["children"][IDC_INFORME_RESUMEN]["text"]
        list_text = info["children"][IDC_INFORME_LISTA]["text"]
        check(not self.direction_buttons_disabled(), "buttons disabled before the report closed")

        # Tab order: the list, Guardar, Cerrar, round again; Shift+Tab back.
        for key, focus in (("Tab", IDC_INFORME_GUARDAR), ("Tab", IDC_INFORME_CERRAR),
                           ("Tab", IDC_INFORME_LISTA), ("shift+Tab", IDC_INFORME_CERRAR)):
            self.session.keys(xid, key)
            got = self.session.describe(REPORT)["focus"]
            check(got == focus, f"{key}: focus on {got}, expected {focus}")
        # Ctrl+C off the list copies the whole report; in the list, what is
        # selected (Ctrl+A: all of it).
        self.session.keys(xid, "ctrl+c")
        whole = self.session.clipboard()
        check(whole.startswith(summary + "\r\n\r\n") and UNKNOWN_ROOM in whole,
              f"copied {whole!r}")
        self.session.keys(xid, "ctrl+a", "ctrl+c")
        copied = self.session.clipboard()
        check(same_words(copied, list_text) and copied.count("\r\n") == copied.count("\n"),
              f"copied from the list {copied!r}")

        # Saved under the name proposed beside the XML file; then under a
        # name so long that the file cannot be made: an error, the dialog stays.
        self.save_report(xid)
        self.check_report_file(os.path.join(self.delphos, "Informe centro.txt"), summary,
                               list_text)
        too_long = "informe_" + "x" * 238 + ".txt"
        self.save_report(xid, "D:\\XTEMP\\" + too_long)
        box = self.session.wait_window(BOX)
        text, icon = self.box()
        check(text.startswith("No se pudo escribir el archivo D:\\XTEMP\\" + too_long) and icon,
              f"failed save shown as {text!r}")
        self.session.keys(box, "Return")
        self.session.wait_gone(BOX)
        check(self.session.is_showing(REPORT), "the report closed after a failed save")

        self.session.keys(self.session.wait_window(REPORT), "Escape")
        self.session.wait_gone(REPORT)
        deadline = time.monotonic() + 10
        while not self.direction_buttons_disabled() and time.monotonic() < deadline:
            time.sleep(0.05)
        check(self.direction_buttons_disabled(), "direction buttons still enabled")
        check(program.poll() is None, "the stand-alone program ended with the report")
        self.session.keys(self.session.wait_window(MAIN), "alt+s")
        check(self.wait_exit(program) == 0, "exit code")
        check(not os.path.exists(self.ini), "stand-alone run wrote Tablerix.ini")

    def case_hosted_import_report(self):
        before = "[Tablerix]\nIdioma=ES\n\n[Transformadores]\nTransformado=7\n"
        with open(self.ini, "w", encoding="latin-1") as f:
            f.write(before)
        self.write_solution(unknown_room=True)
        host = self.run_host("importar")
        self.choose_file(r"D:\XTEMP\delphos\centro.xml")
        self.dismiss_box("Proceso finalizado")
        xid = self.session.wait_window(REPORT)
        info = self.check_report_dialog(xid, "informe_anfitrion.png")
        check(info["owner"] == HOST, f"report owned by {info['owner']!r}, not the host's window")
        with open(self.ini, encoding="latin-1") as f:
            check(f.read() == before, "Tablerix.ini written before the report was closed")
        self.save_report(xid, r"D:\XTEMP\informe_anfitrion")  # .txt is added
        self.check_report_file(os.path.join(self.xtemp, "informe_anfitrion.txt"),
                               info["children"][IDC_INFORME_RESUMEN]["text"],
                               info["children"][IDC_INFORME_LISTA]["text"])
        # Guardar keeps the focus after saving; from Cerrar, Enter closes.
        self.session.keys(self.session.wait_window(REPORT), "Tab", "Return")
        result = self.host_result(host)
        check(result.get("embedded") == "1", "the window was not embedded in the host's")
        check(result.get("exit") == "0", f"exit code {result.get('exit')}")
        check(self.ini_value() == "1", f"Transformado={self.ini_value()}")
        with open(self.ini, encoding="latin-1") as f:
            check("Idioma=ES" in f.read(), "other INI content lost")

    def case_hosted_export_completed(self):
        # Other content of the host's INI file stays.
        with open(self.ini, "w", encoding="latin-1") as f:
            f.write("[Tablerix]\nIdioma=ES\n\n[Transformadores]\nTransformado=7\n")
        host = self.run_host("exportar")
        self.choose_file(r"D:\XTEMP\delphos\centro.xml")
        dialog = self.session.wait_window(START_TIME)
        self.session.keys(dialog, "Return")  # Continuar has the focus: 08:00
        self.session.wait_gone(START_TIME)
        self.dismiss_box("Proceso finalizado")
        self.after_finish(lambda: host.poll() is not None)
        result = self.host_result(host)
        check(result.get("embedded") == "1", "the window was not embedded in the host's")
        check(self.ini_value() == "1", f"Transformado={self.ini_value()}")
        with open(self.ini, encoding="latin-1") as f:
            check("Idioma=ES" in f.read(), "other INI content lost")

    def case_hosted_missing_file(self):
        for mode, status in (("exportar", "-1"), ("IMPORTAR", "0")):
            if os.path.exists(self.ini):
                os.remove(self.ini)
            host = self.run_host(mode)
            self.choose_file(r"D:\XTEMP\delphos\no_existe.xml")
            self.dismiss_box("No existe archivo")
            self.host_result(host)
            check(self.ini_value() == status, f"{mode}: Transformado={self.ini_value()}")

    def case_hosted_closed_before_any_command(self):
        for action in ("close", "salir"):
            if os.path.exists(self.ini):
                os.remove(self.ini)
            # A mode word that names no command: the window waits, embedded.
            host = self.run_host("ninguno", action)
            result = self.host_result(host)
            check(result.get("embedded") == "1", f"{action}: not embedded")
            check(self.ini_value() == "0", f"{action}: Transformado={self.ini_value()}")

    def case_handle_zero(self):
        """Handle 0: no parent, but frameless and hosted (closes, reports)."""
        if os.path.exists(self.ini):
            os.remove(self.ini)
        program = self.start_program("importar", "0")
        xid = self.session.wait_window(FILE_DIALOG)
        main = self.session.describe(MAIN)
        check(main is not None, "main window not showing")
        self.session.keys(xid, "Escape")
        self.dismiss_box("No existe archivo")
        self.wait_exit(program)
        check(self.ini_value() == "0", f"Transformado={self.ini_value()}")

    def case_invalid_handle(self):
        if os.path.exists(self.ini):
            os.remove(self.ini)
        program = self.start_program("exportar", "0x1A2B")
        self.dismiss_box("'$0x1A2B' is not a valid integer value.", error=True)
        # Stand-alone with its frame, and the export still starts.
        xid = self.session.wait_window(MAIN)
        _, _, width, height = self.session.geometry(xid)
        check(width > 632 and height > 276, "the window lost its frame")
        dialog = self.session.wait_window(FILE_DIALOG)
        self.session.keys(dialog, "Escape")
        self.dismiss_box("No existe archivo")  # nothing chosen yet
        check(program.poll() is None and self.session.is_showing(MAIN),
              "the stand-alone window closed after the command")
        info = self.session.describe(MAIN)
        self.session.click_control(info, IDC_BCLOSE)
        self.wait_exit(program)
        check(not os.path.exists(self.ini), "stand-alone run wrote Tablerix.ini")

    def case_help_file_missing(self):
        program = self.start_program(folder=self.no_help_dir)
        xid = self.session.wait_window(MAIN)
        self.session.keys(xid, "F1")
        xid_box = self.session.wait_window(BOX)
        text, icon = self.box()
        check(text.startswith("No se encuentra el archivo de ayuda DELPHOS.chm.") and icon,
              repr(text))
        self.session.keys(xid_box, "Return")
        self.session.wait_gone(BOX)
        info = self.session.describe(MAIN)
        self.session.click_control(info, IDC_BCLOSE)
        self.wait_exit(program)

    def case_second_command_refused(self):
        """While a stand-alone export waits at its start-time question, a
        second window (hosted, importing) and the console are refused at once
        and change nothing; the waiting export then completes."""
        program = self.start_program()
        self.session.wait_window(MAIN)
        self.session.click_control(self.session.describe(MAIN), IDC_BEXPORTAR)
        self.choose_file(r"D:\XTEMP\delphos\centro.xml")
        dialog = self.session.wait_window(START_TIME)
        def files():
            return {os.path.join(folder, name): open(os.path.join(folder, name), "rb").read()
                    for folder in (self.xtemp, self.delphos) for name in os.listdir(folder)
                    if os.path.isfile(os.path.join(folder, name))}
        before = files()

        if os.path.exists(self.ini):
            os.remove(self.ini)
        host = self.run_host("importar")
        box = self.session.wait_window(BOX)
        text, icon = self.box()
        check(text.startswith(REFUSED) and icon, f"the second window says {text!r}")
        self.session.keys(box, "Return")
        self.session.wait_gone(BOX)
        # A failed command leaves the hosted window open, as the host expects.
        subprocess.run([self.session.wine, self.session.probe_exe, "close-child",
                        "Anfitrion de pruebas", "TMForm"], env=self.session.env, timeout=30,
                       check=True)
        self.host_result(host)
        check(self.ini_value() == "0", f"refused hosted import: Transformado={self.ini_value()}")
        os.remove(self.ini)  # the stand-alone cases expect none

        if self.args.cli:
            with open(os.path.join(self.work, "wine.log")) as log:
                seen = len(log.read())
            cli = self.session.launch([os.path.abspath(self.args.cli), "importar",
                                       r"D:\XTEMP\delphos\centro.xml", "--xtemp", r"D:\XTEMP"],
                                      cwd=self.drive, capture=True)
            try:
                cli.communicate(timeout=30)
            except Exception:
                raise GuiError("the console did not end within 30 s")
            with open(os.path.join(self.work, "wine.log")) as log:
                said = log.read()[seen:]
            check(cli.returncode == 1, f"the console ended with {cli.returncode}")
            check(REFUSED in said, f"the console said {said!r}")

        check(files() == before, "a refused command changed a file")

        self.session.keys(dialog, "Return")  # Continuar: 08:00
        self.session.wait_gone(START_TIME)
        self.dismiss_box("Proceso finalizado")
        self.after_finish(self.direction_buttons_disabled)
        self.session.keys(self.session.wait_window(MAIN), "alt+s")
        check(self.wait_exit(program) == 0, "exit code")

    CASES = [
        case_standalone_export,
        case_standalone_import,
        case_standalone_import_report,
        case_hosted_export_completed,
        case_hosted_import_report,
        case_hosted_missing_file,
        case_hosted_closed_before_any_command,
        case_handle_zero,
        case_invalid_handle,
        case_help_file_missing,
        case_second_command_refused,
        # Last: its tables are not the ones the import cases expect.
        case_standalone_export_report,
    ]

    def run(self, only):
        failures = 0
        try:
            self.prepare()
            for case in self.CASES:
                name = case.__name__[len("case_"):]
                if only and name not in only:
                    continue
                started = time.monotonic()
                try:
                    case(self)
                    print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
                except Exception:
                    failures += 1
                    self.report_failure(name, time.monotonic() - started)
                    # A clean start for the next case.
                    self.session.kill_wine()
                    self.session.start_wine()
        finally:
            self.session.stop()
        return failures

    def report_failure(self, name, seconds):
        print(f"FAIL {name} ({seconds:.1f} s)", flush=True)
        traceback.print_exc()
        try:
            print("showing:", self.session.showing(), flush=True)
            self.session.screenshot(os.path.join(self.artifacts, f"fallo_{name}.png"))
            with open(os.path.join(self.work, "wine.log")) as log:
                print("wine.log (end):", "".join(log.readlines()[-20:]), flush=True)
        except Exception:
            pass


def main():
    # A test runner's time limit ends the run through SIGTERM: the finally
    # blocks still stop Wine and the X server.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("program", "help-file", "host", "probe", "example", "work", "artifacts"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--cli", help="pasahorario-cli.exe, for the cases that use it too")
    parser.add_argument("cases", nargs="*", help="run only these cases")
    args = parser.parse_args()
    missing = [tool for tool in ("Xvfb", "xdotool", "wineserver", "import", "convert", "identify")
               if not shutil.which(tool)]
    wine_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine")
    args.arch = subprocess.run([os.path.join(wine_dir, "pe-arch"), args.program],
                               capture_output=True, text=True, check=True).stdout.strip()
    loader = "wine" if args.arch == "win32" else "wine64"
    if not os.path.exists("/usr/lib/wine/" + loader):
        missing.append("/usr/lib/wine/" + loader)
    if missing:
        print("SKIP: missing " + ", ".join(missing))
        return SKIP
    if args.arch == "win32":
        can = subprocess.run([os.path.join(wine_dir, "can-run-32bit")], capture_output=True,
                             text=True)
        if can.returncode != 0:
            print("SKIP: the program is 32-bit; " + can.stdout.strip())
            return SKIP
    started = time.monotonic()
    failures = Suite(args).run(set(args.cases))
    print(f"{'FAILED' if failures else 'OK'}: {failures} failing case(s), "
          f"{time.monotonic() - started:.0f} s")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
