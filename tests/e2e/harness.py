"""End-to-end harness: one fresh Wine prefix, one wineserver per scenario.

A scenario is a function taking a Scenario. It installs fixture packages, runs
the setup through the pilot (which records and answers its dialogs) and looks
at the machine afterwards through the pilot's query commands.
"""

import contextlib
import fcntl
import json
import ntpath
import os
import re
import shutil
import subprocess
import tempfile
import time

# Answer tokens the pilot understands, beside "id:<n>".
ANSWERS = ("ok", "cancel", "yes", "no", "close", "leave")
# Steps that may come before an answer, joined with "+" ("esc+close"): keys to the
# focused control, a focus change, a pause, a real mouse click on a control.
STEPS = re.compile(r"esc|enter|space|focus:\d+|click:\d+|wait:\d+")


def valid_answer(answer):
    *steps, last = answer.split("+")
    return ((last in ANSWERS or re.fullmatch(r"id:\d+", last) or STEPS.fullmatch(last))
            and all(STEPS.fullmatch(step) for step in steps))

PRODUCT_KEY = r"Software\Quorvel\Freeware - OutlookTolvane"


class Skip(Exception):
    """Raised by a scenario that cannot run on this build (CTest shows it as skipped)."""


class WineError(AssertionError):
    pass


def load_config(build_dir):
    with open(os.path.join(build_dir, "tests", "e2e", "e2e.json"), encoding="utf-8") as f:
        return json.load(f)


def _locked(path):
    """An exclusive lock on path + '.lock' (the same lock tools/wine-prefix takes)."""
    f = open(path + ".lock", "w")
    fcntl.flock(f, fcntl.LOCK_EX)
    return f


def ensure_template(config):
    """Creates the template prefix once; also starts Xvfb when DISPLAY is unset."""
    template = config["template_prefix"]
    os.makedirs(os.path.dirname(template), exist_ok=True)
    with contextlib.closing(_locked(template)):
        subprocess.run([config["wine_prefix_tool"], "init", template], check=True,
                       stdin=subprocess.DEVNULL)
        marker = os.path.join(template, ".e2e-ready")
        if os.path.exists(marker):
            return
        env = dict(os.environ, WINEPREFIX=template, WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=", WINEARCH="win64")
        env["DISPLAY"] = env.get("DISPLAY") or ":" + env.get("TOLVANE_XVFB_DISPLAY", "97")
        # Xvfb runs no window manager: managed windows make Wine wait about 2 s
        # for one whenever a window is hidden, so every answered dialog cost that.
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                        "/t", "REG_SZ", "/d", "N", "/f"], env=env, check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, stdin=subprocess.DEVNULL)
        open(marker, "w").close()


class RunResult:
    """What one pilot run saw: dialogs in order, exit code, Windows Installer calls."""

    def __init__(self, events, wine_exit, stderr, traced):
        self.events = events
        self.dialogs = [e for e in events if e.get("event") == "dialog"]
        # The action steps run on a dialog, each with whether it was still open after.
        self.steps = [e for e in events if e.get("event") == "step"]
        self.timed_out = any(e.get("event") == "timeout" for e in events)
        exits = [e["code"] for e in events if e.get("event") == "exit"]
        # The log holds the full 32-bit code; wine's own exit status only 8 bits.
        self.exit_code = exits[-1] if exits else wine_exit
        self.stderr = stderr
        # Filled only for a run with msi_trace=True.
        self.msi_commands = parse_msi_commands(stderr) if traced else []
        self._calls = parse_msi_trace(stderr) if traced else []

    def msi_calls(self, function):
        """Argument lists of every traced call of a msi.dll function (msi_trace=True)."""
        return [args for name, args in self._calls if name == function]

    @property
    def unscripted_questions(self):
        """Dialogs offering a choice that were answered by the pilot's default."""
        return [d for d in self.dialogs if not d["scripted"] and _is_question(d)]

    def __repr__(self):
        return "RunResult(exit_code=%r, timed_out=%r, dialogs=%s)" % (
            self.exit_code, self.timed_out, json.dumps(self.dialogs, indent=1))


