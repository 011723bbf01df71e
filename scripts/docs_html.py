"""The bundle's docs as HTML pages: every docs/*.md made into a UTF-8 page by
Debian's Python-Markdown (python3-markdown; run with /usr/bin/python3), the
overview README.md as index.html, links between pages pointing at the .html
pages, the formula examples at the bundle's 公式示例 folder, and the pictures
shown in the pages from images/ beside them. A link whose text is a page's
file name ("install.md") reads as that page's title in the bundle, where no
.md file is.

Usage: /usr/bin/python3 scripts/docs_html.py DOCS_DIR OUT_DIR
       /usr/bin/python3 scripts/docs_html.py --check OUT_DIR
The second form checks made pages: each is UTF-8, declares it, and every
local link and picture it names is there.
"""
import html
import os
import re
import sys

import markdown

PAGE = """<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<title>{title} - TARVEX</title>
<style>
body {{ font-family: "Microsoft YaHei", "SimSun", "WenQuanYi Micro Hei", sans-serif; max-width: 60em;
       margin: 1em auto; padding: 0 1em; line-height: 1.6; color: #222; }}
nav {{ border-bottom: 1px solid #ccc; padding-bottom: .4em; margin-bottom: 1em; }}
table {{ border-collapse: collapse; margin: .8em 0; }}
th, td {{ border: 1px solid #bbb; padding: .25em .6em; vertical-align: top; }}
th {{ background: #f0f0f0; }}
code, pre {{ font-family: Consolas, "Courier New", monospace; background: #f6f6f6; }}
pre {{ padding: .6em; overflow-x: auto; }}
blockquote {{ border-left: 4px solid #8ab; margin: 1em 0; padding: .2em 1em; background: #f4f8fa; }}
img {{ max-width: 100%; border: 1px solid #ddd; }}
</style>
</head>
<body>
<nav><a href="index.html">TARVEX 用户文档目录</a></nav>
{body}
</body>
</html>
"""


def page_name(md_name):
    return "index.html" if md_name == "README.md" else md_name[:-3] + ".html"


def fix_link(match):
    target = match.group(2)
    if re.match(r"^[a-z]+:", target) or target.startswith("#"):
        return match.group(0)
    path, _, anchor = target.partition("#")
    if path.endswith(".md") and "/" not in path:
        path = page_name(path)
    elif path.startswith("examples/"):
        path = "../公式示例/" + path[len("examples/"):]
    return match.group(1) + path + ("#" + anchor if anchor else "") + '"'


def page_title(text, name):
    heading = re.search(r"^# (.+)$", text, re.M)
    return heading.group(1).strip() if heading else name


def convert(docs, out):
    os.makedirs(out, exist_ok=True)
    names = sorted(n for n in os.listdir(docs) if n.endswith(".md"))
    texts = {}
    for name in names:
        with open(os.path.join(docs, name), encoding="utf-8") as f:
            texts[name] = f.read()
    # The title up to its colon: "趋势线与支撑阻力", not the list of functions after it.
    labels = {name: page_title(texts[name], name).split("：")[0] for name in names}
    labels["examples/"] = "公式示例"

    def label(match):
        text = match.group(2)
        return match.group(1) + html.escape(labels.get(text, text)) + match.group(3)

    for name in names:
        text = texts[name]
        body = markdown.markdown(text, extensions=["tables", "fenced_code", "sane_lists"], output_format="html")
        body = re.sub(r"(<a [^>]*>)([^<]*)(</a>)", label, body)
        body = re.sub(r'((?:href|src)=")([^"]*)"', fix_link, body)
        title = html.escape(page_title(text, name))
        with open(os.path.join(out, page_name(name)), "w", encoding="utf-8", newline="\r\n") as f:
            f.write(PAGE.format(title=title, body=body))
    print("%d pages" % len(names))


def check(out):
    from urllib.parse import unquote
    bad = []
    pages = sorted(n for n in os.listdir(out) if n.endswith(".html"))
    for name in pages:
        raw = open(os.path.join(out, name), "rb").read()
        try:
            text = raw.decode("utf-8")
        except UnicodeDecodeError:
            bad.append(name + ": not UTF-8")
            continue
        if '<meta charset="utf-8">' not in text:
            bad.append(name + ": no UTF-8 declaration")
        for target in re.findall(r'(?:href|src)="([^"#]*)[^"]*"', text):
            if not target or re.match(r"^[a-z]+:", target):
                continue
            if not os.path.exists(os.path.normpath(os.path.join(out, unquote(target)))):
                bad.append(name + ": " + target + " is missing")
    for b in bad:
        print(b)
    print("%d pages checked, %d faults" % (len(pages), len(bad)))
    return not bad


if __name__ == "__main__":
    if sys.argv[1] == "--check":
        sys.exit(0 if check(sys.argv[2]) else 1)
    convert(sys.argv[1], sys.argv[2])
