#!/usr/bin/env python3
"""Makes the seed inputs of the fuzz targets in fuzz/corpus/<target>/.

Seeds are small valid inputs from which the fuzzer mutates its way into the code: the
small third-party archives of tests/data/zip, archives and streams made here by the
independent tools (Python's zipfile, zlib, bz2 and lzma, 7zz, gcab, sox with wavpack),
the example's declaration, setting table and packages, and a few lines of each table
form. Run it from the project's folder after building (it runs tessaro-cli make on the
example); the seeds are committed, so this is needed only to make them anew.
"""
import bz2
import io
import lzma
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
TESTDATA = ROOT / "tests" / "data" / "zip"
CLI = ROOT / "build" / "default" / "cli" / "tessaro-cli"

TEXT = ("病歷摘要 Medical summary: visit 1130905, A123456789, 陳小明.\r\n" * 6).encode("cp950")
XML = "<?xml version=\"1.0\"?><emr><visit date=\"1130905\">陳小明</visit></emr>\r\n".encode("cp950")
SMALL = [b"", b"a", TEXT, XML, bytes(range(256)) * 2, b"\0" * 700]


def put(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def entry_seed(flags, size, data):
    """The decoders' input layout: flags, declared size, compressed data."""
    return struct.pack("<HI", flags, size) + data


def raw_entries(archive):
    """(info, compressed bytes) of every entry of a ZIP archive."""
    blob = archive.read_bytes()
    with zipfile.ZipFile(archive) as z:
        for info in z.infolist():
            at = info.header_offset
            name_length, extra_length = struct.unpack("<HH", blob[at + 26:at + 30])
            start = at + 30 + name_length + extra_length
            yield info, blob[start:start + info.compress_size]


def seven_zip_entry(method, data, tmp):
    source = tmp / "input.txt"
    source.write_bytes(data)
    archive = tmp / f"{method}.zip"
    archive.unlink(missing_ok=True)
    subprocess.run(["7zz", "a", "-tzip", f"-mm={method}", str(archive), str(source)],
                   check=True, stdout=subprocess.DEVNULL)
    return archive


def zip_archives(tmp):
    for archive in sorted(TESTDATA.glob("*.zip")):
        if archive.stat().st_size <= 8192:
            put("zip_archive", archive.name, archive.read_bytes())
    for method, label in [(zipfile.ZIP_STORED, "stored"), (zipfile.ZIP_DEFLATED, "deflate"),
                          (zipfile.ZIP_BZIP2, "bzip2"), (zipfile.ZIP_LZMA, "lzma")]:
        buffer = io.BytesIO()
        with zipfile.ZipFile(buffer, "w", method) as z:
            z.writestr("dir/", b"")
            z.writestr("a.txt", TEXT)
            z.writestr(zipfile.ZipInfo("檢驗報告.xml"), XML)
        put("zip_archive", f"python-{label}.zip", buffer.getvalue())
    put("zip_archive", "7zz-ppmd.zip", seven_zip_entry("PPMd", TEXT, tmp).read_bytes())
    put("zip_archive", "7zz-deflate64.zip", seven_zip_entry("Deflate64", TEXT, tmp).read_bytes())


def decoder_streams(tmp):
    for i, data in enumerate(SMALL):
        stream = zlib.compressobj(9, zlib.DEFLATED, -15)
        put("inflate", f"zlib-{i}", entry_seed(0, len(data), stream.compress(data) + stream.flush()))
        put("bzip2", f"bz2-{i}", entry_seed(0, len(data), bz2.compress(data)))
        props = lzma._encode_filter_properties({"id": lzma.FILTER_LZMA1, "dict_size": 1 << 16})
        body = lzma.compress(data, format=lzma.FORMAT_RAW, filters=[{"id": lzma.FILTER_LZMA1, "dict_size": 1 << 16}])
        put("lzma", f"lzma-{i}", entry_seed(2, len(data), struct.pack("<BBH", 9, 20, len(props)) + props + body))
    for method, target, flag in [("Deflate64", "inflate", 1), ("PPMd", "ppmd", 0)]:
        for info, data in raw_entries(seven_zip_entry(method, TEXT, tmp)):
            put(target, f"7zz-{method.lower()}", entry_seed(flag, info.file_size, data))
    for archive, target in [("Zip.shrink.zip", "shrink"), ("Zip.implode.zip", "implode"),
                            ("Zip.reduce1.zip", "reduce"), ("Zip.reduce2.zip", "reduce"),
                            ("Zip.reduce3.zip", "reduce"), ("Zip.reduce4.zip", "reduce")]:
        for info, data in raw_entries(TESTDATA / archive):
            method = {1: "shrink", 6: "implode", 2: "reduce", 3: "reduce", 4: "reduce", 5: "reduce"}.get(info.compress_type)
            if method != target:
                continue
            flags = info.flag_bits
            if target == "reduce":
                flags = (flags & ~0x0C) | ((info.compress_type - 2) << 2)
            # A stream's start, with a declared size it holds: decoders stop at that size.
            size = min(info.file_size, 4096)
            put(target, f"{archive}-{info.compress_type}-{info.file_size}", entry_seed(flags, size, data[:6000]))
    wav, packed = tmp / "tone.wav", tmp / "tone.wv"
    subprocess.run(["sox", "-n", "-b", "16", "-c", "1", "-r", "8000", str(wav), "synth", "0.05", "sine", "300"], check=True)
    subprocess.run(["wavpack", "-q", "-y", str(wav), "-o", str(packed)], check=True)
    put("wavpack", "sox-tone", entry_seed(0, wav.stat().st_size, packed.read_bytes()))


def example_outputs(tmp):
    run = tmp / "example"
    subprocess.run([str(CLI), "make", "--dir", str(run), "--import", "examples/settings.txt"],
                   cwd=ROOT, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for package in sorted((run / "Upload").rglob("*.zip")):
        put("package_check", package.name, package.read_bytes())
        with zipfile.ZipFile(package) as z:
            for name in z.namelist():
                if name.upper().endswith(".CAB"):
                    put("cabinet_reader", f"{package.stem}-{name}", z.read(name))
    source = tmp / "cabfiles"
    source.mkdir()
    (source / "a.txt").write_bytes(TEXT)
    (source / "b.xml").write_bytes(XML)
    for label, options in [("stored", []), ("mszip", ["-z"])]:
        cabinet = tmp / f"gcab-{label}.cab"
        subprocess.run(["gcab", "-c", *options, "-n", str(cabinet), str(source / "a.txt"), str(source / "b.xml")], check=True)
        put("cabinet_reader", cabinet.name, cabinet.read_bytes())


def text_inputs():
    declaration = (ROOT / "examples" / "declaration.xml").read_bytes()
    settings = (ROOT / "examples" / "settings.txt").read_bytes()
    unicode_text = declaration.decode("cp950")
    for name, data in [("declaration-big5", declaration),
                       ("declaration-utf8", b"\xef\xbb\xbf" + unicode_text.encode("utf-8")),
                       ("declaration-utf16le", b"\xff\xfe" + unicode_text.encode("utf-16-le")),
                       ("declaration-utf16be", b"\xfe\xff" + unicode_text.encode("utf-16-be"))]:
        put("declaration_lookup", name, data)
        put("text_file", name, data)
    put("text_file", "settings", settings)
    put("text_file", "line-breaks", b"a\r\nb\nc\rd\n\re")
    csv = ("'3501200000','11305','1','1130610','04','123',x,'A123456789',x,x,x,'王小明',x,'1130501'\r\n"
           "'3501200000','11305','1','1130610','A1','7',x,'B223456789',x,x,x,'林美玲',x,'1130502'\r\n").encode("cp950")
    name = "王小明".encode("cp950")
    fixed = (b"1" b"3501200000" b"11305" b"1" b"1130610" b"04" b"000123" b"  " b"B223456789" + b" " * 14 +
             name + b" " * (40 - len(name)) + b"0000001" b"1130502" b"   \r\n")
    put("import_lines", "settings", b"\0" + settings)
    put("import_lines", "settings-quoted", b"\0" + 'x.xml\r\n04,123,"<ATT>(A)D:\\掃描 (1),a.pdf(B)D:\\""q"".pdf"\r\n04,"1,2",x\r\n'.encode("cp950"))
    put("import_lines", "sampling-csv", b"\1" + csv)
    put("import_lines", "sampling-fixed", b"\2" + fixed * 2)
    for i, line in enumerate(settings.decode("cp950").splitlines()):
        put("attachment_text", f"settings-{i}", line.split(",", 2)[-1].encode("utf-8"))
    put("attachment_text", "three-kinds", "<DCF>(B)D:\\chart001\\DICOMDIR<ATT>(A)D:\\chart1.pdf(B)D:\\chart2.pdf<EMR>(A)d:\\chart3.XML".encode())
    put("attachment_text", "awkward-paths", "<DCF>(B)D:\\下載 (2)\\DICOMDIR<ATT>(A)D:\\scan (1).pdf(C)/a,b \"c\" <d>.pdf(b)".encode())
    for i, line in enumerate([csv.splitlines()[0], fixed.rstrip(b"\r\n"), b'"a,b",c,,"d""e"', b"\t x \t,0x1F,$ff,-12"]):
        put("delimited_text", f"line-{i}", bytes([i % 4, 58, 40]) + line)


def main():
    if not CLI.exists():
        sys.exit(f"{CLI} is missing: build first (cmake --build --preset default)")
    shutil.rmtree(CORPUS, ignore_errors=True)
    with tempfile.TemporaryDirectory() as folder:
        tmp = pathlib.Path(folder)
        zip_archives(tmp)
        decoder_streams(tmp)
        example_outputs(tmp)
        text_inputs()
    for target in sorted(CORPUS.iterdir()):
        files = list(target.iterdir())
        print(f"{target.name}: {len(files)} seeds, {sum(f.stat().st_size for f in files)} bytes")


if __name__ == "__main__":
    main()
