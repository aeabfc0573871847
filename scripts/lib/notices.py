"""Writes and checks a release archive's THIRD-PARTY-NOTICES.txt, from the one
list of what each archive holds (packaging/third-party.txt). The packaging
scripts write it, the release checks read it back from the archive.

    notices.py write KIND OUT [--built COMPLETE] [--crlf]
    notices.py check KIND FILE [--built COMPLETE] [--lib DIR] [--crlf]

KIND is linux, windows or web. COMPLETE is the .complete file of the library
prefix the build linked (scripts/*-deps.sh): the Debian source packages, at
their versions, that were built; their licence files are taken from those
very versions (unpacked with scripts/lib/debian-source.sh into the cache's
sources folder). --crlf writes Windows line endings, or checks for them.

check fails (status 1, one line per fault) when the file is missing, when a
component of the archive has no section or an empty one, when a source package
COMPLETE names has no entry for the archive or its section names another
version, when a file in DIR (the Linux release's lib/) has no entry, or when
a sentence a licence asks for (the IJG's, the FreeType credit) is not a line
of the file.
"""

import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# LB_THIRD_PARTY_LIST: another list, for the tests.
LIST = os.environ.get("LB_THIRD_PARTY_LIST") or os.path.join(ROOT, "packaging", "third-party.txt")
CACHE = os.environ.get("LB_CACHE_DIR") or os.path.join(os.path.expanduser("~"), ".cache", "lattice-bloom")
RULE = "=" * 79
# Shorter than this, a section cannot hold a licence.
MIN_SECTION = 300


class Component:
    def __init__(self, name, kinds, libraries, how, args, line):
        self.name, self.kinds, self.libraries = name, kinds, libraries
        self.how, self.args, self.line = how, args, line


def read_list(path=LIST):
    """The components and the credits, in the list's order."""
    components, credits = [], {}
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            where = f"{path}:{number}"
            if line.startswith("credit "):
                name, _, sentence = line[len("credit "):].partition(" | ")
                if not sentence:
                    sys.exit(f"{where}: a credit needs 'credit COMPONENT | SENTENCE'")
                credits[name.strip()] = sentence.strip()
                continue
            fields = [x.strip() for x in line.split(" | ")]
            if len(fields) != 4:
                sys.exit(f"{where}: expected 'COMPONENT | ARCHIVES | LIBRARIES | LICENCE TEXTS'")
            name, kinds, libraries, source = fields
            how, *args = source.split()
            if how not in ("src", "doc", "file") or not args or (how == "src" and len(args) < 2):
                sys.exit(f"{where}: licence texts must be 'src PACKAGE FILE...', 'doc PACKAGE' or 'file PATH...'")
            libs = [] if libraries == "-" else libraries.split()
            components.append(Component(name, kinds.split(), libs, how, args, where))
    return components, credits


def read_built(path):
    """PACKAGE -> VERSION for the source packages a library prefix was built from."""
    built = {}
    if path:
        with open(path, encoding="utf-8") as f:
            for line in f:
                package, eq, version = line.strip().partition("=")
                if eq and package not in ("recipe", "emcc"):
                    built[package] = version
    return built


def installed_source_version(package):
    """The version of source PACKAGE that an installed binary package came from."""
    out = subprocess.run(["dpkg-query", "-W", "-f", "${source:Package}=${source:Version}\n"],
                         capture_output=True, text=True, check=True).stdout
    versions = sorted({line.split("=", 1)[1] for line in out.splitlines() if line.startswith(package + "=")})
    if not versions:
        sys.exit(f"notices: no installed package is built from the source package {package}")
    return versions[-1]


def source_folder(package, version):
    """Unpacks PACKAGE=VERSION (Debian's source package) once into the cache."""
    script = os.path.join(ROOT, "scripts", "lib", "debian-source.sh")
    result = subprocess.run(["bash", "-c", 'source "$0"; debian_source "$1" "$2"', script,
                             f"{package}={version}", os.path.join(CACHE, "sources")],
                            stdout=subprocess.PIPE, text=True)
    if result.returncode != 0:
        sys.exit(f"notices: cannot unpack the source package {package}={version}")
    return result.stdout.strip()


def read_text(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read().replace("\r\n", "\n").replace("\r", "\n").rstrip() + "\n"
    except OSError as e:
        sys.exit(f"notices: {path}: {e.strerror}")


def licence_texts(component, built):
    """[(title, text)] for one component, and the origin named in its heading."""
    if component.how == "src":
        package, files = component.args[0], component.args[1:]
        version = built.get(package) or installed_source_version(package)
        folder = source_folder(package, version)
        origin = f"Debian source package {package} {version}"
        return origin, [(f, read_text(os.path.join(folder, f))) for f in files]
    if component.how == "doc":
        package = component.args[0]
        path = f"/usr/share/doc/{package}/copyright"
        version = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", package],
                                 capture_output=True, text=True).stdout.strip()
        if not os.path.exists(path):
            sys.exit(f"notices: {path} is missing (is {package} installed?)")
        return f"Debian package {package} {version}", [("copyright", read_text(path))]
    owners = subprocess.run(["dpkg", "-S"] + component.args, capture_output=True, text=True).stdout
    packages = sorted({line.split(":", 1)[0] for line in owners.splitlines()})
    return "files of Debian package " + ", ".join(packages), [(p, read_text(p)) for p in component.args]


