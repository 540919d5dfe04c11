"""Just enough dBase III to check the work tables the program writes and to
make a solution table for the import, without the program's own code."""
import datetime
import struct


def read_table(path):
    """The live records of a .DBF file as dicts of trimmed text."""
    with open(path, "rb") as f:
        data = f.read()
    count, header_len, record_len = struct.unpack_from("<IHH", data, 4)
    fields, pos = [], 32
    while data[pos] != 0x0D:
        name = data[pos:pos + 11].split(b"\0", 1)[0].decode("ascii")
        fields.append((name, data[pos + 16]))
        pos += 32
    rows = []
    for i in range(count):
        record = data[header_len + i * record_len:header_len + (i + 1) * record_len]
        if record[:1] == b"*":
            continue
        row, at = {}, 1
        for name, width in fields:
            row[name] = record[at:at + width].decode("cp1252").strip()
            at += width
        rows.append(row)
    return rows


def write_table(path, fields, rows):
    """Writes a dBase III table. `fields`: (name, 'C' or 'N', width) in order;
    `rows`: dicts by field name (missing values are blank)."""
    today = datetime.date.today()
    header_len = 32 + 32 * len(fields) + 1
    record_len = 1 + sum(width for _, _, width in fields)
    out = bytearray(struct.pack("<BBBBIHH20x", 0x03, today.year - 1900, today.month, today.day,
                                len(rows), header_len, record_len))
    out[29] = 0x57  # Windows ANSI
    for name, kind, width in fields:
        out += struct.pack("<11sc4xBB14x", name.encode("ascii"), kind.encode("ascii"), width, 0)
    out += b"\x0d"
    for row in rows:
        out += b" "
        for name, kind, width in fields:
            text = str(row.get(name, ""))
            cell = text.rjust(width) if kind == "N" else text.ljust(width)
            out += cell.encode("cp1252")[:width]
    out += b"\x1a"
    with open(path, "wb") as f:
        f.write(out)
