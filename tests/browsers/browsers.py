#!/usr/bin/env python3
"""Real browser profiles for the browser parsers' tests, made by Debian's chromium and firefox-esr.

    browsers.py make OUT            both browsers visit pages of a local web server (cookies,
                                    local storage, a form submitted, a download), add a bookmark,
                                    save a login and set a preference; OUT gets the profiles in
                                    the layout of a Windows user's folders:
                                      OUT/Local/Google/Chrome/User Data          (Chromium)
                                      OUT/Roaming/Mozilla/Firefox/profiles.ini   (Firefox)
                                      OUT/Local/Mozilla/Firefox/Profiles/...     (its cache)
    browsers.py store OUT ARCHIVE   the files the tests read, as a .tar.xz (the stored profiles)
    browsers.py restart OUT         starts each browser on OUT again and prints, as JSON, whether
                                    it still shows the bookmark, the saved login and the preference
    browsers.py hold BROWSER OUT    runs chromium or firefox on OUT, prints "ready" once it holds
                                    its profile, and closes it when standard input ends

Only the loopback network is used. Chromium is driven through its DevTools pipe, Firefox through
Marionette, both with the standard library alone.
"""
import http.server
import json
import os
import shutil
import socket
import socketserver
import subprocess
import sys
import tarfile
import tempfile
import threading
import time

CHROME_USER_DATA = os.path.join("Local", "Google", "Chrome", "User Data")
FIREFOX_ROAMING = os.path.join("Roaming", "Mozilla", "Firefox")
FIREFOX_LOCAL = os.path.join("Local", "Mozilla", "Firefox")
FIREFOX_PROFILE = "Profiles/lumo.default-release"

BOOKMARK_TITLE = "Lumo bookmark"
LOGIN_USER = "lumo-user"
FORM_VALUE = "lumo-typed-value"

CHROMIUM_FLAGS = ["--headless", "--disable-gpu", "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--disable-quic", "--password-store=basic"]
if os.geteuid() == 0:
    CHROMIUM_FLAGS.append("--no-sandbox")

PNG = bytes.fromhex("89504e470d0a1a0a0000000d4948445200000001000000010802000000907753de0000000c4944415408d763f8cfc0"
                    "00000301010018dd8db00000000049454e44ae426082")


class Pages(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def send(self, body, kind="text/html", extra=()):
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Cache-Control", "max-age=3600")
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        path = self.path.split("?")[0]
        if path == "/icon.png":
            return self.send(PNG, "image/png")
        if path == "/download.bin":
            return self.send(b"lumo download\n", "application/octet-stream",
                             [("Content-Disposition", "attachment; filename=lumo-download.bin")])
        name = path.strip("/") or "home"
        body = f"""<!doctype html><html><head><title>Lumo {name}</title><link rel="icon" href="/icon.png"></head>
<body><h1>{name}</h1>
<form action="/thanks" method="get"><input id="field" name="lumo_field" autocomplete="on">
<input type="submit" id="go" value="Go"></form>
<script>
localStorage.setItem("lumo", "{name}");
const open = indexedDB.open("lumo", 1);
open.onupgradeneeded = () => open.result.createObjectStore("pages");
open.onsuccess = () => open.result.transaction("pages", "readwrite").objectStore("pages").put("{name}", "{name}");
</script></body></html>""".encode()
        self.send(body, extra=[("Set-Cookie", f"lumo_{name}=1; Max-Age=86400; Path=/")])


def serve():
    server = socketserver.ThreadingTCPServer(("127.0.0.1", 0), Pages)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}"


