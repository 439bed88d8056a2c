#!/usr/bin/env python3
"""Lays out a launcher installation for the benchmarks.

  make_installation.py jars200  DEST --launcher L --jvm-library J --jdk-home H --main-class C
  make_installation.py dir10000 DEST --launcher L --jvm-library J --jdk-home H --main-class C

jars200:  200 configured jars in three directories (lib, ext, plugins), three versions of each
          (2.0.9, 2.1.0, 2.1.3; the client version is 2.1.0), so 600 jar files. They are real
          (tiny) jars; client.jar holds the main class C (a compiled Main.class).
dir10000: the same 200 jar names in one directory lib/ of 10,000 entries: the 600 jar files and
          9,400 files that no entry names (half of them versioned jars of other names).
"""
import argparse
import os
import shutil
import zipfile

VERSIONS = ["2.0.9", "2.1.0", "2.1.3"]
CLIENT_VERSION = "2.1.0"
DIRECTORIES = [("lib", 100), ("ext", 60), ("plugins", 40)]


def jar_names():
    names = ["client.jar"] + ["module%03d.jar" % i for i in range(1, 200)]
    return names


def write_jar(path, name, main_class):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as jar:
        jar.writestr("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n\r\n")
        jar.writestr(name + "/about.txt", "part of the benchmark installation\n")
        if name == "client":
            jar.write(main_class, "Main.class")


def place_jars(dest, directory, names, main_class):
    os.makedirs(os.path.join(dest, directory), exist_ok=True)
    entries = []
    for jar in names:
        stem = jar[: -len(".jar")]
        for version in VERSIONS:
            write_jar(os.path.join(dest, directory, "%s__V%s.jar" % (stem, version)), stem,
                      main_class)
        entries.append(directory + "/" + jar)
    return entries


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kind", choices=["jars200", "dir10000"])
    parser.add_argument("dest")
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--jvm-library", required=True)
    parser.add_argument("--jdk-home", required=True)
    parser.add_argument("--main-class", required=True)
    args = parser.parse_args()

    shutil.rmtree(args.dest, ignore_errors=True)
    os.makedirs(args.dest)
    names = jar_names()
    entries = []
    if args.kind == "jars200":
        start = 0
        for directory, count in DIRECTORIES:
            entries += place_jars(args.dest, directory, names[start:start + count],
                                  args.main_class)
            start += count
    else:
        entries = place_jars(args.dest, "lib", names, args.main_class)
        lib = os.path.join(args.dest, "lib")
        for i in range(10000 - len(os.listdir(lib))):
            name = ("unlisted%04d__V1.0.jar" if i % 2 == 0 else "resource%04d.dat") % i
            open(os.path.join(lib, name), "wb").close()
        assert len(os.listdir(lib)) == 10000

    shutil.copy2(args.launcher, os.path.join(args.dest, "launcher"))
    jdk_bin = os.path.join(args.jdk_home, "bin")
    with open(os.path.join(args.dest, "launch.properties"), "w") as f:
        f.write("jvm.classpath=%s\n" % ";".join(entries))
        f.write("jvm.dll.path=%s\n" % os.path.abspath(args.jvm_library))
        f.write("jvm.bin.path=%s\n" % jdk_bin)
        f.write("jvm.keystore.path=keystore.jks\n")
        f.write("main.class=Main\n")
    with open(os.path.join(args.dest, "settings.properties"), "w") as f:
        f.write("memory.max=1024\n")
    with open(os.path.join(args.dest, "version"), "w") as f:
        f.write(CLIENT_VERSION + "\n")


if __name__ == "__main__":
    main()
