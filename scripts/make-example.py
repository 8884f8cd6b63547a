#!/usr/bin/env python3
"""Writes the bundled example: a small Big5 fee declaration with invented patients, a setting
table naming three of its cases with their record files, and the record files themselves (a
DICOM index stand-in, PDF-like files, an EMR XML). Everything is generated here, so the example
is reproducible and holds no real data. Paths in the setting table are relative to the
repository's root, where the README's commands run.

Usage: scripts/make-example.py [OUTPUT_FOLDER]   (default: examples/)
"""
import os
import random
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")
rng = random.Random(11309)

# Invented patients: category, serial as the declaration writes it, ID number, visit date, name.
patients = [
    ("04", "000123", "A123456789", "1130905", "陳小明"),
    ("04", "124", "B223456789", "1130911", "林美玲"),
    ("A1", "7", "C134567890", "1130920", "王大同"),
    ("09", "31", "D245678901", "1130902", "張淑芬"),
    ("B6", "1002", "E156789012", "1130917", "黃志強"),
]


def write(relative, data):
    path = os.path.join(root, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def declaration():
    lines = ['<?xml version="1.0" encoding="Big5"?>', "<outpatient>", "<tdata>", "<t1>30</t1>", "<t2>3501200000</t2>",
             "<t3>11309</t3>", "<t4>1</t4>", "<t5>1</t5>", "<t6>1131015</t6>", "</tdata>"]
    for category, serial, idno, date, name in patients:
        lines += ["<ddata>", "<dhead><d1>%s</d1><d2>%s</d2></dhead>" % (category, serial),
                  "<dbody><d3>%s</d3><d9>%s</d9><d49>%s</d49>" % (idno, date, name),
                  "<pdata><p2>%s</p2><p4>%05d</p4></pdata></dbody>" % (rng.choice(["A01", "B12", "C07"]), rng.randrange(99999)),
                  "</ddata>"]
    lines.append("</outpatient>")
    return ("\r\n".join(lines) + "\r\n").encode("big5")


def pdf_like(title, pages):
    out = [b"%PDF-1.4\n"]
    for page in range(1, pages + 1):
        text = "BT /F1 12 Tf 72 700 Td (%s page %d) Tj ET" % (title, page)
        out.append(b"%d 0 obj\n<< /Length %d >>\nstream\n%s\nendstream\nendobj\n" % (page, len(text), text.encode()))
        # An embedded image: bytes that do not compress.
        out.append(b"%d 0 obj\n<< /Filter /FlateDecode /Length 2048 >>\nstream\n" % (page + 100))
        out.append(bytes(rng.randrange(256) for _ in range(2048)))
        out.append(b"\nendstream\nendobj\n")
    out.append(b"%%EOF\n")
    return b"".join(out)


def dicom_index():
    # A DICOMDIR stand-in: the 128-byte preamble, "DICM", then a few records of made-up elements.
    body = bytearray(128) + b"DICM"
    for record in range(12):
        body += b"\x04\x00\x30\x14" + b"CS" + (16).to_bytes(2, "little") + b"IMAGE%011d" % record
    return bytes(body)


def emr(name, idno):
    return ('<?xml version="1.0" encoding="UTF-8"?>\r\n<emr><patient><name>%s</name><id>%s</id></patient>'
            "<note>Follow-up visit; vital signs stable.</note></emr>\r\n" % (name, idno)).encode("utf-8")


write("declaration.xml", declaration())
write("records/04-123/DICOMDIR", dicom_index())
write("records/04-123/chart1.pdf", pdf_like("Discharge summary", 6))
write("records/04-123/chart2.pdf", pdf_like("Imaging report", 3))
write("records/04-123/emr-visit.xml", emr("陳小明", "A123456789"))
write("records/A1-7/檢驗報告.pdf", pdf_like("Laboratory report", 2))
write("records/A1-7/emr-visit.xml", emr("王大同", "C134567890"))

base = "examples/records/"
table = [
    "examples/declaration.xml",
    "04,123,<DCF>(B)%s04-123/DICOMDIR<ATT>(A)%s04-123/chart1.pdf(B)%s04-123/chart2.pdf<EMR>(A)%s04-123/emr-visit.xml"
    % (base, base, base, base),
    "A1,7,<ATT>(C)%sA1-7/檢驗報告.pdf<EMR>(A)%sA1-7/emr-visit.xml" % (base, base),
    "09,31,<ATT>(D)%s04-123/chart2.pdf" % base,
]
write("settings.txt", ("\r\n".join(table) + "\r\n").encode("big5"))
