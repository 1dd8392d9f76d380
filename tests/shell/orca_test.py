#!/usr/bin/env python3
"""What a blind player hears: the player under Xvfb with the Orca screen reader on a private AT-SPI bus.

Orca speaks through a private speech-dispatcher whose only voice appends what it is given to a file, and
libao plays into its null driver, so no sound card is needed. The test chooses a button with the keyboard and
answers the quest's question, then reads the file: the new page, the question and the name of the input line
must have been spoken, and the first page only once.

Usage: orca_test.py TARVIK   (exit status 77: a tool is missing outside CI, the test is skipped)
"""
import importlib.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
TOOLS = ["Xvfb", "orca", "speech-dispatcher", "dbus-run-session", "xdotool"]
BUS_LAUNCHERS = ["/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher",
                 "/usr/lib/x86_64-linux-gnu/at-spi-bus-launcher"]

# Orca's own start-up, less its check for other Orcas of the same user: /usr/bin/orca refuses to start beside
# one (a player's own screen reader, another run of this test) and with --replace kills them all, sessions
# apart or not. Ours lives on its own bus and troubles nobody.
ORCA = """
import sys
from orca import debug, orca
debug.debugLevel = debug.LEVEL_ALL
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], "w")
manager = orca.getSettingsManager()
manager.activate(None, {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
"""

QUEST = """:start
cls
pln Первая страница истории.
btn next, Идти дальше
btn other, Стоять на месте
end

:next
pln Зелёный дракон спит на горе золота.
pln Как зовут дракона?
input answer
pln Дракона зовут #answer$.
btn start, Назад
end

:other
pln Вы стоите на месте.
end
"""


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def wait_for(what, check, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = check()
        if value:
            return value
        time.sleep(0.2)
    fail("timed out waiting for " + what)


def write_configuration(work, spoken):
    home = os.path.join(work, "home")
    config = os.path.join(work, "config")
    modules = os.path.join(config, "speech-dispatcher", "modules")
    os.makedirs(modules)
    os.makedirs(home)
    runtime = os.path.join(work, "run")
    os.makedirs(runtime, mode=0o700)
    with open(os.path.join(home, ".libao"), "w") as f:
        f.write("default_driver=null\n")
    with open(os.path.join(config, "speech-dispatcher", "speechd.conf"), "w") as f:
        f.write('AudioOutputMethod "libao"\n'
                'AddModule "capture" "sd_generic" "capture.conf"\n'
                'DefaultModule "capture"\n'
                'DefaultLanguage "ru"\n'
                'LogDir "%s"\n'
                # Orca stays connected while the test runs; once it is gone the daemon leaves soon.
                'Timeout 5\n' % work)
    # sd_generic fills in $DATA, the text with its quotes escaped, and runs the line with sh.
    with open(os.path.join(modules, "capture.conf"), "w") as f:
        f.write('GenericExecuteSynth "printf \'%%s\\\\n\' \\\'$DATA\\\' >> %s"\n' % spoken)
        for lang in ("ru", "en"):
            f.write('GenericLanguage "%s" "%s" "utf-8"\nAddVoice "%s" "male1" "%s"\n' % (lang, lang, lang, lang))
    env = dict(os.environ)
    for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS",
                 "SPEECHD_ADDRESS"):
        env.pop(name, None)
    env.update(HOME=home, XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime,
               XDG_DATA_HOME=os.path.join(work, "data"), XDG_CACHE_HOME=os.path.join(work, "cache"),
               XDG_STATE_HOME=os.path.join(work, "state"), LANG="C.UTF-8",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", GTK_MODULES="gail:atk-bridge", NO_AT_BRIDGE="0")
    return env


def outer(tarvik):
    missing = [t for t in TOOLS if not shutil.which(t)]
    launcher = next((p for p in BUS_LAUNCHERS if os.access(p, os.X_OK)), None)
    if not launcher:
        missing.append("at-spi-bus-launcher")
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        missing.append("python3-pyatspi")
    # Found, not imported: importing Orca connects to an accessibility bus, which only the inner part has.
    if importlib.util.find_spec("orca") is None:
        missing.append("orca's Python modules")
    if missing:
        print("missing: " + " ".join(missing) + " (scripts/setup.sh installs them)", flush=True)
        # On CI the tools are installed by setup.sh: their absence is a fault there, not a reason to skip.
        sys.exit(1 if os.environ.get("CI") else SKIP)

    work = tempfile.mkdtemp(prefix="tarvik-orca-")
    spoken = os.path.join(work, "spoken.txt")
    open(spoken, "w").close()
    env = write_configuration(work, spoken)
    # A copy of the player: the settings of a portable copy are written beside it, here, not in the build.
    os.makedirs(os.path.join(work, "bin"))
    player = os.path.join(work, "bin", "tarvik")
    shutil.copy2(tarvik, player)
    with open(os.path.join(work, "a11y.qst"), "w", encoding="cp1251", newline="\r\n") as f:
        f.write(QUEST)

    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten",
                             "tcp"], pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    status = 1
    try:
        display = os.read(read_fd, 64).decode().strip()
        if not display:
            fail("Xvfb did not start")
        env["DISPLAY"] = ":" + display
        inner = subprocess.run(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), "--inner",
                                player, work, launcher], env=env, stdin=subprocess.DEVNULL, timeout=240)
        status = inner.returncode
    finally:
        xvfb.terminate()
        xvfb.wait()
        if status == 0:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print("kept for a look: " + work, flush=True)
    sys.exit(status)