class Chromium:
    """Chromium with its DevTools protocol on file descriptors 3 and 4."""

    def __init__(self, user_data):
        to_browser, self._out = os.pipe()
        self._in, from_browser = os.pipe()

        def wire():
            # Through fresh numbers first: a pipe that already sits on 3 or 4 would otherwise be
            # clobbered, or keep its close-on-exec flag.
            reading, writing = os.dup(to_browser), os.dup(from_browser)
            os.dup2(reading, 3)
            os.dup2(writing, 4)

        self.proc = subprocess.Popen(["chromium", *CHROMIUM_FLAGS, "--remote-debugging-pipe",
                                      "--user-data-dir=" + user_data, "about:blank"],
                                     preexec_fn=wire, close_fds=False, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(to_browser)
        os.close(from_browser)
        self._buffer = b""
        self._id = 0
        self.events = []
        page = [t for t in self.call("Target.getTargets")["targetInfos"] if t["type"] == "page"][0]
        self.session = self.call("Target.attachToTarget", {"targetId": page["targetId"], "flatten": True})["sessionId"]
        self.call("Page.enable", session=True)

    def _message(self, wanted, timeout=30):
        end = time.time() + timeout
        while True:
            while b"\0" in self._buffer:
                raw, self._buffer = self._buffer.split(b"\0", 1)
                message = json.loads(raw)
                if wanted(message):
                    return message
                self.events.append(message)
            if time.time() > end:
                raise TimeoutError("chromium did not answer")
            chunk = os.read(self._in, 1 << 16)
            if not chunk:
                raise EOFError("chromium closed its pipe")
            self._buffer += chunk

    def call(self, method, params=None, session=False):
        self._id += 1
        message = {"id": self._id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = self.session
        os.write(self._out, json.dumps(message).encode() + b"\0")
        answer = self._message(lambda m, i=self._id: m.get("id") == i)
        if "error" in answer:
            raise RuntimeError(f"{method}: {answer['error']}")
        return answer.get("result", {})

    def wait_event(self, method, timeout=30):
        for i, m in enumerate(self.events):
            if m.get("method") == method:
                return self.events.pop(i)
        return self._message(lambda m: m.get("method") == method, timeout)

    def go(self, url):
        self.events.clear()
        self.call("Page.navigate", {"url": url}, session=True)
        self.wait_event("Page.loadEventFired")

    def js(self, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                                "returnByValue": True}, session=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"script failed: {result['exceptionDetails']}")
        return result["result"].get("value")

    def close(self):
        try:
            self.call("Browser.close")
        except (EOFError, OSError):
            pass
        self.proc.wait(timeout=60)


class Firefox:
    """firefox-esr driven through Marionette (its port written by Firefox into the profile)."""

    def __init__(self, profile, prefs=()):
        lines = ['user_pref("marionette.port", 0);',
                 'user_pref("browser.shell.checkDefaultBrowser", false);',
                 'user_pref("datareporting.policy.dataSubmissionEnabled", false);',
                 'user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);',
                 'user_pref("browser.startup.homepage_override.mstone", "ignore");',
                 'user_pref("app.update.enabled", false);',
                 'user_pref("browser.safebrowsing.malware.enabled", false);',
                 'user_pref("browser.safebrowsing.phishing.enabled", false);',
                 'user_pref("network.captive-portal-service.enabled", false);',
                 'user_pref("network.connectivity-service.enabled", false);',
                 'user_pref("extensions.update.enabled", false);',
                 'user_pref("browser.aboutwelcome.enabled", false);', *prefs]
        with open(os.path.join(profile, "user.js"), "w") as f:
            f.write("\n".join(lines) + "\n")
        port_file = os.path.join(profile, "MarionetteActivePort")
        if os.path.exists(port_file):
            os.remove(port_file)
        self.proc = subprocess.Popen(["firefox-esr", "--headless", "--marionette", "-remote-allow-system-access",
                                      "--no-remote", "--profile", profile],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        end = time.time() + 60
        while not os.path.exists(port_file) or not open(port_file).read().strip():
            if time.time() > end or self.proc.poll() is not None:
                raise RuntimeError("firefox did not start Marionette")
            time.sleep(0.2)
        self.sock = socket.create_connection(("127.0.0.1", int(open(port_file).read())))
        self.reader = self.sock.makefile("rb")
        self._read()
        self._id = 0
        self.call("WebDriver:NewSession", {"capabilities": {"pageLoadStrategy": "normal"}})

    def _read(self):
        length = b""
        while (c := self.reader.read(1)) != b":":
            if not c:
                raise EOFError("firefox closed Marionette")
            length += c
        return json.loads(self.reader.read(int(length)))

    def call(self, name, params=None):
        self._id += 1
        data = json.dumps([0, self._id, name, params or {}]).encode()
        self.sock.sendall(str(len(data)).encode() + b":" + data)
        while True:
            message = self._read()
            if message[1] == self._id:
                if message[2]:
                    raise RuntimeError(f"{name}: {message[2].get('message')}")
                return message[3]

    def go(self, url):
        self.call("WebDriver:Navigate", {"url": url})

    def element(self, css):
        found = self.call("WebDriver:FindElement", {"using": "css selector", "value": css})["value"]
        return next(iter(found.values()))

    def chrome(self, body):
        """Runs `body` (an async function body) with the browser's own privileges."""
        self.call("Marionette:SetContext", {"value": "chrome"})
        try:
            script = ("const done = arguments[arguments.length - 1];\n(async () => {" + body +
                      "})().then(done, e => done('failed: ' + e));")
            return self.call("WebDriver:ExecuteAsyncScript", {"script": script, "args": []})["value"]
        finally:
            self.call("Marionette:SetContext", {"value": "content"})

    def close(self):
        try:
            self.call("Marionette:Quit", {"flags": ["eAttemptQuit"]})
        except (EOFError, OSError):
            pass
        self.proc.wait(timeout=60)
        self.sock.close()


def make_chromium(out, site, downloads):
    user_data = os.path.join(out, CHROME_USER_DATA)
    os.makedirs(user_data)
    browser = Chromium(user_data)
    try:
        browser.call("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads,
                                                     "eventsEnabled": True})
        for page in ("/", "/page2", "/page3", "/form"):
            browser.go(site + page)
        # The form is filled and sent as a user would: typed text, a click on the button.
        browser.js("document.getElementById('field').focus()")
        browser.call("Input.insertText", {"text": FORM_VALUE}, session=True)
        box = browser.js("JSON.stringify(document.getElementById('go').getBoundingClientRect())")
        box = json.loads(box)
        x, y = box["x"] + box["width"] / 2, box["y"] + box["height"] / 2
        browser.events.clear()
        for kind in ("mousePressed", "mouseReleased"):
            browser.call("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": "left",
                                                      "clickCount": 1}, session=True)
        browser.wait_event("Page.loadEventFired")
        browser.call("Page.navigate", {"url": site + "/download.bin"}, session=True)
        while browser.wait_event("Browser.downloadProgress").get("params", {}).get("state") != "completed":
            pass
        browser.go("chrome://bookmarks")
        browser.js(f"chrome.bookmarks.create({{parentId: '1', title: '{BOOKMARK_TITLE}', url: '{site}/page2'}})")
        browser.go("chrome://password-manager/passwords")
        browser.js(f"chrome.passwordsPrivate.addPassword({{url: '{site}/', username: '{LOGIN_USER}', "
                   f"password: 'lumo-password', note: '', useAccountStore: false}})")
        browser.go("chrome://settings")
        browser.js("new Promise(r => chrome.settingsPrivate.setPref('browser.show_home_button', true, '', r))")
        time.sleep(1)
    finally:
        browser.close()
    for name in os.listdir(user_data):
        if name.startswith("Singleton"):
            os.remove(os.path.join(user_data, name))


