"""Makes the page's site: every file a page refers to is named by its content's hash, so that a
browser's cache never pairs a loader with a module (or a style sheet, or a font) of another
build; only the page itself (index.html) keeps its name, and it names the others.

Usage: make_site.py OUT_DIR MODULE FONT ICON HTML CSS LOADER NEEDS
NEEDS: the WebAssembly features the module needs, comma-separated (simd, exceptions)."""
import hashlib
import pathlib
import re
import shutil
import sys


def hashed_name(stem, suffix, content):
    return f"{stem}.{hashlib.sha256(content).hexdigest()[:12]}{suffix}"


def main(out_dir, module, font, icon, html, css, loader, needs):
    out = pathlib.Path(out_dir)
    out.mkdir(parents=True, exist_ok=True)
    # What an earlier build left: only this build's names are to be served.
    for old in out.iterdir():
        if re.fullmatch(r".+\.[0-9a-f]{12}\.(wasm|woff|css|js)", old.name):
            old.unlink()
    names = {}
    for key, path, stem, suffix in (("MODULE_FILE", module, "tavrel", ".wasm"), ("FONT_FILE", font, "DejaVuSans-codepage", ".woff"),
                                    ("CSS_FILE", css, "tavrel", ".css")):
        content = pathlib.Path(path).read_bytes()
        names[key] = hashed_name(stem, suffix, content)
        (out / names[key]).write_bytes(content)
    names["MODULE_NEEDS"] = ", ".join(f'"{need}"' for need in needs.split(",") if need)
    text = pathlib.Path(loader).read_text()
    for key, value in names.items():
        text = text.replace(f"@{key}@", value)
    names["LOADER_FILE"] = hashed_name("tavrel", ".js", text.encode())
    (out / names["LOADER_FILE"]).write_text(text)
    page = pathlib.Path(html).read_text()
    for key, value in names.items():
        page = page.replace(f"@{key}@", value)
    left = re.findall(r"@[A-Z_]+@", text + page)
    if left:
        sys.exit(f"make_site.py: nothing to put for {', '.join(sorted(set(left)))}")
    (out / "index.html").write_text(page)
    shutil.copyfile(icon, out / pathlib.Path(icon).name)


if __name__ == "__main__":
    main(*sys.argv[1:])