def heading(name):
    return f"{RULE}\n{name}\n{RULE}\n"


def write(kind, out, built_path, crlf):
    components, credits = read_list()
    built = read_built(built_path)
    chosen = [c for c in components if kind in c.kinds]
    parts = [
        "Third-party software in Lattice Bloom\n\n"
        "The programs and data of this archive contain the software below, each\n"
        "under its own licence, whose text follows. The show's own code, data and\n"
        "music are under the MIT licence in LICENSE.\n\n"]
    for c in chosen:
        if c.name in credits:
            parts.append(credits[c.name] + "\n\n")
    parts.append("Contents:\n" + "".join(f"  {c.name}\n" for c in chosen) + "\n")
    for c in chosen:
        origin, texts = licence_texts(c, built)
        parts.append(heading(c.name))
        parts.append(f"From: {origin}\n")
        if c.libraries and kind == "linux":
            parts.append("Libraries: " + ", ".join(f"lib/{x}" for x in c.libraries) + "\n")
        for title, text in texts:
            parts.append(f"\n--- {title} ---\n\n{text}")
        parts.append("\n")
    text = "".join(parts)
    with open(out, "w", encoding="utf-8", newline="\r\n" if crlf else "\n") as f:
        f.write(text)


def sections(text):
    """Heading -> body of each section of a notices file."""
    found, name, body = {}, None, []
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        if lines[i] == RULE and i + 2 < len(lines) and lines[i + 2] == RULE:
            if name is not None:
                found[name] = "\n".join(body)
            name, body = lines[i + 1], []
            i += 3
            continue
        if name is not None:
            body.append(lines[i])
        i += 1
    if name is not None:
        found[name] = "\n".join(body)
    return found


def check(kind, path, built_path, lib_dir, crlf):
    components, credits = read_list()
    built = read_built(built_path)
    faults = []
    if not os.path.isfile(path):
        print(f"notices: the archive has no {os.path.basename(path)}")
        return 1
    with open(path, encoding="utf-8", errors="replace", newline="") as f:
        text = f.read()
    if crlf and text.count("\n") != text.count("\r\n"):
        faults.append(f"{os.path.basename(path)} has lines without Windows line endings")
    have = sections(text)
    chosen = [c for c in components if kind in c.kinds]
    for c in chosen:
        body = have.get(c.name)
        if body is None:
            faults.append(f"{c.name}: no section in {os.path.basename(path)}")
        elif len(body) < MIN_SECTION:
            faults.append(f"{c.name}: its section holds no licence text")
    for package, version in built.items():
        entries = [c for c in chosen if c.how == "src" and c.args[0] == package]
        if not entries:
            faults.append(f"built from the source package {package}, which has no {kind} entry in {LIST}")
        for c in entries:
            if f"Debian source package {package} {version}\n" not in have.get(c.name, "") + "\n":
                faults.append(f"{c.name}: its section is not from {package} {version}, the version built")
    if lib_dir is not None:
        named = {lib: c for c in chosen for lib in c.libraries}
        for lib in sorted(os.listdir(lib_dir)):
            if lib not in named:
                faults.append(f"lib/{lib} has no {kind} entry in {LIST}")
        for lib, c in sorted(named.items()):
            if not os.path.exists(os.path.join(lib_dir, lib)):
                faults.append(f"{LIST} names lib/{lib} ({c.name}), which the release does not carry")
    lines = {line.strip() for line in text.splitlines()}
    for c in chosen:
        if c.name in credits and credits[c.name] not in lines:
            faults.append(f"{c.name}: the line \"{credits[c.name]}\" is missing")
    for fault in faults:
        print(f"notices: {fault}")
    if not faults:
        print(f"notices: {os.path.basename(path)} covers {len(chosen)} components: "
              + ", ".join(c.name for c in chosen))
    return 1 if faults else 0


def main(argv):
    if len(argv) < 3 or argv[0] not in ("write", "check") or argv[1] not in ("linux", "windows", "web"):
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    command, kind, path, rest = argv[0], argv[1], argv[2], argv[3:]
    built = lib = None
    crlf = False
    while rest:
        option = rest.pop(0)
        if option == "--built" and rest:
            built = rest.pop(0)
        elif option == "--lib" and rest:
            lib = rest.pop(0)
        elif option == "--crlf":
            crlf = True
        else:
            print(f"notices: unknown option {option}", file=sys.stderr)
            return 2
    if command == "write":
        write(kind, path, built, crlf)
        return 0
    return check(kind, path, built, lib, crlf)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