def make_firefox(out, site, downloads):
    roaming = os.path.join(out, FIREFOX_ROAMING)
    profile = os.path.join(roaming, FIREFOX_PROFILE)
    os.makedirs(profile)
    browser = Firefox(profile, [
        'user_pref("browser.download.folderList", 2);',
        f'user_pref("browser.download.dir", "{downloads}");',
        'user_pref("browser.download.useDownloadDir", true);',
        'user_pref("browser.download.always_ask_before_handling_new_types", false);',
    ])
    try:
        for page in ("/", "/page2", "/page3", "/form"):
            browser.go(site + page)
        browser.call("WebDriver:ElementSendKeys", {"id": browser.element("#field"), "text": FORM_VALUE})
        browser.call("WebDriver:ElementClick", {"id": browser.element("#go")})
        result = browser.chrome(f"""
            const {{PlacesUtils}} = ChromeUtils.importESModule("resource://gre/modules/PlacesUtils.sys.mjs");
            const {{Downloads}} = ChromeUtils.importESModule("resource://gre/modules/Downloads.sys.mjs");
            const download = await Downloads.createDownload({{source: "{site}/download.bin",
                target: PathUtils.join("{downloads}", "lumo-download.bin")}});
            (await Downloads.getList(Downloads.PUBLIC)).add(download);
            await download.start();
            await PlacesUtils.bookmarks.insert({{parentGuid: PlacesUtils.bookmarks.toolbarGuid,
                url: "{site}/page2", title: "{BOOKMARK_TITLE}"}});
            const login = Cc["@mozilla.org/login-manager/loginInfo;1"].createInstance(Ci.nsILoginInfo);
            login.init("{site}", "{site}", null, "{LOGIN_USER}", "lumo-password", "user", "pass");
            await Services.logins.addLoginAsync(login);
            Services.prefs.setStringPref("lumo.test.kept", "yes");
            return "ok";""")
        if result != "ok":
            raise RuntimeError("firefox: " + str(result))
        time.sleep(2)
    finally:
        browser.close()
    for name in ("lock", ".parentlock", "parent.lock", "MarionetteActivePort"):
        path = os.path.join(profile, name)
        if os.path.lexists(path):
            os.remove(path)
    local = os.path.join(out, FIREFOX_LOCAL, FIREFOX_PROFILE)
    os.makedirs(local)
    if os.path.isdir(os.path.join(profile, "cache2")):
        shutil.move(os.path.join(profile, "cache2"), local)
    with open(os.path.join(roaming, "profiles.ini"), "w") as f:
        f.write(f"[General]\nStartWithLastProfile=1\nVersion=2\n\n[Profile0]\nName=default-release\n"
                f"IsRelative=1\nPath={FIREFOX_PROFILE}\nDefault=1\n")


