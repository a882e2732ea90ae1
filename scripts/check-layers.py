#!/usr/bin/env python3
"""Checks that the source folders only include downwards.

Reads every #include in core/, gui/ and server/ and fails on an include that
runs up a layer or sideways between two folders of the same rank (which is
how a cycle between folders starts), on a folder missing from the order
below, and on Qt in core or server. Also fails on a request sent by a bare
number outside the request catalogue's folder and the server: requests are
built by the catalogue's typed builders. Run by ctest; by hand:
    scripts/check-layers.py [source-root]      scripts/check-layers.py --self-test
"""

import os
import re
import sys
import tempfile

# Lowest first. A folder may include its own files and folders of a lower
# rank; folders that share a rank know nothing of each other.
ORDER = [
    ["core/base"],                       # log file, user name, version, state paths, GUI hand-over port
    ["core/sync"],                       # events, futex, locks, the byte queue, the blocking-wait port
    ["core/wire"],                       # wire tokens, charsets, errors, request catalogue, parsers, records
    ["core/link"],                       # sockets, TLS, communication and receive threads, transactions
    ["core/commands"],                   # user commands, activity keys, default typed shortcuts
    ["core/config"],                     # settings over a registry backend
    ["core/session"],                    # the client context, caches, logon, session commands
    ["core/reading"],                    # read status, next unread, layout, subject tree
    ["core/events", "core/search", "core/writing"],
    ["core/admin"],                      # administration logic, uses writing's services
    ["gui/common"],                      # shared widgets and helpers
    ["gui/dialogs"],
    ["gui/config", "gui/events", "gui/reading", "gui/search", "gui/writing"],
    ["gui/shell"],                       # composition root: main window, controllers, wiring
    ["gui"],                             # main.cpp
]

# Folders outside the order, with exactly what they may use.
ALLOWED_EXTRA = {
    # The server speaks the same wire: tokens, records and their helpers only,
    # never the client's link.
    "server": {"core/base", "core/sync", "core/wire"},
}
# The composition root embeds the server for the demo mode.
EXTRA_USES = {"gui/shell": {"server"}}

# Includes that break the order and are tolerated for now: (including file,
# included file). Empty: the windows reach the frame through the MainWindow
# port (gui/common), the writing window through WriteRequest, and the name
# chooser is handed to GuiServices by the shell. Never a place to add to.
EXCEPTIONS = set()

# Where a request number may be written: the catalogue and what uses it to
# build lines, and the server that answers them.
REQUEST_NUMBERS_IN = ("core/wire/", "server/")
# The ways a request used to be sent by number: a generic request, a port's
# request call, a command runner, a typed request's send, an argument list,
# an enum value made from a literal, or a wire request made from a number
# (which the compiler refuses already: its key is the catalogue's alone).
BARE_REQUEST = re.compile(
    r"TGenericTrans\b[^;]*?\(\s*[^;]*?,\s*\{\s*[0-9]+"
    r"|\b(?:Request|Send)\(\s*\"[^\"]*\"\s*,\s*(?:[0-9]+\s*,\s*)?\{\s*[0-9]+"
    r"|\bRequest\([^;]*?,\s*[0-9]+\s*,\s*\{"
    r"|\bRun\(\s*\"[^\"]*\"\s*,\s*\{\s*[0-9]+"
    r"|\bSendRequest\(\s*\{\s*[0-9]+"
    r"|initializer_list<RequestArg>\s*\{\s*[0-9]+"
    r"|static_cast<RequestNumber>\(\s*[0-9]+"
    r"|\bRequestNumber\(\s*[0-9]+\s*\)"
    r"|\bWireRequest\s*[({]\s*(?:[\w:]+\s*,\s*)?RequestNumber\b")

TOPS = ("core", "gui", "server")
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".in")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
NO_QT_IN = ("core", "server")


def rank_of():
    ranks = {}
    for level, folders in enumerate(ORDER):
        for folder in folders:
            ranks[folder] = level
    return ranks


def folder_of(path):
    """The layer folder a source file belongs to."""
    return os.path.dirname(path)


def sources(root):
    for top in TOPS:
        for directory, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    full = os.path.join(directory, name)
                    yield os.path.relpath(full, root).replace(os.sep, "/")