def _is_question(dialog):
    ids = {b["id"] for b in dialog["buttons"]}
    return bool(ids & {6, 7}) or {1, 2} <= ids


_TRACE_LINE = re.compile(r"trace:msi:(\w+)\s*(.*)$")
_TRACE_TOKEN = re.compile(r'L?"(?:[^"\\]|\\.)*"(?:\.\.\.)?|\(null\)|[^\s,]+')
_SIMPLE_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}


def _unescape_debugstr(token):
    """Wine's debugstr_a text: "..." with C escapes, '...' after the quote when cut.

    Returns (text, truncated); (null) gives (None, False).
    """
    if token == "(null)":
        return None, False
    if token.startswith("L"):
        token = token[1:]
    truncated = token.endswith('"...')
    body = token[1:token.rindex('"')]
    out = []
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\" or i + 1 == len(body):
            out.append(c)
            i += 1
            continue
        n = body[i + 1]
        hex_digits = re.match(r"x([0-9a-fA-F]{1,2})", body[i + 1:])
        octal = re.match(r"[0-7]{1,3}", body[i + 1:])
        if n in _SIMPLE_ESCAPES:
            out.append(_SIMPLE_ESCAPES[n])
            i += 2
        elif hex_digits:
            out.append(chr(int(hex_digits.group(1), 16)))
            i += 1 + len(hex_digits.group(0))
        elif octal:
            out.append(chr(int(octal.group(0), 8)))
            i += 1 + len(octal.group(0))
        else:
            out.append(n)
            i += 2
    return "".join(out), truncated


def parse_msi_trace(stderr):
    """[(function, [arguments])] from WINEDEBUG=+msi output, in call order.

    Quoted arguments are decoded (None for (null)); others (pointers, numbers)
    stay as Wine printed them.
    """
    calls = []
    for line in stderr.splitlines():
        m = _TRACE_LINE.search(line)
        if not m:
            continue
        args = []
        for token in _TRACE_TOKEN.findall(m.group(2)):
            quoted = token == "(null)" or token.lstrip("L").startswith('"')
            args.append(_unescape_debugstr(token)[0] if quoted else token)
        calls.append((m.group(1), args))
    return calls


def parse_msi_commands(stderr):
    """[{"package", "command_line", "truncated"}] of every MsiInstallProductA call."""
    commands = []
    for line in stderr.splitlines():
        m = _TRACE_LINE.search(line)
        if not m or m.group(1) != "MsiInstallProductA":
            continue
        tokens = _TRACE_TOKEN.findall(m.group(2))
        (package, cut1), (command_line, cut2) = [_unescape_debugstr(t) for t in tokens[:2]]
        commands.append({"package": package, "command_line": command_line,
                         "truncated": cut1 or cut2})
    return commands


