#!/usr/bin/env python3
"""Writes the seeds that come from the unit tests' own sample data: FTP listing
lines, WS-Discovery messages, version file bodies. Run from the repository root;
fuzz_make_seeds writes the seeds that the program's writers produce."""
import ast
import os
import re

LITERAL = r'"((?:[^"\\]|\\.)*)"'


def c_bytes(text):
    """The bytes of a C string literal's body (escapes as C reads them)."""
    return ast.literal_eval('b"' + text.replace('\\x', '\\x') + '"')


def write(target, name, data):
    os.makedirs(f"fuzz/corpus/{target}", exist_ok=True)
    with open(f"fuzz/corpus/{target}/{name}", "wb") as out:
        out.write(data)


def ftp_seeds():
    source = open("tests/unit/platform/FtpListFormatsTest.cpp", encoding="utf-8").read()
    prefix = c_bytes(re.search(r'const std::string p = ' + LITERAL, source).group(1)) \
        if "const std::string p = " in source else b"-rw-r--r-- 1 u g 10 "
    for number, match in enumerate(re.finditer(r'\{' + LITERAL + r',\s*(p \+ )?' + LITERAL, source)):
        line = (prefix if match.group(2) else b"") + c_bytes(match.group(3))
        write("ftp_listing", f"line-{number:03}", bytes([number % 7]) + line + b"\r\n")
    source = open("tests/unit/platform/FtpListParserTest.cpp", encoding="utf-8").read()
    # Listings written as runs of adjacent literals: one seed per run.
    for number, run in enumerate(re.finditer(r'(?:' + LITERAL + r'\s*){2,}', source)):
        listing = b"".join(c_bytes(part) for part in re.findall(LITERAL, run.group(0)))
        write("ftp_listing", f"listing-{number:03}", b"\x00" + listing)


def wsd_seeds():
    source = open("tests/unit/platform/WsDiscoveryMessagesTest.cpp", encoding="utf-8").read()
    for name, body in re.findall(r'const char\* const (k\w+) = R"\((.*?)\)";', source, re.S):
        write("wsdiscovery", name[1:].lower() + ".xml", body.encode())
    metadata = re.search(r'QStringLiteral\(R"\((.*?)\)"\)', source, re.S)
    if metadata:
        write("wsdiscovery", "metadata.xml", metadata.group(1).replace("%1", "HOST1/Workgroup:WG").encode())


def simple_seeds():
    for number, body in enumerate([b"1.2.3", b'"1"."0" 7\r\n', b"  10 . 4 ", b'"1""2"']):
        write("version_file", f"body-{number}", body)
    for number, body in enumerate(["*.txt\nREADME.TXT", "[a-c]*;?x;\nbx", '"quoted"x;*.doc\nquoted',
                                   "windows,temp\\*,[!a]*\n\\\\HOST\\share\\windows", "*\u00df*\nSTRASSE"]):
        write("masks", f"mask-{number}", body.encode())


ftp_seeds()
wsd_seeds()
simple_seeds()
