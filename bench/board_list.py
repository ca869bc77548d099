"""The board list the benchmarks read: realistic Japanese names, five keys a section."""

MODES = ["Ferno-BBS", "Ferno-BBS Quill", "Ferno-BBS Harbor"]


def write_board_list(path, sections, encoding="utf-8", newline="\n", modes=MODES):
    with open(path, "w", encoding=encoding, newline=newline) as out:
        for i in range(sections):
            out.write(f"[board{i}]\n"
                      f"name=雑談掲示板 その{i}（みんなの広場）\n"
                      f"nickname=雑談{i}\n"
                      f"url=http://bbs{i % 97}.example.jp/cgi-bin/bbs{i}.cgi\n"
                      f"mode={modes[i % len(modes)]}\n"
                      f"memo=毎週日曜日に更新\n\n")
