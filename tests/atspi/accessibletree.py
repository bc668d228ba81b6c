# SPDX-License-Identifier: GPL-3.0-or-later
"""Reading and driving a program through its AT-SPI tree, as a screen reader
does: objects found by role and name, their text, description and actions,
and key presses through the registry's device event controller."""

import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402  (needs the version first)

# A program busy with its modem still answers, but not always within
# libatspi's default 0.8 s on a loaded machine.
Atspi.set_timeout(5000, 15000)

# X modifier bits, as the key generator's lock and unlock take them.
SHIFT = 1 << int(Atspi.ModifierType.SHIFT)
CONTROL = 1 << int(Atspi.ModifierType.CONTROL)
PRESS_ACTIONS = ("press", "Press", "click")


def pump():
    """Dispatches what the bus delivered: events reach their listeners here."""
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def poll(read, accept, timeout):
    """Reads until accept(value) holds or the time is up; returns whether it
    held and the last value read. An object that goes while it is read (a
    window closing) is read again; only when no read succeeds is that an
    error."""
    end = time.monotonic() + timeout
    read_once, failure = False, None
    while True:
        pump()
        try:
            value = read()
            read_once = True
            if accept(value):
                return True, value
        except GLib.Error as error:
            failure = error
        if time.monotonic() > end:
            if not read_once:
                raise failure
            return False, value
        time.sleep(0.03)


def application(pid, timeout):
    """The application object of the process pid, once it is on the bus."""
    def find():
        desktop = Atspi.get_desktop(0)
        for app in children(desktop):
            if app.get_process_id() == pid:
                return app
        return None

    found, app = poll(find, lambda app: app is not None, timeout)
    if not found:
        raise TimeoutError(f"process {pid} did not show on the AT-SPI bus in {timeout} s")
    # Read every property from the program, never from a stale cache.
    app.set_cache_mask(Atspi.Cache.NONE)
    return app


def children(node):
    count = node.get_child_count()
    return [child for child in (node.get_child_at_index(i) for i in range(count)) if child]


def descendants(node):
    for child in children(node):
        yield child
        yield from descendants(child)


def role(node):
    """The role's name as AT-SPI 2.46 gives it. Later versions (2.56) name the
    same role number "button" instead of "push button"."""
    if node.get_role() == Atspi.Role.PUSH_BUTTON:
        return "push button"
    return node.get_role_name()


def find(root, role_name, name=None):
    """The first object under root with that role (and name), or None."""
    for node in descendants(root):
        if role(node) == role_name and (name is None or node.get_name() == name):
            return node
    return None


def wait_find(root, role_name, name, timeout=5.0):
    found, node = poll(lambda: find(root, role_name, name), lambda node: node is not None,
                       timeout)
    if not found:
        raise LookupError(f'no {role_name} "{name}" under {role(root)} "{root.get_name()}"')
    return node


def interfaces(node):
    return set(node.get_interfaces())


def text(node):
    """The whole text of the Text interface, None without one."""
    if "Text" not in interfaces(node):
        return None
    return Atspi.Text.get_text(node, 0, -1)


def character_count(node):
    if "Text" not in interfaces(node):
        return None
    return Atspi.Text.get_character_count(node)


def states(node):
    state_set = node.get_state_set()
    return {state.value_nick for state in state_set.get_states()}


def action_names(node):
    if "Action" not in interfaces(node):
        return []
    return [Atspi.Action.get_action_name(node, i) for i in range(Atspi.Action.get_n_actions(node))]


def press(node):
    """Runs the object's press action, as a screen reader's activate does."""
    names = action_names(node)
    for index, name in enumerate(names):
        if name in PRESS_ACTIONS:
            Atspi.Action.do_action(node, index)
            return
    raise LookupError(f'{role(node)} "{node.get_name()}" has no press action: {names}')


def set_text(node, value):
    if "EditableText" not in interfaces(node):
        raise LookupError(f'{role(node)} "{node.get_name()}" has no editable text')
    Atspi.EditableText.set_text_contents(node, value)


def focus(node):
    if not Atspi.Component.grab_focus(node):
        raise RuntimeError(f'{role(node)} "{node.get_name()}" refused the focus')


def click(node):
    """A left click on the middle of the object."""
    box = Atspi.Component.get_extents(node, Atspi.CoordType.SCREEN)
    Atspi.generate_mouse_event(box.x + box.width // 2, box.y + box.height // 2, "b1c")


def type_text(characters):
    """Real key presses, one a character."""
    Atspi.generate_keyboard_event(0, characters, Atspi.KeySynthType.STRING)


def press_key(keysym, modifiers=0):
    """One key, with the modifiers held (X modifier bits)."""
    if modifiers:
        Atspi.generate_keyboard_event(modifiers, None, Atspi.KeySynthType.LOCKMODIFIERS)
    try:
        Atspi.generate_keyboard_event(keysym, None, Atspi.KeySynthType.SYM)
    finally:
        if modifiers:
            Atspi.generate_keyboard_event(modifiers, None, Atspi.KeySynthType.UNLOCKMODIFIERS)


def value(node):
    """What a reader says as the object's value: its text, a list's shown
    choice (its text child), a range's number; None where there is none."""
    shown = text(node)
    if shown is not None:
        return shown
    if role(node) == "combo box":
        for child in children(node):
            if text(child) is not None:
                return text(child)
    if "Value" in interfaces(node):
        return Atspi.Value.get_current_value(node)
    return None


def describe(node):
    """What a reader finds for an object, in one line: role, name,
    description, value."""
    line = f'{role(node)} "{node.get_name()}"'
    if node.get_description():
        line += f' description "{node.get_description()}"'
    shown = value(node)
    if shown is not None:
        line += f" value {shown!r}"
    return line


def listing(node, depth=0):
    """Every object under node, one described a line, indented by depth."""
    lines = []
    for child in children(node):
        lines.append("  " * depth + describe(child))
        lines += listing(child, depth + 1)
    return lines


class EventRecorder:
    """Records the events of one kind, with their source's role and name, as
    they come; pump() delivers them."""

    def __init__(self, kind):
        self.events = []
        self._kind = kind
        self._listener = Atspi.EventListener.new(self._record)
        self._listener.register(kind)

    def _record(self, event):
        source = event.source
        self.events.append({"role": role(source), "name": source.get_name(),
                            "offset": event.detail1, "length": event.detail2,
                            "text": event.any_data})

    def close(self):
        self._listener.deregister(self._kind)
