# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader gets from the window, read over the real AT-SPI bus:
the lists and their choices, the status bar, Find Modem's status line, a
field's mark after Set, the receive box's text in both views, its text
events, the keys that scroll it and move into it, and its bound. Each check prints PASS or FAIL with what it read. With --dump, only
a listing of every control on each page, as a reader finds it.

Runs inside the session tests/atspi/run.sh sets up; MIRAN_PROGRAM and
MIRAN_MODEM_SIM name the window program and the simulated modem."""

import argparse
import contextlib
import os
import signal
import sys
import tempfile
import time

import accessibletree as tree
from programs import ModemSim, Window, wait_for

PAGES = ("Modem Setup", "Comms Port Setup", "Terminal")
# The program's list of rates and its comm ports 1 to 15.
BAUD_RATES = ["2400", "4800", "9600", "14400", "19200", "28800", "38400", "56000", "128000",
              "256000"]
PORTS = [str(number) for number in range(1, 16)]
BAUD = "38400"
ADDRESS = "7F7F7F7E"
# The answering modem's configuration, which it sends on every read: a line
# break (CR LF), a 00 byte (Tx power 0), DEL, ESC and a C1 byte among it.
CONFIG = bytes.fromhex("4849 0D0A 007F 1B85 6B 00 1E 1E")
TX_POWER_LIMIT = 5
TYPED = "hello"
XK_H = 0x0068
XK_X = 0x0078
XK_RETURN = 0xFF0D
XK_ESCAPE = 0xFF1B
XK_HOME = 0xFF50
XK_PAGE_UP = 0xFF55
XK_END = 0xFF57
XK_F6 = 0xFFC3
# Lines typed (each echoed) so that the receive box has more than it shows.
HISTORY_LINES = 30
# More than the excerpt a reader gets: the rows on screen and 100 rows on
# either side, each at most a box's width.
FLOOD_BYTES = 400_000
EXCERPT_LIMIT = 64 * 1024
READ_TIMEOUT = 10.0
NO_RESPONSE = "No Response"
READ_BACK_ENDS = ("Request Complete", NO_RESPONSE)
SHOWN_TIMEOUT = 3.0

CONTROL_PICTURES = 0x2400
DELETE_PICTURE = "\u2421"
REPLACEMENT = "\ufffd"
HEX_ROW_BYTES = 16


def shown_text(data):
    """The receive box's text view of the bytes: CR, LF and CR LF each break
    the line; other control bytes show as their control picture, DEL as its
    own, 80 to 9F as the replacement character, the rest as Latin-1."""
    shown = []
    for byte in data.replace(b"\r\n", b"\n").replace(b"\r", b"\n"):
        if byte == 0x0A:
            shown.append("\n")
        elif byte < 0x20:
            shown.append(chr(CONTROL_PICTURES + byte))
        elif byte == 0x7F:
            shown.append(DELETE_PICTURE)
        elif 0x80 <= byte < 0xA0:
            shown.append(REPLACEMENT)
        else:
            shown.append(chr(byte))
    return "".join(shown)


def hex_rows(data):
    """The hex view's rows: an 8-digit offset, 16 bytes in two groups of 8,
    then the bytes as characters (a dot where not printable)."""
    rows = []
    for offset in range(0, len(data), HEX_ROW_BYTES):
        chunk = data[offset:offset + HEX_ROW_BYTES]
        cells = " ".join(f"{byte:02X}" for byte in chunk[:8])
        if len(chunk) > 8:
            cells += "  " + " ".join(f"{byte:02X}" for byte in chunk[8:])
        chars = "".join(chr(byte) if 0x20 <= byte < 0x7F else "." for byte in chunk)
        rows.append(f"{offset:08X}  {cells:<48}  {chars}")
    return "\n".join(rows)


class Report:
    """Runs each check on its own: an exception fails that check alone."""

    def __init__(self):
        self.failed = []
        self.started = time.monotonic()

    def run(self, name, check, *args):
        start = time.monotonic()
        try:
            problems, found = check(*args)
        except Exception as error:  # the check could not read what it needs
            problems, found = [f"{type(error).__name__}: {error}"], []
        verdict = "FAIL!  " if problems else "PASS   "
        print(f"{verdict}: {name} ({time.monotonic() - start:.1f} s)")
        for problem in problems:
            print(f"           {problem}")
        for line in found:
            print(f"           read: {line}")
        if problems:
            self.failed.append(name)
        sys.stdout.flush()

    def summary(self):
        total = time.monotonic() - self.started
        print(f"Totals: {len(self.failed)} failed, {total:.1f} s")
        for name in self.failed:
            print(f"  failed: {name}")
        return 1 if self.failed else 0


# --- Finding things -----------------------------------------------------------

def page(app, name):
    """A page of the window: the panel's child of that name (the page tabs
    have names of their own)."""
    for node in tree.descendants(app):
        if tree.role(node) == "filler" and node.get_name() == name:
            parent = node.get_parent()
            if parent and tree.role(parent) == "panel":
                return node
    raise LookupError(f'no page "{name}"')


def show_page(app, name):
    tree.press(tree.wait_find(app, "page tab", name))
    shown = page(app, name)
    showing, _ = tree.poll(lambda: tree.states(shown), lambda states: "showing" in states, 5)
    if not showing:
        raise TimeoutError(f'page "{name}" not showing after its tab was pressed')
    return shown


def status_panel(app):
    bar = tree.wait_find(app, "status bar", "Status")
    panels = tree.children(bar)
    if not panels:
        raise LookupError('the status bar "Status" has no children')
    return panels[0]


def status(app):
    panel = status_panel(app)
    shown = tree.text(panel)
    return panel.get_name() if shown is None else shown


def labelled(label):
    """What a label names, through its label-for relation."""
    for relation in label.get_relation_set():
        if relation.get_relation_type().value_nick == "label-for" and relation.get_n_targets():
            return relation.get_target(0)
    return None


def open_dialog(app):
    for window in tree.children(app):
        if tree.role(window) in ("alert", "dialog"):
            return window
    return None


# --- Checks -------------------------------------------------------------------

def check_list(app, page_name, label_text, items, shown, item_matches=str.__eq__):
    """A list as a reader meets it: named by its label; its children a list
    of the choices and the edit part showing the chosen one."""
    where = page(app, page_name)
    label = tree.wait_find(where, "label", label_text)
    combo = labelled(label)
    problems, found = [], []
    if combo is None:
        problems.append(f'label "{label_text}" names nothing (no label-for relation)')
        combo = tree.find(where, "combo box", label_text)
        if combo is None:
            return problems, found
    found.append(tree.describe(combo))
    if tree.role(combo) != "combo box":
        problems.append(f'label "{label_text}" names a {tree.role(combo)}, not a combo box')
    if combo.get_name() != label_text:
        problems.append(f'name "{combo.get_name()}", not its label "{label_text}"')
    children = tree.children(combo)
    found += [f"child {tree.describe(child)}" for child in children]
    lists = [child for child in children if tree.role(child) == "list"]
    edits = [child for child in children if tree.role(child) in ("text", "entry")]
    if not lists:
        problems.append("no child of role list: a reader cannot go through the choices")
    else:
        listed = [item.get_name() for item in tree.children(lists[0])
                  if tree.role(item) == "list item"]
        found.append(f"list items {listed}")
        if items is not None and listed != items:
            problems.append(f"items {listed}, not {items}")
        if not any(item_matches(item, shown) for item in listed):
            problems.append(f"the shown choice {shown!r} is not among the items")
    if not edits:
        problems.append("no child of role text or entry: the shown choice is not read")
    elif tree.text(edits[0]) != shown:
        problems.append(f"the text child reads {tree.text(edits[0])!r}, not {shown!r}")
    return problems, found


def check_scan_status(app):
    """Find Modem where no modem answers: its status line, once the scan has
    ended, reads what the line shows."""
    where = show_page(app, "Comms Port Setup")
    line = next((node for node in tree.children(where) if tree.role(node) == "label" and
                 "Find Modem status" in (node.get_name(), node.get_description())), None)
    if line is None:
        raise LookupError('no label named or described "Find Modem status"')
    tree.press(tree.wait_find(where, "push button", "Find Modem"))
    ended, dialog = tree.poll(lambda: open_dialog(app), lambda dialog: dialog is not None, 20)
    found = [f"status line: {tree.describe(line)}"]
    problems = [] if ended else ["no message after 20 s: the scan did not end"]
    if dialog is not None:
        found.append(f"message: {' / '.join(tree.listing(dialog))}")
    expected = "No modem found."
    read = [line.get_name(), tree.text(line)]
    if expected not in read:
        problems.append(f"the status line reads {read[0]!r}, not what it shows: {expected!r}")
    if dialog is not None:
        tree.press(tree.wait_find(dialog, "push button", "OK"))
        tree.poll(lambda: open_dialog(app), lambda dialog: dialog is None, 5)
    return problems, found


def read_back(app, button, before=None, attempts=2):
    """Presses a button whose run ends in a read-back of the modem (Connect,
    Refresh, Set; before, if given, is done first each time) and waits for
    that to end. Where the reply came too late for the program's reply window,
    as on a loaded machine, it runs again: the timing is not what these checks
    are about. Returns the statuses read on the way."""
    seen = [status(app)]

    def read():
        current = status(app)
        if current != seen[-1]:
            seen.append(current)
        return current

    for _ in range(attempts):
        if before:
            before()
        tree.press(button)
        start = len(seen)
        tree.poll(read, lambda current: len(seen) > start and
                  current.startswith(READ_BACK_ENDS), READ_TIMEOUT)
        if not seen[-1].startswith(NO_RESPONSE):
            break
    return seen


def connect(app):
    """Connect, and its read-back; Refresh once where the reply came late."""
    seen = read_back(app, tree.wait_find(app, "push button", "Connect"), attempts=1)
    if seen[-1].startswith(NO_RESPONSE):
        refresh = tree.wait_find(show_page(app, "Modem Setup"), "push button", "Refresh")
        seen += read_back(app, refresh)[1:]
    return seen


def check_status_bar(app, modem):
    """The status bar's text, before Connect and after its read-back."""
    panel = status_panel(app)
    found = [tree.describe(panel)]
    seen = connect(app)
    found.append(f"statuses in turn: {seen}")
    problems = []
    if seen[0] != "Disconnected":
        problems.append(f"before Connect it reads {seen[0]!r}, not 'Disconnected'")
    if seen[-1] != "Request Complete":
        problems.append(f"after Connect it reads {seen[-1]!r}, not 'Request Complete'")
        found += [f"modem log: {line}" for line in modem.events()]
    return problems, found


