#!/usr/bin/env python3
"""Local demo service standing in for the Tonalix servers (standard library only).

Listens on 127.0.0.1 only. Accounts (the demo account plus any registered), a track store kept
in a folder, stream requests for the engine to poll, and the software version document.
See demo/README.md for the protocol.

    service.py serve [--port N] [--port-file F] [--pid-file F] [--store DIR] [--fresh]
                     [--newest-version V] [--force-upgrade] [--account EMAIL:PASSWORD] [--detach]
    service.py stop --pid-file F
    service.py play --port N --email E [--track NAME]
"""

import argparse
import hashlib
import html
import json
import os
import re
import secrets
import shutil
import signal
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request
from http import HTTPStatus
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HOST = "127.0.0.1"
DEMO_EMAIL = "demo@tonalix.example"
DEMO_PASSWORD = "demo"
MAX_TRACK_BYTES = 512 * 1024 * 1024
MAX_FORM_BYTES = 64 * 1024
MAX_INDEX_BYTES = 16 * 1024 * 1024
MAX_NAME_CHARS = 260
SHA256_RE = re.compile(r"^[0-9a-f]{64}$")
EMAIL_RE = re.compile(r"^[^\s@]{1,100}@[^\s@]{1,100}$")


class Refused(Exception):
    """A request the service answers with an error status and a one-line reason."""

    def __init__(self, status, reason):
        super().__init__(reason)
        self.status = status
        self.reason = reason


def account_folder_name(email):
    # One folder per account, named by a digest so any address is a safe file name.
    return hashlib.sha256(email.lower().encode("utf-8")).hexdigest()[:24]


