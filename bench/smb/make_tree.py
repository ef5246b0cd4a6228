#!/usr/bin/env python3
"""Builds the SMB walk benchmark's tree: FOLDERS folders (ten at the top, ten
below each of those, the rest spread evenly one level further down) holding
FILES small files spread evenly over all of them.

    make_tree.py ROOT [FILES] [FOLDERS]      defaults: 50000 files, 2000 folders
"""
import os
import sys


def folder_paths(count):
    top = [f"dept{i:02d}" for i in range(min(10, count))]
    second = [f"{t}/team{j:02d}" for t in top for j in range(10)][: max(0, count - len(top))]
    paths = top + second
    k = 0
    while len(paths) < count:
        parent = second[k % len(second)]
        paths.append(f"{parent}/project{k // len(second):03d}")
        k += 1
    return paths


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 50000
    folders = int(sys.argv[3]) if len(sys.argv) > 3 else 2000
    paths = folder_paths(folders)
    os.makedirs(root, exist_ok=True)
    for path in paths:
        os.makedirs(os.path.join(root, path), exist_ok=True)
    for n in range(files):
        folder = paths[n % len(paths)]
        with open(os.path.join(root, folder, f"file{n:05d}.txt"), "w") as out:
            out.write(f"file {n}\n")
    print(f"{files} files in {len(paths)} folders under {root}")


if __name__ == "__main__":
    main()