def receive_box(app):
    return tree.wait_find(page(app, "Terminal"), "text", "Received")


def activate(app):
    """Makes the window the active one, as a click into it does where no
    window manager does it: window shortcuts work only there."""
    frame = next(window for window in tree.children(app)
                 if window.get_name().startswith("MIRAN Modem Utility"))
    if "active" not in tree.states(frame):
        tree.click(status_panel(app))
    active, _ = tree.poll(lambda: tree.states(frame), lambda states: "active" in states, 5)
    if not active:
        raise RuntimeError("the window did not become active after a click into it")


def type_into_terminal(app, modem, typed):
    """Real key presses into the typing box; returns once the modem has
    echoed them."""
    where = show_page(app, "Terminal")
    typing = tree.wait_find(where, "text", "Type to send")
    activate(app)
    tree.focus(typing)
    focused, _ = tree.poll(lambda: tree.states(typing), lambda states: "focused" in states, 5)
    if not focused:
        raise RuntimeError('"Type to send" did not take the focus')
    tree.type_text(typed)
    wait_for(lambda: modem.sent(typed.encode("ascii")), 5, f"the modem's echo of {typed!r}")


def check_text_events(inserts):
    """A text-inserted event from the receive box when the modem's echo came."""
    from_box, events = tree.poll(
        lambda: [event for event in inserts.events
                 if event["role"] == "text" and event["name"] == "Received"],
        bool, SHOWN_TIMEOUT)
    found = [f"{len(inserts.events)} insert events in all"]
    found += [f"from the receive box: {event}" for event in events]
    found += [f"from elsewhere: {event}" for event in inserts.events if event not in events]
    problems = [] if from_box else [
        "no object:text-changed:insert from the receive box: a reader hears nothing arrive"]
    return problems, found