def make(out):
    server, site = serve()
    downloads = tempfile.mkdtemp(prefix="lumo-downloads-")
    try:
        make_chromium(out, site, downloads)
        make_firefox(out, site, downloads)
    finally:
        server.shutdown()
        shutil.rmtree(downloads, ignore_errors=True)
    with open(os.path.join(out, "site.json"), "w") as f:
        json.dump({"site": site}, f)


# What the stored profiles keep: the files the parsers read and the ones they must leave alone.
STORED = [
    os.path.join(CHROME_USER_DATA, "Local State"),
    *(os.path.join(CHROME_USER_DATA, "Default", name) for name in (
        "History", "Top Sites", "Favicons", "Shortcuts", "Network Action Predictor", "Cookies",
        os.path.join("Network", "Cookies"), "Web Data", "Bookmarks", "Preferences", "Login Data",
        "Sessions", "Sessions_Encrypted", "Session Storage", "Local Storage", "IndexedDB",
        os.path.join("Cache", "Cache_Data"))),
    os.path.join(FIREFOX_ROAMING, "profiles.ini"),
    *(os.path.join(FIREFOX_ROAMING, FIREFOX_PROFILE, name) for name in (
        "places.sqlite", "favicons.sqlite", "cookies.sqlite", "formhistory.sqlite", "logins.json", "key4.db",
        "prefs.js", "sessionstore.jsonlz4", "sessionstore-backups", os.path.join("storage", "default"))),
    os.path.join(FIREFOX_LOCAL, FIREFOX_PROFILE, "cache2"),
    "site.json",
]