class Store:
    """Accounts, sessions, stored tracks and pending stream requests; one lock for all."""

    def __init__(self, folder, accounts):
        self.folder = folder
        self.lock = threading.Lock()
        self.passwords = {}  # email (lower case) -> password
        self.sessions = {}  # token -> email
        self.tracks = {}  # email -> {sha: {"name": str, "size": int}}
        self.stream_requests = {}  # email -> [sha, ...]
        self.streamed = {}  # email -> [{"track": sha, "bytes": n}, ...]
        os.makedirs(folder, exist_ok=True)
        for email, password in accounts:
            self.passwords[email.lower()] = password
        self._load()

    # --- persistence: each account's folder holds its tracks and an index.json of names ---

    def _account_dir(self, email):
        return os.path.join(self.folder, account_folder_name(email))

    def _load(self):
        registered = os.path.join(self.folder, "accounts.json")
        if os.path.exists(registered):
            try:
                with open(registered, encoding="utf-8") as f:
                    for email, password in json.load(f).items():
                        self.passwords.setdefault(email, password)
            except (OSError, ValueError):
                pass  # a damaged list loses registrations, never the demo account
        for email in self.passwords:
            index = os.path.join(self._account_dir(email), "index.json")
            try:
                with open(index, encoding="utf-8") as f:
                    entries = json.load(f)
            except (OSError, ValueError):
                continue
            kept = {}
            for sha, info in entries.items():
                if os.path.exists(os.path.join(self._account_dir(email), sha)):
                    kept[sha] = {"name": str(info.get("name", "")), "size": int(info.get("size", 0))}
            self.tracks[email] = kept

    def _save_index(self, email):
        folder = self._account_dir(email)
        os.makedirs(folder, exist_ok=True)
        target = os.path.join(folder, "index.json")
        with tempfile.NamedTemporaryFile("w", dir=folder, delete=False, encoding="utf-8") as f:
            json.dump(self.tracks.get(email, {}), f, indent=1)
        os.replace(f.name, target)

    def _save_accounts(self, registered):
        target = os.path.join(self.folder, "accounts.json")
        with tempfile.NamedTemporaryFile("w", dir=self.folder, delete=False, encoding="utf-8") as f:
            json.dump(registered, f)
        os.replace(f.name, target)

    # --- accounts and sessions ---

    def register(self, email, password):
        email = email.strip().lower()
        if not EMAIL_RE.match(email) or not password or len(password) > 40:
            raise Refused(HTTPStatus.BAD_REQUEST, "an e-mail address and a password of 1 to 40 characters")
        with self.lock:
            if email in self.passwords:
                raise Refused(HTTPStatus.CONFLICT, "that account exists")
            self.passwords[email] = password
            registered = {}
            path = os.path.join(self.folder, "accounts.json")
            if os.path.exists(path):
                try:
                    with open(path, encoding="utf-8") as f:
                        registered = json.load(f)
                except (OSError, ValueError):
                    registered = {}
            registered[email] = password
            self._save_accounts(registered)

    def login(self, email, password):
        email = email.strip().lower()
        with self.lock:
            known = self.passwords.get(email)
            if known is None or not secrets.compare_digest(known.encode("utf-8"), password.encode("utf-8")):
                raise Refused(HTTPStatus.FORBIDDEN, "e-mail address and password do not match")
            token = secrets.token_hex(16)
            self.sessions[token] = email
            return token, len(self.tracks.get(email, {}))

    def logout(self, token):
        with self.lock:
            self.sessions.pop(token, None)

    def account_of(self, token):
        with self.lock:
            email = self.sessions.get(token or "")
        if email is None:
            raise Refused(HTTPStatus.UNAUTHORIZED, "not logged in")
        return email

    # --- tracks ---

    def index(self, email, entries):
        with self.lock:
            stored = self.tracks.get(email, {})
            missing, seen = [], set()
            for sha in entries:
                if sha not in stored and sha not in seen:
                    missing.append(sha)
                    seen.add(sha)
            return len(stored), missing

    def put_track(self, email, sha, name, length, source):
        """Reads `length` bytes from source into the store; the content must hash to sha."""
        folder = self._account_dir(email)
        os.makedirs(folder, exist_ok=True)
        digest = hashlib.sha256()
        with tempfile.NamedTemporaryFile(dir=folder, delete=False, prefix="upload-") as f:
            partial = f.name
            try:
                left = length
                while left > 0:
                    chunk = source.read(min(left, 64 * 1024))
                    if not chunk:
                        raise Refused(HTTPStatus.BAD_REQUEST, "the upload ended early")
                    digest.update(chunk)
                    f.write(chunk)
                    left -= len(chunk)
            except BaseException:
                f.close()
                os.unlink(partial)
                raise
        if digest.hexdigest() != sha:
            os.unlink(partial)
            raise Refused(HTTPStatus.UNPROCESSABLE_ENTITY, "the content does not match its hash")
        with self.lock:
            os.replace(partial, os.path.join(folder, sha))
            self.tracks.setdefault(email, {})[sha] = {"name": name, "size": length}
            self._save_index(email)
            return len(self.tracks[email])

    def list_tracks(self, email):
        with self.lock:
            return sorted(self.tracks.get(email, {}).items(), key=lambda item: item[1]["name"].lower())

    def all_accounts(self):
        with self.lock:
            return sorted(self.passwords)

    # --- streaming ---

    def request_stream(self, email, track):
        """track: a stored track's hash or name; returns the hash queued."""
        with self.lock:
            stored = self.tracks.get(email, {})
            sha = track if track in stored else None
            if sha is None:
                for candidate, info in stored.items():
                    if info["name"] == track:
                        sha = candidate
                        break
            if sha is None:
                raise Refused(HTTPStatus.NOT_FOUND, "no such track")
            self.stream_requests.setdefault(email, []).append(sha)
            return sha

    def next_stream_request(self, email):
        with self.lock:
            pending = self.stream_requests.get(email, [])
            return pending.pop(0) if pending else None

    def record_stream(self, email, sha, count):
        with self.lock:
            self.streamed.setdefault(email, []).append({"track": sha, "bytes": count})

    def streams(self, email):
        with self.lock:
            return list(self.streamed.get(email, []))