def find_named(node, role, name, depth=0):
    if node is None or depth > 12:
        return None
    try:
        if node.getRoleName() == role and node.name == name:
            return node
        for i in range(node.childCount):
            found = find_named(node.getChildAtIndex(i), role, name, depth + 1)
            if found:
                return found
    except Exception:
        return None
    return None


def tarvik_app():
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "Tarvik":
            return app
    return None


def inner(player, work, launcher):
    spoken_file = os.path.join(work, "spoken.txt")
    children = []

    def spoken():
        with open(spoken_file, encoding="utf-8", errors="replace") as f:
            return f.read()

    def start(args, log):
        p = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=open(os.path.join(work, log), "w"),
                             stderr=subprocess.STDOUT, start_new_session=True)
        children.append(p)
        return p

    def key(*keys):
        subprocess.run(["xdotool", "key", "--delay", "150"] + list(keys), check=True)

    try:
        start([launcher, "--launch-immediately"], "at-spi.log")
        start([sys.executable, "-c", ORCA, os.path.join(work, "orca-debug.txt")], "orca.log")
        wait_for("Orca to speak", lambda: spoken().strip(), 60)
        start([player, os.path.join(work, "a11y.qst")], "tarvik.log")

        # The controls reach the screen reader with their names.
        app = wait_for("the player on the AT-SPI bus", tarvik_app, 30)
        wait_for("the button list named", lambda: find_named(app, "list", "Кнопки"), 30)
        wait_for("the story named", lambda: find_named(app, "text", "Текст истории"), 10)

        # No window manager gives the window the focus: the pointer goes onto it and it is focused by hand.
        window = subprocess.run(["xdotool", "search", "--sync", "--name", "a11y"], capture_output=True,
                                text=True, timeout=30).stdout.split()[0]
        subprocess.run(["xdotool", "mousemove", "300", "200"], check=True)
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
        wait_for("the first page", lambda: "Первая страница истории" in spoken(), 30)

        key("Down", "Return")
        wait_for("the new page", lambda: "Зелёный дракон спит на горе золота" in spoken(), 30)
        wait_for("the question", lambda: "Как зовут дракона" in spoken(), 10)
        wait_for("the input line's name", lambda: "Ответ на вопрос" in spoken(), 10)

        subprocess.run(["xdotool", "type", "--delay", "100", "Smaug"], check=True)
        key("Return")
        wait_for("the answer's page", lambda: "Дракона зовут Smaug" in spoken(), 30)

        text = spoken()
        # Each page is spoken as it comes, not the whole screen again.
        if text.count("Первая страница истории") != 1:
            fail("the first page was spoken %d times:\n%s" % (text.count("Первая страница истории"), text))
        if text.count("Зелёный дракон") != 1:
            fail("the second page was spoken %d times:\n%s" % (text.count("Зелёный дракон"), text))
        print(text, flush=True)
        print("PASS", flush=True)
    finally:
        for p in reversed(children):
            try:
                os.killpg(p.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for p in children:
            try:
                p.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
        # Orca spawned speech-dispatcher as a daemon of its own, outside the children's process groups.
        try:
            with open(os.path.join(work, "run", "speech-dispatcher", "pid", "speech-dispatcher.pid")) as f:
                os.kill(int(f.read().split()[0]), signal.SIGTERM)
        except (OSError, ValueError, IndexError):
            pass


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "--inner":
        inner(*sys.argv[2:])
    elif len(sys.argv) == 2:
        outer(os.path.abspath(sys.argv[1]))
    else:
        print(__doc__)
        sys.exit(2)
