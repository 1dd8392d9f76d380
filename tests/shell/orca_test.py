#!/usr/bin/env python3
"""What a blind player hears: the player and Orca under Xvfb, on a private D-Bus session and AT-SPI bus.

Orca speaks through a private speech-dispatcher whose only voice appends its text to a file (libao plays into
its null driver: no sound card). The test chooses a button and answers the question with the keyboard, and
finds the new pages, the question and the input line's name in the file, each page once.
Usage: orca_test.py TARVIK. Exit status 77 (skipped): a tool is missing and CI is not set.
"""
import importlib.util, os, shutil, signal, subprocess, sys, tempfile, time  # noqa: E401

# Orca's own start-up less its check for other Orcas of the user: /usr/bin/orca refuses to start beside one
# (the player's own screen reader, another run of this test), and with --replace kills them all.
ORCA = """import sys
from orca import debug, orca
debug.debugLevel, debug.eventDebugLevel = debug.LEVEL_ALL, debug.LEVEL_OFF
debug.debugFile = open(sys.argv[1], "w")
orca.getSettingsManager().activate(None, {})
sys.exit(orca.main())
"""
QUEST = """:start
pln Первая страница истории.
btn next, Идти дальше
btn start, Стоять на месте
end
:next
pln Зелёный дракон спит на горе золота.
pln Как зовут дракона?
input answer
pln Дракона зовут #answer$.
end
"""


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def wait_for(what, check, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if check():
            return check()
        time.sleep(0.2)
    fail("timed out waiting for " + what)


def outer(tarvik):
    missing = [t for t in ["Xvfb", "speech-dispatcher", "dbus-run-session", "xdotool"] if not shutil.which(t)]
    launcher = next((p for p in ("/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher")
                     if os.access(p, os.X_OK)), None)
    # Found, not imported: importing them connects to an accessibility bus, which only the inner part has.
    missing += [m for m in ["orca", "pyatspi"] if importlib.util.find_spec(m) is None]
    if missing or not launcher:
        print("missing: %s (scripts/setup.sh installs them)" % (missing or "at-spi-bus-launcher"), flush=True)
        sys.exit(1 if os.environ.get("CI") else 77)

    work = tempfile.mkdtemp(prefix="tarvik-orca-")
    config = os.path.join(work, "config", "speech-dispatcher")
    for folder in ("home", "bin", os.path.join(config, "modules")):
        os.makedirs(os.path.join(work, folder))
    os.makedirs(os.path.join(work, "run"), mode=0o700)
    files = {
        "home/.libao": "default_driver=null\n",
        # Orca stays connected while the test runs; once it is gone the daemon leaves soon.
        config + "/speechd.conf": 'AudioOutputMethod "libao"\nAddModule "capture" "sd_generic" "capture.conf"\n'
        'DefaultModule "capture"\nDefaultLanguage "ru"\nLogDir "%s"\nTimeout 5\n' % work,
        # sd_generic puts the text, its quotes escaped, for $DATA and runs the line with sh.
        config + "/modules/capture.conf": 'GenericExecuteSynth "printf \'%%s\\\\n\' \\\'$DATA\\\' >> %s/spoken.txt"\n'
        'GenericLanguage "ru" "ru" "utf-8"\nAddVoice "ru" "male1" "ru"\n'
        'GenericLanguage "en" "en" "utf-8"\nAddVoice "en" "male1" "en"\n' % work,
        "spoken.txt": "",
    }
    for name, text in files.items():
        with open(os.path.join(work, name), "w") as f:
            f.write(text)
    with open(os.path.join(work, "a11y.qst"), "w", encoding="cp1251", newline="\r\n") as f:
        f.write(QUEST)
    # A copy of the player: a portable copy writes its settings beside itself, here rather than in the build.
    shutil.copy2(tarvik, os.path.join(work, "bin"))

    env = {k: v for k, v in os.environ.items()
           if k not in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS")}
    env.update(HOME=work + "/home", XDG_CONFIG_HOME=work + "/config", XDG_RUNTIME_DIR=work + "/run",
               XDG_DATA_HOME=work + "/data", XDG_CACHE_HOME=work + "/cache", XDG_STATE_HOME=work + "/state",
               LANG="C.UTF-8", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten",
                             "tcp"], pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    status = 1
    try:
        env["DISPLAY"] = ":" + os.read(read_fd, 64).decode().strip()
        status = subprocess.run(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), "--inner",
                                 work, launcher], env=env, stdin=subprocess.DEVNULL, timeout=240).returncode
    finally:
        xvfb.terminate()
        xvfb.wait()
        if status == 0:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print("kept for a look: " + work, flush=True)
    sys.exit(status)


def named(node, role, name, depth=0):
    if node is None or depth > 10:
        return None
    if node.getRoleName() == role and node.name == name:
        return node
    return next(filter(None, (named(node.getChildAtIndex(i), role, name, depth + 1)
                              for i in range(node.childCount))), None)


def inner(work, launcher):
    import pyatspi
    children = []

    def spoken():
        with open(work + "/spoken.txt", encoding="utf-8", errors="replace") as f:
            return f.read()

    def start(args, log):
        children.append(subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=open(work + "/" + log, "w"),
                                         stderr=subprocess.STDOUT, start_new_session=True))

    def xdotool(*args):
        return subprocess.run(["xdotool"] + list(args), check=True, capture_output=True, text=True,
                              timeout=30).stdout

    try:
        start([launcher, "--launch-immediately"], "at-spi.log")
        start([sys.executable, "-c", ORCA, work + "/orca-debug.txt"], "orca.log")
        wait_for("Orca to speak", lambda: spoken().strip(), 60)
        start([work + "/bin/tarvik", work + "/a11y.qst"], "tarvik.log")
        # The controls reach the screen reader with their names.
        desktop = pyatspi.Registry.getDesktop(0)
        wait_for("the button list on the bus", lambda: named(desktop, "list", "Кнопки"), 30)
        # No window manager gives the window the focus: the pointer goes onto it and it is focused by hand.
        window = xdotool("search", "--sync", "--name", "a11y").split()[0]
        xdotool("mousemove", "300", "200")
        xdotool("windowfocus", "--sync", window)
        wait_for("the first page", lambda: "Первая страница истории" in spoken(), 30)
        xdotool("key", "--delay", "150", "Down", "Return")
        for heard in ("Зелёный дракон спит на горе золота", "Как зовут дракона", "Ответ на вопрос"):
            wait_for(heard, lambda: heard in spoken(), 30)
        xdotool("type", "--delay", "100", "Smaug")
        xdotool("key", "Return")
        wait_for("the answer's page", lambda: "Дракона зовут Smaug" in spoken(), 30)
        text = spoken()
        print(text, flush=True)
        # Each page is spoken as it comes, not the whole screen again.
        for page in ("Первая страница истории", "Зелёный дракон"):
            if text.count(page) != 1:
                fail("%s was spoken %d times" % (page, text.count(page)))
    finally:
        for p in children:
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()
        # Orca spawned speech-dispatcher as a daemon of its own, outside the children's process groups.
        try:
            with open(work + "/run/speech-dispatcher/pid/speech-dispatcher.pid") as f:
                os.kill(int(f.read().split()[0]), signal.SIGTERM)
        except (OSError, ValueError, IndexError):
            pass


if __name__ == "__main__":
    if sys.argv[1:2] == ["--inner"]:
        inner(*sys.argv[2:])
    else:
        outer(os.path.abspath(sys.argv[1]))