def store(out, archive):
    with tarfile.open(archive, "w:xz", preset=9) as tar:
        for relative in STORED:
            # A database's write-ahead log or journal holds part of its content: it goes along.
            for name in (relative, relative + "-wal", relative + "-journal"):
                path = os.path.join(out, name)
                if os.path.lexists(path):
                    tar.add(path, arcname=name.replace(os.sep, "/"), filter=_plain_entry)


def _plain_entry(info):
    info.uid = info.gid = 0
    info.uname = info.gname = ""
    info.mtime = 0
    return info


def restart(out):
    site = json.load(open(os.path.join(out, "site.json")))["site"]
    found = {}
    browser = Chromium(os.path.join(out, CHROME_USER_DATA))
    try:
        browser.go("chrome://bookmarks")
        tree = json.dumps(browser.js("chrome.bookmarks.getTree()"))
        browser.go("chrome://password-manager/passwords")
        logins = json.dumps(browser.js("chrome.passwordsPrivate.getSavedPasswordList()"))
        browser.go("chrome://settings")
        pref = browser.js("new Promise(r => chrome.settingsPrivate.getPref('browser.show_home_button', r))")
        found["chromium"] = {"bookmark": BOOKMARK_TITLE in tree and f"{site}/page2" in tree,
                             "login": LOGIN_USER in logins, "preference": bool(pref and pref.get("value"))}
    finally:
        browser.close()
    profile = os.path.join(out, FIREFOX_ROAMING, FIREFOX_PROFILE)
    browser = Firefox(profile)
    try:
        answer = browser.chrome(f"""
            const {{PlacesUtils}} = ChromeUtils.importESModule("resource://gre/modules/PlacesUtils.sys.mjs");
            const bookmark = await PlacesUtils.bookmarks.fetch({{url: "{site}/page2"}});
            const logins = await Services.logins.getAllLogins();
            return JSON.stringify({{bookmark: !!bookmark && bookmark.title == "{BOOKMARK_TITLE}",
                login: logins.some(l => l.username == "{LOGIN_USER}"),
                preference: Services.prefs.getStringPref("lumo.test.kept", "") == "yes"}});""")
        found["firefox"] = json.loads(answer)
    finally:
        browser.close()
    print(json.dumps(found))


def held(path):
    """Whether another program holds the database `path` (a write cannot start)."""
    import sqlite3
    try:
        db = sqlite3.connect(path, timeout=0.1, isolation_level=None)
        try:
            db.execute("BEGIN IMMEDIATE")
            db.execute("ROLLBACK")
            return False
        finally:
            db.close()
    except sqlite3.OperationalError:
        return True


def hold(which, out):
    if which == "chromium":
        user_data = os.path.join(out, CHROME_USER_DATA)
        proc = subprocess.Popen(["chromium", *CHROMIUM_FLAGS, "--remote-debugging-port=0",
                                 "--user-data-dir=" + user_data, "about:blank"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        database = os.path.join(user_data, "Default", "History")
    else:
        profile = os.path.join(out, FIREFOX_ROAMING, FIREFOX_PROFILE)
        proc = subprocess.Popen(["firefox-esr", "--headless", "--no-remote", "--profile", profile, "about:blank"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        database = os.path.join(profile, "places.sqlite")
    end = time.time() + 180
    while not held(database):
        if time.time() > end or proc.poll() is not None:
            status = proc.poll()
            proc.kill()
            sys.exit(f"{which} did not take its profile " +
                     ("in 180 s" if status is None else f"(it ended with {status})"))
        time.sleep(0.3)
    print("ready", flush=True)
    sys.stdin.read()
    proc.terminate()
    proc.wait(timeout=60)


def main(argv):
    if len(argv) == 3 and argv[1] == "make":
        make(argv[2])
    elif len(argv) == 4 and argv[1] == "store":
        store(argv[2], argv[3])
    elif len(argv) == 3 and argv[1] == "restart":
        restart(argv[2])
    elif len(argv) == 4 and argv[1] == "hold" and argv[2] in ("chromium", "firefox"):
        hold(argv[2], argv[3])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
