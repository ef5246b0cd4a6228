#!/usr/bin/env python3
"""Runs clang-tidy and the clang-query checks (scripts/*.query) over the program's
sources, skipping files already found clean.

clang-tidy spends most of its time parsing Qt's headers: about nine CPU seconds a
file. A file whose preprocessed text (comments kept, white space folded), compile
flags, tool version and configuration (.clang-tidy or the query) are unchanged
cannot give other findings, so a clean result is remembered under a hash of all
four (in $XDG_CACHE_HOME/kestrova-tidy; the repository's path is left out, so other
clones share it) and the next run skips it. Files with findings are never remembered.

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


QUERY_FOLDER = os.path.dirname(os.path.abspath(__file__))


def tool_version(tool):
    return subprocess.run([tool, "--version"], capture_output=True, text=True).stdout


def probe_failure(query, entry):
    """Why the query misses its probe (QUERY with .probe.cpp for .query: the lines
    it must find end in a "// found" comment), or None when it finds exactly those.
    The probe is parsed with the flags of a source file, so it sees the same Qt."""
    probe = query[: -len(".query")] + ".probe.cpp"
    if not os.path.exists(probe):
        return None
    flags = [arg for arg in compile_command(entry)[1:] if arg != entry["file"]]
    run = subprocess.run(["clang-query", "-f", query, probe, "--"] + flags, cwd=entry["directory"],
                         capture_output=True, text=True)
    found = {int(m) for m in re.findall(r"\.probe\.cpp:(\d+):\d+: note: .* binds here", run.stdout)}
    with open(probe) as f:
        wanted = {number for number, line in enumerate(f, 1) if "// found" in line}
    if run.returncode == 0 and found == wanted:
        return None
    return f"{query} finds lines {sorted(found)} of {probe}, not {sorted(wanted)}\n{run.stderr}"


def checks(build, root, queries):
    """Each check: what its result depends on besides the file, and its command.
    A clean run exits with 0 and reports nothing: no warning or error from
    clang-tidy, no match (a "binds here" note) from clang-query."""
    with open(os.path.join(root, "..", ".clang-tidy"), "rb") as f:
        found = [(tool_version("clang-tidy").encode() + f.read(), ["clang-tidy", "--quiet", "-p", build], None)]
    for query in queries:
        with open(query, "rb") as f:
            text = f.read()
        # A query can only match where the repository's own text holds its word:
        # parsing Qt's headers for it in every file would double the time of a run.
        word = re.search(rb"^# Only files whose own text holds: (\S+)$", text, re.M)
        found.append((tool_version("clang-query").encode() + text, ["clang-query", "-p", build, "-f", query],
                      word.group(1) if word else None))
    return found


def compile_command(entry):
    """The entry's compiler command without its output and dependency-file options:
    every flag that shapes the text stays."""
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
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
    return kept


def preprocess(entry, repository):
    """The file's text after preprocessing, with its flags, or None when that fails,
    and the repository's headers it includes. The repository's own path is replaced
    in the text, so clones in other folders share results."""
    kept = compile_command(entry)
    # Comments stay (a NOLINT in a header changes the result); white space is folded,
    # since it cannot change a finding and formatting changes would otherwise miss.
    # -H lists the included headers on the error output.
    run = subprocess.run(kept + ["-E", "-P", "-C", "-H"], cwd=entry["directory"], capture_output=True)
    headers = [os.path.abspath(os.path.join(entry["directory"], m.decode()))
               for m in re.findall(rb"^\.+ (.+)$", run.stderr, re.M)]
    headers = [h for h in headers if h.startswith(repository + os.sep)]
    if run.returncode != 0:
        return None, headers
    text = " ".join(kept).encode() + b"\0" + re.sub(rb"\s+", b" ", run.stdout)
    return text.replace(repository.encode(), b"@REPOSITORY@"), headers


def main():
    build, root = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    jobs = int(sys.argv[3]) if len(sys.argv) > 3 else os.cpu_count() or 1
    cache = os.path.join(os.environ.get("XDG_CACHE_HOME", os.path.expanduser("~/.cache")), "kestrova-tidy")
    os.makedirs(cache, exist_ok=True)
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = [e for e in json.load(f)
                   if os.path.abspath(os.path.join(e["directory"], e["file"])).startswith(root + os.sep)
                   and e["file"].endswith(".cpp")]
    queries = [os.path.join(QUERY_FOLDER, name) for name in sorted(os.listdir(QUERY_FOLDER)) if name.endswith(".query")]
    for query in queries:
        failure = probe_failure(query, entries[0])
        if failure:
            sys.stderr.write(failure)
            return 1
    tools = checks(build, root, queries)

    def check(entry):
        path = os.path.abspath(os.path.join(entry["directory"], entry["file"]))
        text, headers = preprocess(entry, os.path.dirname(root))
        own = [path] + headers
        all_clean, all_cached, output = True, True, ""
        for salt, command, word in tools:
            if word and not any(word in open(name, "rb").read() for name in own):
                continue
            key = hashlib.sha256(salt + text).hexdigest() if text is not None else None
            if key and os.path.exists(os.path.join(cache, key)):
                continue
            all_cached = False
            run = subprocess.run(command + [path], capture_output=True, text=True)
            clean = run.returncode == 0 and not re.search(r"warning:|error:|binds here", run.stdout)
            if clean and key:
                open(os.path.join(cache, key), "w").close()
            all_clean = all_clean and clean
            output += run.stdout + run.stderr if not clean else ""
        return path, all_clean, output, all_cached

    failed, cached = [], 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for path, clean, output, was_cached in pool.map(check, entries):
            cached += was_cached
            if not clean:
                failed.append(path)
                sys.stderr.write(output)
    print(f"clang-tidy and {len(tools) - 1} queries: {len(entries)} files, {cached} unchanged since a clean run, "
          f"{len(failed)} with findings.")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
