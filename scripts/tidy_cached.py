#!/usr/bin/env python3
"""Runs clang-tidy over the program's sources, skipping files already found clean.

clang-tidy spends most of its time parsing Qt's headers: about nine CPU seconds a
file. A file whose preprocessed text (comments kept, white space folded), compile
flags, clang-tidy version and .clang-tidy are unchanged cannot give other
findings, so a clean result is remembered under a hash of all four (in
$XDG_CACHE_HOME/kestrova-tidy; the repository's path is left out, so other clones
share it) and the next run skips it. Files with findings are never remembered.

    tidy_cached.py BUILD-FOLDER SOURCE-ROOT [JOBS]
Exit status 0 when every file is clean, 1 otherwise (the findings on stderr).
"""
import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys


def tidy_version():
    return subprocess.run(["clang-tidy", "--version"], capture_output=True, text=True).stdout


def preprocess(entry, repository):
    """The file's text after preprocessing, with its flags, or None when that fails.
    The repository's own path is replaced, so clones in other folders share results."""
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    # Drop the output and dependency-file options; keep every flag that shapes the text.
    kept, skip = [], False
    for arg in args:
        if skip:
            skip = False
            continue
        if arg in ("-o", "-MF", "-MT", "-MQ"):
            skip = True
            continue
        if arg in ("-MD", "-MMD") or arg == "-c":
            continue
        kept.append(arg)
    # Comments stay (a NOLINT in a header changes the result); white space is folded,
    # since it cannot change a finding and formatting changes would otherwise miss.
    run = subprocess.run(kept + ["-E", "-P", "-C"], cwd=entry["directory"], capture_output=True)
    if run.returncode != 0:
        return None
    text = " ".join(kept).encode() + b"\0" + re.sub(rb"\s+", b" ", run.stdout)
    return text.replace(repository.encode(), b"@REPOSITORY@")


def main():
    build, root = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    jobs = int(sys.argv[3]) if len(sys.argv) > 3 else os.cpu_count() or 1
    cache = os.path.join(os.environ.get("XDG_CACHE_HOME", os.path.expanduser("~/.cache")), "kestrova-tidy")
    os.makedirs(cache, exist_ok=True)
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = [e for e in json.load(f)
                   if os.path.abspath(os.path.join(e["directory"], e["file"])).startswith(root + os.sep)
                   and e["file"].endswith(".cpp")]
    with open(os.path.join(root, "..", ".clang-tidy"), "rb") as f:
        salt = tidy_version().encode() + f.read()

    def check(entry):
        path = os.path.abspath(os.path.join(entry["directory"], entry["file"]))
        text = preprocess(entry, os.path.dirname(root))
        key = hashlib.sha256(salt + text).hexdigest() if text is not None else None
        if key and os.path.exists(os.path.join(cache, key)):
            return path, True, "", True
        run = subprocess.run(["clang-tidy", "--quiet", "-p", build, path], capture_output=True, text=True)
        clean = run.returncode == 0 and "warning:" not in run.stdout and "error:" not in run.stdout
        if clean and key:
            open(os.path.join(cache, key), "w").close()
        return path, clean, run.stdout + run.stderr, False

    failed, cached = [], 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for path, clean, output, was_cached in pool.map(check, entries):
            cached += was_cached
            if not clean:
                failed.append(path)
                sys.stderr.write(output)
    print(f"clang-tidy: {len(entries)} files, {cached} unchanged since a clean run, {len(failed)} with findings.")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