def check_shown_text(node, expected, view):
    """The box's whole accessible text equals what it shows."""
    equal, read = tree.poll(lambda: tree.text(node), lambda read: read == expected,
                            SHOWN_TIMEOUT)
    found = [f"text {read!r}", f"character count {tree.character_count(node)}"]
    problems = [] if equal else [f"the {view} reads {read!r}, not what it shows: {expected!r}"]
    return problems, found


def check_hex_view(app, node, expected):
    activate(app)
    tree.press_key(XK_H, tree.CONTROL | tree.SHIFT)
    return check_shown_text(node, expected, "hex view")


def check_field_mark(app):
    """Set with a Tx power the modem limits: the field's description carries
    the mark its tool tip shows."""
    where = show_page(app, "Modem Setup")
    field = tree.wait_find(where, "text", "Tx Power")
    seen = read_back(app, tree.wait_find(where, "push button", "Set"),
                     before=lambda: tree.set_text(field, "9"))
    limited = str(TX_POWER_LIMIT)
    shown, _ = tree.poll(lambda: tree.text(field), lambda read: read == limited, SHOWN_TIMEOUT)
    found = [tree.describe(field), f"statuses in turn: {seen}", f"status now {status(app)!r}"]
    if not shown:
        return [f"the read-back after Set did not show {limited} in Tx Power"], found
    mark = f"sent 9, modem reports {limited}"
    description = field.get_description()
    problems = [] if mark in description else [
        f"description {description!r} lacks the field's mark {mark!r}"]
    return problems, found