def version_document(newest, force):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        '<Command Status="succeed" ForceUpgrade="%s">\n'
        '  <SoftwareVersion Version="%s"/>\n'
        "</Command>\n" % ("true" if force else "false", html.escape(newest, quote=True))
    )


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TonalixDemo/1.0"
    timeout = 30  # a stalled client never holds a thread for long

    # --- plumbing ---

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("%s %s\n" % (self.log_date_time_string(), fmt % args))

    def _send(self, status, body, content_type="text/plain; charset=utf-8", extra=None):
        data = body.encode("utf-8") if isinstance(body, str) else body
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        for key, value in (extra or {}).items():
            self.send_header(key, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)

    def _length(self, limit):
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            raise Refused(HTTPStatus.LENGTH_REQUIRED, "send a Content-Length")
        try:
            length = int(self.headers.get("Content-Length", "0"))
        except ValueError:
            raise Refused(HTTPStatus.BAD_REQUEST, "bad Content-Length")
        if length < 0:
            raise Refused(HTTPStatus.BAD_REQUEST, "bad Content-Length")
        if length > limit:
            self.close_connection = True  # the body stays unread
            raise Refused(HTTPStatus.REQUEST_ENTITY_TOO_LARGE, "too large")
        return length

    def _body(self, limit):
        length = self._length(limit)
        data = self.rfile.read(length) if length else b""
        if len(data) != length:
            self.close_connection = True
            raise Refused(HTTPStatus.BAD_REQUEST, "the body ended early")
        return data

    def _form(self):
        try:
            text = self._body(MAX_FORM_BYTES).decode("utf-8")
        except UnicodeDecodeError:
            raise Refused(HTTPStatus.BAD_REQUEST, "the form is not UTF-8")
        return {k: v[0] for k, v in urllib.parse.parse_qs(text, keep_blank_values=True).items()}

    def _route(self):
        parts = urllib.parse.urlsplit(self.path)
        query = {k: v[0] for k, v in urllib.parse.parse_qs(parts.query, keep_blank_values=True).items()}
        return parts.path, query

    def _dispatch(self, routes):
        path, query = self._route()
        try:
            for pattern, action in routes:
                match = re.fullmatch(pattern, path)
                if match:
                    return action(query, *match.groups())
            # Requests with a body we do not read must not leave it in the connection.
            if self.headers.get("Content-Length", "0") not in ("", "0"):
                self.close_connection = True
            self._send(HTTPStatus.NOT_FOUND, "error no such address\n")
        except Refused as refusal:
            self._send(refusal.status, "error %s\n" % refusal.reason)
        except (ConnectionError, TimeoutError):
            self.close_connection = True

    def do_GET(self):
        self._dispatch([
            (r"/", self.page),
            (r"/TovelinkSoftwareVersion", self.software_version),
            (r"/api/tracks", self.tracks),
            (r"/api/stream-request", self.stream_request),
            (r"/api/streams", self.streams),
            (r"/(support|download|passwordreminder|newuser)", self.info_page),
        ])

    def do_HEAD(self):
        self.do_GET()

    def do_POST(self):
        self._dispatch([
            (r"/api/register", self.register),
            (r"/api/login", self.login),
            (r"/api/logout", self.logout),
            (r"/api/index", self.index),
            (r"/api/play", self.play),
            (r"/api/stream/([0-9a-f]{64})", self.stream),
            (r"/play", self.play_from_page),
        ])

    def do_PUT(self):
        self._dispatch([(r"/api/tracks/([0-9a-f]{64})", self.put_track)])

    # --- endpoints ---

    def software_version(self, query):
        self._send(HTTPStatus.OK, version_document(self.server.newest_version, self.server.force_upgrade),
                   "text/xml; charset=utf-8")

    def register(self, query):
        form = self._form()
        self.server.store.register(form.get("email", ""), form.get("password", ""))
        self._send(HTTPStatus.CREATED, "ok\n")

    def login(self, query):
        form = self._form()
        token, count = self.server.store.login(form.get("email", ""), form.get("password", ""))
        self._send(HTTPStatus.OK, "token=%s\ntracks=%d\n" % (token, count))

    def logout(self, query):
        self._body(MAX_FORM_BYTES)
        self.server.store.logout(query.get("token", ""))
        self._send(HTTPStatus.OK, "ok\n")

    def index(self, query):
        email = self.server.store.account_of(query.get("token"))
        lines = self._body(MAX_INDEX_BYTES).decode("utf-8", "replace").splitlines()
        hashes = []
        for line in lines:
            sha = line.split("\t", 1)[0].strip().lower()
            if SHA256_RE.match(sha):
                hashes.append(sha)
        count, missing = self.server.store.index(email, hashes)
        self._send(HTTPStatus.OK, "tracks=%d\n" % count + "".join("missing=%s\n" % sha for sha in missing))

    def put_track(self, query, sha):
        email = self.server.store.account_of(query.get("token"))
        name = query.get("name", "")[:MAX_NAME_CHARS] or sha
        length = self._length(MAX_TRACK_BYTES)
        try:
            count = self.server.store.put_track(email, sha, name, length, self.rfile)
        except Refused:
            self.close_connection = True  # part of the body may still be unread
            raise
        self._send(HTTPStatus.CREATED, "tracks=%d\n" % count)

    def tracks(self, query):
        email = self.server.store.account_of(query.get("token"))
        body = "".join("%s\t%d\t%s\n" % (sha, info["size"], info["name"])
                       for sha, info in self.server.store.list_tracks(email))
        self._send(HTTPStatus.OK, body)

    def play(self, query):
        self._body(MAX_FORM_BYTES)
        email = self.server.store.account_of(query.get("token"))
        sha = self.server.store.request_stream(email, query.get("track", ""))
        self._send(HTTPStatus.ACCEPTED, "track=%s\n" % sha)

    def play_from_page(self, query):
        form = self._form()
        email = form.get("email", "").lower()
        self.server.store.request_stream(email, form.get("track", ""))
        self._send(HTTPStatus.SEE_OTHER, "", extra={"Location": "/"})

    def stream_request(self, query):
        email = self.server.store.account_of(query.get("token"))
        sha = self.server.store.next_stream_request(email)
        self._send(HTTPStatus.OK, "track=%s\n" % sha if sha else "none\n")

    def stream(self, query, sha):
        email = self.server.store.account_of(query.get("token"))
        length = self._length(MAX_TRACK_BYTES)
        left = length
        while left > 0:  # the "listener": the bytes are counted, not kept
            chunk = self.rfile.read(min(left, 64 * 1024))
            if not chunk:
                self.close_connection = True
                raise Refused(HTTPStatus.BAD_REQUEST, "the stream ended early")
            left -= len(chunk)
        self.server.store.record_stream(email, sha, length)
        self._send(HTTPStatus.OK, "ok\n")

    def streams(self, query):
        email = self.server.store.account_of(query.get("token"))
        body = "".join("%s\t%d\n" % (s["track"], s["bytes"]) for s in self.server.store.streams(email))
        self._send(HTTPStatus.OK, body)

    def info_page(self, query, name):
        self._send(HTTPStatus.OK, "<!doctype html><title>Tonalix demo</title><p>This is the local demo "
                   "service; the page &ldquo;%s&rdquo; of the real site is not part of it.</p>" % name,
                   "text/html; charset=utf-8")

    def page(self, query):
        store = self.server.store
        rows = []
        for email in store.all_accounts():
            tracks = store.list_tracks(email)
            if not tracks:
                continue
            rows.append("<h2>%s</h2><ul>" % html.escape(email))
            for sha, info in tracks:
                rows.append(
                    '<li>%s (%d bytes) <form method="post" action="/play" style="display:inline">'
                    '<input type="hidden" name="email" value="%s"><input type="hidden" name="track" value="%s">'
                    '<button>Play from the computer</button></form></li>'
                    % (html.escape(info["name"]), info["size"], html.escape(email, quote=True), sha))
            rows.append("</ul>")
        body = ("<!doctype html><meta charset=utf-8><title>Tonalix demo service</title>"
                "<h1>Tonalix demo service</h1><p>Newest client release: %s%s.</p>%s"
                % (html.escape(self.server.newest_version),
                   " (upgrade required)" if self.server.force_upgrade else "",
                   "".join(rows) or "<p>No tracks stored yet.</p>"))
        self._send(HTTPStatus.OK, body, "text/html; charset=utf-8")


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def parse_account(text):
    email, sep, password = text.partition(":")
    if not sep or not email or not password:
        raise argparse.ArgumentTypeError("use EMAIL:PASSWORD")
    return email, password