def includes(root, path):
    """(line number, project-relative path or None, raw include text)."""
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            raw = m.group(2)
            if raw.split("/")[0] in TOPS and "/" in raw:
                yield number, raw, raw
                continue
            # Relative to the including file, if such a project file exists.
            local = os.path.normpath(os.path.join(os.path.dirname(path), raw)).replace(os.sep, "/")
            yield number, (local if os.path.isfile(os.path.join(root, local)) else None), raw


def may_use(user, used, ranks):
    if user == used:
        return True
    if used in EXTRA_USES.get(user, set()):
        return True
    if user in ALLOWED_EXTRA:
        return used in ALLOWED_EXTRA[user]
    if used in ALLOWED_EXTRA:
        return False
    return ranks[used] < ranks[user]


def check(root):
    """Every problem found below root, as printable lines."""
    ranks = rank_of()
    problems = []
    for path in sources(root):
        user = folder_of(path)
        known = user in ranks or user in ALLOWED_EXTRA
        if not known:
            problems.append(f"{path}: folder {user} is not in the layer order")
            continue
        for number, target, raw in includes(root, path):
            where = f"{path}:{number}"
            if target is None:
                if path.split("/")[0] in NO_QT_IN and re.match(r"Q[A-Za-z]|Qt", raw):
                    problems.append(f"{where}: Qt ({raw}) in a layer that never uses Qt")
                continue
            used = folder_of(target)
            if used not in ranks and used not in ALLOWED_EXTRA:
                problems.append(f"{where}: includes {target} from {used}, which is not in the layer order")
            elif not may_use(user, used, ranks) and (path, target) not in EXCEPTIONS:
                direction = "sideways" if ranks.get(user) == ranks.get(used) else "up"
                problems.append(f"{where}: {user} includes {target} ({used}): runs {direction} the layers")
    return problems


def bare_requests(root):
    """Requests sent by a bare number where only the catalogue's builders belong."""
    problems = []
    for path in sources(root):
        if path.startswith(REQUEST_NUMBERS_IN):
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for m in BARE_REQUEST.finditer(text):
            number = text.count("\n", 0, m.start()) + 1
            problems.append(f"{path}:{number}: a request sent by a bare number; use a builder of the request catalogue")
    return problems


def stale_exceptions(root):
    found = set()
    for path in sources(root):
        for _, target, _ in includes(root, path):
            if (path, target) in EXCEPTIONS:
                found.add((path, target))
    return sorted(EXCEPTIONS - found)