class Scenario:
    def __init__(self, build_dir, name):
        self.build_dir = os.path.abspath(build_dir)
        self.name = name
        self.config = load_config(self.build_dir)
        self.setup_exe = self.config["setup_exe"]
        self.pilot_exe = self.config["pilot_exe"]
        self.boxes_exe = self.config["boxes_exe"]  # shows the message boxes it is given
        self.fixtures_dir = self.config["fixtures_dir"]
        self.prefix = os.path.join(self.config["prefixes_dir"], name)
        self.transcript = []  # (command, exit status, output) of every Wine call
        # Wine's DLL overrides for every program of the scenario; "msi=n,b" makes
        # Wine search for msi.dll as Windows does (the program's folder first).
        self.dll_overrides = "mscoree,mshtml="
        self._runs = 0

    # ------------------------------------------------------------ lifecycle

    def __enter__(self):
        ensure_template(self.config)
        self._discard_prefix()  # a leftover from a killed run
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        subprocess.run(["cp", "-a", self.config["template_prefix"], self.prefix], check=True)
        try:
            self._start_server()
            os.makedirs(self.windows_to_host(r"C:\e2e"), exist_ok=True)
        except BaseException:
            self._discard_prefix()
            raise
        return self

    def _start_server(self):
        # Detached from our pipes: the server outlives the call.
        for _ in range(20):
            # -p fails while an earlier server of this path is still shutting down.
            if subprocess.run(["wineserver", "-p"], env=self._env(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                break
            time.sleep(0.2)
        else:
            raise WineError("wineserver did not start for " + self.prefix)

    def __exit__(self, exc_type, exc, tb):
        keep = exc_type is not None and os.environ.get("TOLVANE_E2E_KEEP") == "1"
        self._stop_server()
        if keep:
            print("prefix kept:", self.prefix)
        else:
            shutil.rmtree(self.prefix, ignore_errors=True)
        return False

    def _stop_server(self):
        if os.path.isdir(self.prefix):
            subprocess.run(["wineserver", "-k"], env=self._env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self._env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)

    def _discard_prefix(self):
        if os.path.exists(self.prefix):
            self._stop_server()
            shutil.rmtree(self.prefix, ignore_errors=True)

    def _env(self, debug="-all"):
        env = dict(os.environ)
        env.update(WINEPREFIX=self.prefix, WINEDEBUG=debug, WINEARCH="win64",
                   WINEDLLOVERRIDES=self.dll_overrides)
        if not env.get("DISPLAY"):
            env["DISPLAY"] = ":" + os.environ.get("TOLVANE_XVFB_DISPLAY", "97")
        return env

    # ------------------------------------------------------------ paths

    def fixture(self, name):
        """Host path of a fixture package built from tests/e2e (name without .msi)."""
        path = os.path.join(self.fixtures_dir, name + ".msi")
        if not os.path.isfile(path):
            raise FileNotFoundError("fixture package not built: " + path)
        return path

    def windows_to_host(self, path):
        """Host path of a C:\\ path inside the prefix."""
        drive, rest = ntpath.splitdrive(path)
        if drive.upper() != "C:":
            raise ValueError("only C: paths map into the prefix: " + path)
        parts = [p for p in rest.replace("/", "\\").split("\\") if p]
        return os.path.join(self.prefix, "drive_c", *parts)

    def host_to_windows(self, path):
        path = os.path.abspath(path)
        drive_c = os.path.join(self.prefix, "drive_c")
        if path == drive_c or path.startswith(drive_c + os.sep):
            rel = os.path.relpath(path, drive_c)
            return "C:\\" + ("" if rel == "." else rel.replace(os.sep, "\\"))
        return "Z:" + path.replace("/", "\\")

    def common_appdata(self):
        """Host path of C:\\ProgramData (the all-users application data folder)."""
        return self.windows_to_host(r"C:\ProgramData")

    # ------------------------------------------------------------ Wine calls

    def wine(self, args, debug="-all", timeout=120, check=True):
        """Runs a Windows program; returns (exit status, stdout, stderr)."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            # Files, not pipes: Wine's helper processes may keep inherited pipes open.
            # The scenario's own current folder: Wine's installer object copies a
            # package it reads into the current folder for a moment.
            p = subprocess.run(["wine"] + list(args), env=self._env(debug), stdin=subprocess.DEVNULL,
                               stdout=out, stderr=err, timeout=timeout, cwd=self.prefix)
            out.seek(0)
            err.seek(0)
            stdout = out.read().decode("utf-8", "replace")
            stderr = err.read().decode("utf-8", "replace")
        self.transcript.append((args, p.returncode, stdout + stderr[-4000:]))
        if check and p.returncode != 0:
            raise WineError("wine %s exited with %d\n%s%s" % (" ".join(args), p.returncode,
                                                               stdout, stderr[-4000:]))
        return p.returncode, stdout, stderr

    def install_fixture(self, msi, properties=""):
        """Installs a package quietly (msiexec /i /qn); a name means a built fixture."""
        if os.sep not in msi:
            msi = self.fixture(msi)
        args = ["msiexec", "/i", self.host_to_windows(msi), "/qn"]
        if properties:
            args += properties.split()
        self.wine(args)

    def run_setup(self, answers=(), exe=None, msi_trace=False, timeout=120, env=None,
                  allow_unscripted=False, args=(), on_dialog=None):
        """Runs the setup (a copy placed under C:\\e2e) through the pilot.

        answers: one token per dialog in order of appearance (see ANSWERS, or "id:<n>").
        Without a scripted answer the pilot declines questions (No, else Cancel),
        acknowledges notices (OK) and closes other windows; an unscripted question
        fails the run unless allow_unscripted. env: NAME=VALUE overrides for the setup.
        exe, args: another program and its arguments (the setup itself reads none).
        on_dialog: called with each dialog event as soon as the pilot logs it, while
        the window is still up (give it time with a leading "wait:<ms>" step).
        """
        for a in answers:
            if not valid_answer(a):
                raise ValueError("unknown answer " + a)
        self._runs += 1
        exe = exe or self.setup_exe
        local_exe = self.windows_to_host(ntpath.join("C:\\e2e", os.path.basename(exe)))
        shutil.copy2(exe, local_exe)
        log_win = r"C:\e2e\pilot-%d.log" % self._runs
        command = [self.pilot_exe, "run", "--log", log_win, "--timeout", str(timeout)]
        for a in answers:
            command += ["--answer", a]
        for k, v in (env or {}).items():
            command += ["--env", "%s=%s" % (k, v)]
        command += ["--", self.host_to_windows(local_exe)] + list(args)
        log_host = self.windows_to_host(log_win)
        if on_dialog:
            status, stderr = self._run_watching(command, log_host, on_dialog, timeout + 60,
                                                "+msi" if msi_trace else "-all")
        else:
            status, _, stderr = self.wine(command, debug="+msi" if msi_trace else "-all",
                                          timeout=timeout + 60, check=False)
        events = []
        if os.path.exists(log_host):
            with open(log_host, encoding="utf-8") as f:
                events = [json.loads(line) for line in f if line.strip()]
        # The program's exit code may be anything, so only the log tells whether
        # the pilot itself got the program going.
        if not any(e.get("event") == "start" for e in events):
            raise WineError("pilot failed (%d): %r %s" % (status, events, stderr[-4000:]))
        result = RunResult(events, status, stderr, msi_trace)
        self.transcript.append(("pilot log", status, json.dumps(events, indent=1)))
        errors = [d for d in result.dialogs if "error" in d]
        if errors:
            raise AssertionError("scripted answers did not fit: %r" % errors)
        if result.unscripted_questions and not allow_unscripted:
            raise AssertionError("questions without a scripted answer: %r"
                                 % result.unscripted_questions)
        return result

    def _run_watching(self, command, log_host, on_dialog, timeout, debug):
        """Runs the pilot in the background and hands each new dialog event to on_dialog."""
        seen = 0
        with tempfile.TemporaryFile() as err:
            p = subprocess.Popen(["wine"] + command, env=self._env(debug),
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err,
                                 cwd=self.prefix)
            deadline = time.time() + timeout
            while True:
                done = p.poll() is not None
                if os.path.exists(log_host):
                    with open(log_host, encoding="utf-8") as f:
                        lines = [line for line in f if line.endswith("\n")]
                    for line in lines[seen:]:
                        event = json.loads(line)
                        if event.get("event") == "dialog":
                            on_dialog(event)
                    seen = len(lines)
                if done:
                    break
                if time.time() > deadline:
                    p.kill()
                    p.wait()
                    break
                time.sleep(0.1)
            err.seek(0)
            stderr = err.read().decode("utf-8", "replace")
        return p.returncode, stderr

    # ------------------------------------------------------------ machine state

    def _pilot_query(self, *args):
        status, out, err = self.wine([self.pilot_exe] + list(args), check=False)
        if status not in (0, 1):
            raise WineError("pilot %s: %d %s" % (" ".join(args), status, err))
        return status, out

    def related_products(self, upgrade_code):
        """Product codes installed under an upgrade code (every index)."""
        status, out = self._pilot_query("related", upgrade_code)
        if status != 0:
            raise WineError("MsiEnumRelatedProductsA failed for %s" % upgrade_code)
        return [line.strip() for line in out.splitlines() if line.strip()]

    def products(self):
        status, out = self._pilot_query("products")
        return [line.strip() for line in out.splitlines() if line.strip()]

    def product_info(self, code, prop):
        """MsiGetProductInfoA text, or None when Windows Installer reports an error."""
        status, out = self._pilot_query("productinfo", code, prop)
        return out.rstrip("\r\n") if status == 0 else None

    def locate_component(self, code):
        """(INSTALLSTATE, path) from MsiLocateComponentA."""
        _, out = self._pilot_query("locate", code)
        state, _, path = out.rstrip("\r\n").partition(" ")
        return int(state), path

    def reg_get(self, view, key, value):
        """HKLM value in the 32- or 64-bit view: dict(type, size, hex[, text|dword]) or None."""
        _, out = self._pilot_query("regget", str(view), key, value)
        out = out.strip()
        return None if out == "missing" else json.loads(out)

    def reg_add(self, key, value, data, kind="REG_SZ", view=64):
        """Writes a registry value with Wine's reg tool (key with its root, e.g. HKLM\\...)."""
        self.wine(["reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f",
                   "/reg:%d" % view])

    def processes(self, exe_name):
        """Process ids of the running programs with that file name."""
        _, out = self._pilot_query("processes", exe_name)
        return sorted(int(line) for line in out.split() if line.strip())

    def start_fake_outlook(self):
        """Starts the fake Outlook (a window that ends with 7 on WM_CLOSE) from
        C:\\e2e\\outlook\\outlook.exe, registered in App Paths so that the shell can
        start it again; returns the host process that runs it and its process id."""
        folder = self.windows_to_host(r"C:\e2e\outlook")
        os.makedirs(folder, exist_ok=True)
        shutil.copy2(self.config["fake_outlook_exe"], os.path.join(folder, "outlook.exe"))
        app_paths = r"HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths"
        for name in ("outlook.exe", "outlook"):  # Wine looks the name up as given
            self.reg_add(app_paths + "\\" + name, "", r"C:\e2e\outlook\outlook.exe")
        before = set(self.processes("outlook.exe"))
        p = subprocess.Popen(["wine", r"C:\e2e\outlook\outlook.exe"], env=self._env(),
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, cwd=self.prefix)
        for _ in range(100):
            started = set(self.processes("outlook.exe")) - before
            if started:
                return p, started.pop()
            time.sleep(0.1)
        p.kill()
        raise WineError("the fake Outlook did not start")

    def temp_folder_entries(self):
        """Entries of the user's temporary folder in the prefix."""
        users = os.path.join(self.prefix, "drive_c", "users")
        found = []
        for user in os.listdir(users) if os.path.isdir(users) else []:
            temp = os.path.join(users, user, "Temp")  # the prefix's TEMP and TMP
            if os.path.isdir(temp):
                found += os.listdir(temp)
        return sorted(found)

    def too_deep_temp_folder(self):
        """Creates a temporary folder so deep that a {GUID} folder below it passes
        the path limit, while Windows Installer's short temporary files still fit;
        returns its Windows path (for TMP and TEMP)."""
        deep = "C:\\e2e\\" + "\\".join(["t" * 40] * 5)
        deep += "\\" + "u" * (235 - len(deep) - 1)
        os.makedirs(self.windows_to_host(deep), exist_ok=True)
        return deep

    def package_cache_entries(self):
        """Folders under [common app data]\\MSI Cache (empty when there is none)."""
        cache = os.path.join(self.common_appdata(), "MSI Cache")
        return sorted(os.listdir(cache)) if os.path.isdir(cache) else []