def write_file(path, text):
    if path:
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        with tempfile.NamedTemporaryFile("w", dir=os.path.dirname(os.path.abspath(path)), delete=False) as f:
            f.write(text)
        os.replace(f.name, path)


def serve(args):
    if args.fresh and os.path.isdir(args.store):
        shutil.rmtree(args.store)
    store = Store(args.store, [(DEMO_EMAIL, DEMO_PASSWORD)] + (args.account or []))
    server = Server((HOST, args.port), Handler)
    server.store = store
    server.newest_version = args.newest_version
    server.force_upgrade = args.force_upgrade
    server.verbose = args.verbose
    port = server.server_address[1]

    if args.detach:
        if os.fork() > 0:
            # The parent returns once the child has written its port, so callers can connect.
            server.socket.close()
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline:
                if args.port_file and os.path.exists(args.port_file):
                    print(port)
                    return 0
                time.sleep(0.05)
            return 1
        os.setsid()
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)

    stopping = threading.Event()

    def stop(signum, frame):
        if not stopping.is_set():
            stopping.set()
            threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    write_file(args.pid_file, "%d\n" % os.getpid())
    write_file(args.port_file, "%d\n" % port)
    if not args.detach:
        print("demo service on http://%s:%d/ (store %s)" % (HOST, port, os.path.abspath(args.store)), flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
        for path in (args.pid_file, args.port_file):
            if path and os.path.exists(path):
                os.unlink(path)
    return 0


def stop_service(args):
    try:
        with open(args.pid_file) as f:
            pid = int(f.read().strip())
    except (OSError, ValueError):
        return 0  # nothing runs
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return 0
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        if not running(pid):
            return 0
        time.sleep(0.05)
    os.kill(pid, signal.SIGKILL)
    return 0


def running(pid):
    # A detached service is reaped by whoever adopted it; until then it lingers as a zombie.
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            return False
        return True


def play(args):
    """Asks the service to stream a track from the computer (what a listener's click does)."""
    base = "http://%s:%d" % (HOST, args.port)

    def post(path, fields, query=""):
        data = urllib.parse.urlencode(fields).encode()
        with urllib.request.urlopen(base + path + query, data=data, timeout=5) as answer:
            return answer.read().decode()

    answer = post("/api/login", {"email": args.email, "password": args.password})
    token = dict(line.split("=", 1) for line in answer.splitlines() if "=" in line)["token"]
    try:
        track = args.track
        if not track:
            with urllib.request.urlopen(base + "/api/tracks?token=" + token, timeout=5) as answer:
                lines = answer.read().decode().splitlines()
            if not lines:
                print("no tracks stored yet", file=sys.stderr)
                return 1
            track = lines[0].split("\t")[0]
        print(post("/api/play", {}, "?" + urllib.parse.urlencode({"token": token, "track": track})).strip())
    finally:
        post("/api/logout", {}, "?token=" + token)
    return 0


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command")
    s = commands.add_parser("serve", help="run the service (the default)")
    s.add_argument("--port", type=int, default=8480, help="0 picks a free port")
    s.add_argument("--port-file", help="write the port here once listening")
    s.add_argument("--pid-file", help="write the process id here")
    s.add_argument("--store", default="demo-store", help="folder of the track store")
    s.add_argument("--fresh", action="store_true", help="empty the store first")
    s.add_argument("--newest-version", default="1.0.5233", help="newest client release announced")
    s.add_argument("--force-upgrade", action="store_true", help="declare the upgrade mandatory")
    s.add_argument("--account", type=parse_account, action="append", help="another account EMAIL:PASSWORD")
    s.add_argument("--detach", action="store_true", help="run in the background; needs --port-file")
    s.add_argument("--verbose", action="store_true", help="log every request to standard error")
    t = commands.add_parser("stop", help="stop a service started with --pid-file")
    t.add_argument("--pid-file", required=True)
    p = commands.add_parser("play", help="ask the engine to stream a stored track")
    p.add_argument("--port", type=int, required=True)
    p.add_argument("--email", default=DEMO_EMAIL)
    p.add_argument("--password", default=DEMO_PASSWORD)
    p.add_argument("--track", help="hash or name; the first stored track when left out")
    if not argv or argv[0].startswith("-"):
        argv = ["serve"] + list(argv)
    args = parser.parse_args(argv)
    if args.command == "serve":
        if args.detach and not args.port_file:
            parser.error("--detach needs --port-file")
        return serve(args)
    if args.command == "stop":
        return stop_service(args)
    return play(args)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