def self_test():
    """The checker must catch what it is for; each case builds a tiny tree."""
    def tree(root, files):
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)

    base = {
        "core/base/LogFile.h": "#pragma once\n#include <string>\n",
        "core/sync/Event.h": '#include "core/base/LogFile.h"\n',
        "core/wire/Wire.h": '#include "core/sync/Event.h"\n',
        "core/link/Link.h": '#include "core/wire/Wire.h"\n',
        "core/session/Client.h": '#include "core/link/Link.h"\n#include "Local.h"\n',
        "core/session/Local.h": "#pragma once\n",
        "server/Server.cpp": '#include "core/wire/Wire.h"\n#include "core/sync/Event.h"\n',
        "gui/shell/Main.cpp": '#include "server/Server.h"\n#include "gui/common/WireCodec.h"\n',
        "gui/common/WireCodec.h": "#include <QString>\n",
        "gui/dialogs/Box.cpp": '#include "gui/common/WireCodec.h"\n',
    }
    cases = [
        ("a clean tree", {}, None),
        ("an upward include", {"core/base/Bad.cpp": '#include "core/session/Client.h"\n'}, "runs up"),
        ("a sideways include", {"core/events/A.h": "", "core/search/B.cpp": '#include "core/events/A.h"\n'},
         "runs sideways"),
        ("the link reaching for the command tables",
         {"core/commands/MiravoTables.h": "", "core/link/T.cpp": '#include "core/commands/MiravoTables.h"\n'},
         "runs up"),
        ("a synchronisation primitive reaching for the wire",
         {"core/sync/Lock.cpp": '#include "core/wire/Wire.h"\n'}, "runs up"),
        ("a record reaching for the link", {"core/wire/Record.cpp": '#include "core/link/Link.h"\n'}, "runs up"),
        ("an upward relative include", {"core/wire/R.cpp": '#include "../session/Client.h"\n'}, "runs up"),
        ("the server using the client's link", {"server/L.cpp": '#include "core/link/Link.h"\n'}, "runs up"),
        ("the server beyond the wire", {"server/S.cpp": '#include "core/session/Client.h"\n'}, "runs up"),
        ("core using the server", {"core/link/P.cpp": '#include "server/Server.cpp"\n'}, "runs up"),
        ("gui below the composition root using it",
         {"gui/reading/V.cpp": '#include "gui/shell/Main.cpp"\n'}, "runs up"),
        ("a folder outside the order", {"core/extra/X.cpp": "\n"}, "not in the layer order"),
        ("Qt in core", {"core/sync/Q.cpp": "#include <QString>\n"}, "never uses Qt"),
        ("a window reaching the frame past its port", {"gui/shell/MainForm.h": "",
                                "gui/events/EventsController.cpp": '#include "gui/shell/MainForm.h"\n'}, "runs up"),
        ("a listed exception", {"gui/shell/MainForm.h": "",
                                "gui/events/EventsController.cpp": '#include "gui/shell/MainForm.h"\n'}, None,
         {("gui/events/EventsController.cpp", "gui/shell/MainForm.h")}),
        ("the same include from an unlisted file", {"gui/shell/MainForm.h": "",
                                "gui/events/Other.cpp": '#include "gui/shell/MainForm.h"\n'}, "runs up",
         {("gui/events/EventsController.cpp", "gui/shell/MainForm.h")}),
        ("the shared services opening a dialog", {"gui/dialogs/ChooseNameForm.h": "",
                                "gui/common/GuiServices.cpp": '#include "gui/dialogs/ChooseNameForm.h"\n'}, "runs up"),
        ("the reading window including the writing window", {"gui/writing/WriteTextOpener.h": "",
                                "gui/reading/ReadArticleForm.h": '#include "gui/writing/WriteTextOpener.h"\n'},
         "runs sideways"),
        ("a generic request by number in a window",
         {"gui/reading/D.cpp": 'TGenericTrans request(client.Protocol(), "Delete text",\n    {29, text});\n'},
         "bare number"),
        ("a port request by number", {"core/admin/A.cpp": 'services_.Request("Set conf type", 21, {conf, bits});\n'},
         "bare number"),
        ("a reading request by number", {"core/reading/R.cpp": 'services_.Request("Get marks", {23});\n'},
         "bare number"),
        ("a command by number", {"core/session/S.cpp": 'Run("Enable", {42, level});\n'}, "bare number"),
        ("an argument list by number",
         {"gui/events/M.cpp": 'Execute(make(p, "x", std::initializer_list<RequestArg>{80, text}));\n'}, "bare number"),
        ("a wire request from a number", {"core/session/W.cpp": 'Send(WireRequest(RequestNumber(29), {7}));\n'},
         "bare number"),
        ("a wire request from a named number",
         {"core/events/W.cpp": 'x.Execute(WireRequest{RequestNumber::SendMessage, {0, m}});\n'}, "bare number"),
        ("a built request", {"gui/reading/B.cpp": 'TGenericTrans request(c, "Delete text", requests::DeleteText(t));\n'},
         None),
        ("a request by number in the link", {"core/link/T.cpp": 'SendRequest({76, name});\n'}, "bare number"),
        ("numbers where they belong", {"core/wire/C.cpp": 'SendRequest({76, name});\n',
                                       "server/D.cpp": 'switch (r.number) { case 76: break; }\n'}, None),
    ]
    global EXCEPTIONS
    kept = EXCEPTIONS
    failures = 0
    for name, extra, expected, *exceptions in cases:
        EXCEPTIONS = exceptions[0] if exceptions else set()
        with tempfile.TemporaryDirectory(prefix="layers-") as root:
            tree(root, {**base, **extra})
            problems = check(root) + bare_requests(root)
        EXCEPTIONS = kept
        ok = (not problems) if expected is None else any(expected in p for p in problems)
        if expected is not None and len(problems) != 1:
            ok = False  # the one fault, and nothing reported about the clean part
        print(f"{'ok  ' if ok else 'FAIL'} {name}" + ("" if ok else f": {problems}"))
        failures += not ok
    return 1 if failures else 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    problems = check(root) + bare_requests(root)
    for stale in stale_exceptions(root):
        print(f"note: exception no longer needed, remove it: {stale[0]} -> {stale[1]}")
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} problem(s) against the layer order and request rules in {os.path.basename(__file__)}")
        return 1
    counted = sum(1 for path in sources(root) for _, target, _ in includes(root, path) if target)
    print(f"layers: all {counted} project includes run downwards")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
