"""The builds each comparison runs, side by side: the linux preset's (RelWithDebInfo, the build the
Debian package ships and users run) and the bench preset's (Release)."""
import os

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PRESETS = (("linux", "RelWithDebInfo, as users run it"), ("bench", "Release"))


def builds(program, given=(), users_preset="linux"):
    """(label, path) of program in each build, or of each path given instead. users_preset names
    the preset built with the users' flags that holds program (the benchmark programs are in
    bench-linux, which only adds them to the linux preset's build)."""
    if given:
        return [(path, path) for path in given]
    found = []
    for preset, flags in ((users_preset, PRESETS[0][1]), PRESETS[1]):
        path = os.path.join(ROOT, "build", preset, "bin", program)
        if not os.path.exists(path):
            raise SystemExit(f"{path} is missing: cmake --preset {preset} && "
                             f"cmake --build --preset {preset} --target {program}")
        found.append((f"{preset} ({flags})", path))
    return found