def vertical_scroll_bar(box):
    """The receive box's scroll bar for its rows: the one taller than wide."""
    def tall(node):
        extents = tree.Atspi.Component.get_extents(node, tree.Atspi.CoordType.SCREEN)
        return extents.height > extents.width
    return next(node for node in tree.descendants(box)
                if tree.role(node) == "scroll bar" and tall(node))


def check_history_keys(app, modem):
    """Shift+Page Up, Shift+Home and Shift+End in the typing box scroll the
    received lines and send nothing; F6 moves into the history, Escape back."""
    where = show_page(app, "Terminal")
    typing = tree.wait_find(where, "text", "Type to send")
    box = receive_box(app)
    activate(app)
    # Back to the text view (the hex view check left it on): a line a row.
    tree.press_key(XK_H, tree.CONTROL | tree.SHIFT)
    tree.focus(typing)
    for _ in range(HISTORY_LINES):
        tree.press_key(XK_X)
        tree.press_key(XK_RETURN)
    wait_for(lambda: modem.sent(b"x\r" * HISTORY_LINES), 10, "the modem's echo of the lines")
    bar = vertical_scroll_bar(box)
    position = lambda: tree.Atspi.Value.get_current_value(bar)
    # The echo is laid out a frame after it arrives, and the box follows it.
    _, (top, bottom) = tree.poll(
        lambda: (tree.Atspi.Value.get_minimum_value(bar), tree.Atspi.Value.get_maximum_value(bar)),
        lambda range_: range_[1] > range_[0] and position() == range_[1], SHOWN_TIMEOUT)
    received, typed = modem.logged("RX"), tree.text(typing)
    found = [f"scroll bar from {top} to {bottom}, at {position()}"]
    problems = []

    def expect(keysym, modifiers, accept, what):
        tree.press_key(keysym, modifiers)
        reached, at = tree.poll(position, accept, SHOWN_TIMEOUT)
        found.append(f"{what}: scroll bar at {at}")
        if not reached:
            problems.append(f"{what} did not scroll the receive box")

    expect(XK_PAGE_UP, tree.SHIFT, lambda at: at < bottom, "Shift+Page Up in the typing box")
    expect(XK_HOME, tree.SHIFT, lambda at: at == top, "Shift+Home in the typing box")
    expect(XK_END, tree.SHIFT, lambda at: at == bottom, "Shift+End in the typing box")
    if modem.logged("RX") != received or tree.text(typing) != typed:
        problems.append("the scroll keys sent something or changed the typing box")

    tree.press_key(XK_F6)
    into, _ = tree.poll(lambda: tree.states(box), lambda states: "focused" in states, 5)
    found.append(f"after F6: receive box {'focused' if into else 'not focused'}")
    if not into:
        problems.append("F6 in the typing box did not move the focus into the receive box")
    else:
        expect(XK_PAGE_UP, 0, lambda at: at < bottom, "Page Up in the receive box")
    tree.press_key(XK_ESCAPE)
    back, _ = tree.poll(lambda: tree.states(typing), lambda states: "focused" in states, 5)
    if not back:
        problems.append("Escape in the receive box did not move the focus back to typing")
    return problems, found


def check_bounded(app, flood):
    """A flood far larger than the box shows: a reader gets the excerpt
    around the rows on screen, with no NUL in it, not the whole store."""
    box = receive_box(app)
    count = lambda: tree.character_count(box)
    before = count()
    connect_button = tree.wait_find(app, "push button", "Connect")
    tree.press(connect_button)
    wait_for(lambda: len(flood.logged("TX")) >= 2 * FLOOD_BYTES, 20, "the modem's flood")
    settled, read = tree.poll(count, lambda number: number != before and number <= EXCERPT_LIMIT,
                              SHOWN_TIMEOUT)
    text = tree.text(box) or ""
    found = [f"character count {read} after {FLOOD_BYTES} bytes", f"text ends {text[-60:]!r}"]
    problems = []
    if not settled:
        problems.append(f"the receive box hands out {read} characters, not the bounded excerpt")
    if "\0" in text or len(text) != read:
        problems.append(f"the text read ({len(text)} characters) is not all of it ({read})")
    return problems, found


# --- Listing ------------------------------------------------------------------

def dump(app):
    """Every control of each page and of the window around them."""
    for name in PAGES:
        print(f"--- page {name}")
        for line in tree.listing(show_page(app, name), 1):
            print(line)
    print("--- around the pages")
    for window in tree.children(app):
        print("  " + tree.describe(window))
        for part in tree.children(window):
            if tree.role(part) != "panel":
                print("    " + tree.describe(part))
                for line in tree.listing(part, 3):
                    print(line)
    sys.stdout.flush()


# --- The runs -----------------------------------------------------------------

def answering_modem(sim, link):
    return ModemSim(sim, link, ["--config", CONFIG.hex(),
                                "--clamp", f"power=0-{TX_POWER_LIMIT}"])


def window(program, folder, link):
    return Window(program, folder, ports={1: link}, port=1, baud=BAUD,
                  address=ADDRESS)


def run_dump(program, sim, folder):
    link = os.path.join(folder, "modem1")
    with answering_modem(sim, link), window(program, folder, link) as shown:
        app = tree.application(shown.pid, READ_TIMEOUT)
        connect(app)
        dump(app)
    return 0


def run_checks(program, sim, folder):
    report = Report()
    link = os.path.join(folder, "modem1")
    # The window outlives the silent modem, whose device the answering one takes.
    with contextlib.ExitStack() as stack:
        with ModemSim(sim, link, ["--no-answer"]):
            shown = stack.enter_context(window(program, folder, link))
            app = tree.application(shown.pid, READ_TIMEOUT)
            run_list_checks(report, app, link)
            report.run("Find Modem status line", check_scan_status, app)
        with answering_modem(sim, link) as modem:
            report.run("status bar", check_status_bar, app, modem)
            dump(app)
            run_receive_checks(report, app, modem)
            report.run("field mark after Set", check_field_mark, app)
        # The answering modem's device went away: the window lost its port.
        with ModemSim(sim, link, ["--flood", str(FLOOD_BYTES)]) as flood:
            report.run("receive box bounded", check_bounded, app, flood)
    return report.summary()


def run_list_checks(report, app, link):
    show_page(app, "Comms Port Setup")
    for label, items, choice, matches in (
            ("Comm Port", PORTS, "1", str.__eq__),
            ("Baud Rate", BAUD_RATES, BAUD, str.__eq__),
            # An item shows the device's path and what it is.
            ("Device", None, link, str.startswith)):
        report.run(f"list {label}", check_list, app, "Comms Port Setup", label, items, choice,
                   matches)
    show_page(app, "Terminal")
    report.run("list Address to send to", check_list, app, "Terminal", "Address to send to",
               None, ADDRESS)


def run_receive_checks(report, app, modem):
    """The modem's configuration came with Connect; typing adds its echo."""
    box = receive_box(app)
    inserts = tree.EventRecorder("object:text-changed:insert")
    try:
        type_into_terminal(app, modem, TYPED)
        report.run("text inserted events", check_text_events, inserts)
    finally:
        inserts.close()
    received = CONFIG + TYPED.encode("ascii")
    report.run("receive box text", check_shown_text, box, shown_text(received), "text view")
    report.run("receive box hex view", check_hex_view, app, box, hex_rows(received))
    report.run("history keys", check_history_keys, app, modem)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--dump", action="store_true",
                        help="print only what a reader finds for each control")
    arguments = parser.parse_args()
    # Stopped from outside, it still stops the programs it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    program = os.environ["MIRAN_PROGRAM"]
    sim = os.environ["MIRAN_MODEM_SIM"]
    with tempfile.TemporaryDirectory(prefix="miran-atspi-") as folder:
        if arguments.dump:
            return run_dump(program, sim, folder)
        return run_checks(program, sim, folder)


if __name__ == "__main__":
    sys.exit(main())
