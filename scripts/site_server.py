#!/usr/bin/env python3
"""The maker's web site, served locally so the whole system runs offline.

    site_server.py --port N --root DIR     serve DIR on 127.0.0.1:N
    site_server.py --self-check [--root DIR]

Static files come from DIR (the repository's site/ folder): the advertising
page /spruce/adpan.htm, the home page /go.htm, the version file
/spruce/version.dat and the program files it lists, at /spruce/<name> (the
address the programs build from the version file's names).
One page is made on the fly: /spruce/ip.html answers the caller's address,
which the "My IP" tool keeps digit by digit, so the page holds no other
digits. Only 127.0.0.1 is bound. Requests are not logged; errors go to
stderr in one line each.

    --signing-key PEM        a version file's signature (/spruce/version.sig
                             beside /spruce/version.dat) that is neither a
                             file nor scripted is made on the fly: openssl
                             signs the bytes the version file is served as
                             (RSA, PKCS#1 v1.5 over their SHA-256) with PEM

Scripted mode, for tests that need a server misbehaving on purpose:

    --port 0 --port-file F   listen on a free port and write its number to F
    --script FILE            answers by path from a JSON object, read anew for
                             every request; paths not in it are served as above
    --log FILE               the request log: one line "GET /path" a request
    --exit-after SECONDS     end on our own after this long (a test that died
                             never leaves the server behind)
    --detach                 standard streams to /dev/null at once, so that a
                             caller waiting on their pipes is not held up

A rule of the script, every field optional:
    {"status": 200, "body": "text", "body_file": "spruce/x.exe", "repeat": 1,
     "length": "auto" | "none" | N, "send": N, "stall": S, "stall_after": N,
     "endless": false, "redirect": "/spruce/other", "rate": BYTES_PER_SECOND,
     "silent": S, "sign": "text", "sign_key": "fresh"}
body (text as Latin-1 bytes, or a file below the root) is repeated "repeat"
times; "length" gives the Content-Length header (the body's own, none, or any
number); only the first "send" bytes are sent before the connection closes;
after the headers and "stall_after" bytes of the body, the server sleeps
"stall" seconds; "endless" sends bytes until the client goes; "redirect"
answers with that Location (status 302 unless given); "silent" answers
nothing at all for S seconds and then closes. "sign" makes the body the
signature of that text (Latin-1) instead; "sign_key": "fresh" signs (the
given text, or else the version file beside) with a key made for this
server alone, which no program trusts. In scripted mode GET /__quit ends
the server.
"""

import argparse
import functools
import http.server
import json
import os
import subprocess
import sys
import tempfile
import threading
import time
import urllib.error
import urllib.request

IP_PAGE = "/spruce/ip.html"
SIGNATURE_SUFFIX = ".sig"
SIGNED_SUFFIX = ".dat"


def sign_bytes(key, data):
    """The raw RSA signature openssl makes over data's SHA-256 with key."""
    return subprocess.run(["openssl", "dgst", "-sha256", "-sign", key], input=data,
                          stdout=subprocess.PIPE, check=True).stdout


def fresh_key(server):
    """A private key made once for this server: a signer nobody trusts."""
    with server.log_lock:
        if not getattr(server, "fresh_key_path", None):
            handle, path = tempfile.mkstemp(prefix="site-key-", suffix=".pem")
            os.close(handle)
            subprocess.run(["openssl", "genpkey", "-algorithm", "RSA", "-pkeyopt",
                            "rsa_keygen_bits:2048", "-out", path], check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            server.fresh_key_path = path
        return server.fresh_key_path


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    server_version = "SpruceSite"
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".htm": "text/html",
        ".html": "text/html",
        ".dat": "text/plain",
    }

    def version_string(self):
        return self.server_version

    def end_headers(self):
        # The programs fetch through WinINet, whose cache would otherwise
        # keep answering an old version file after the site changed.
        self.send_header("Cache-Control", "no-cache, no-store")
        super().end_headers()

    def _path_only(self):
        return self.path.split("?", 1)[0].split("#", 1)[0]

    def do_GET(self):
        self._log_request()
        if self._scripted():
            return
        if self._path_only() == IP_PAGE:
            self._send_ip_page(with_body=True)
        elif self._signature_on_the_fly():
            return
        else:
            super().do_GET()

    def _log_request(self):
        log = getattr(self.server, "request_log", None)
        if not log:
            return
        with self.server.log_lock, open(log, "a", encoding="latin-1") as f:
            f.write("%s %s\n" % (self.command, self.path))

    def _scripted(self):
        """Answers from the script; False when the path is not scripted."""
        script = getattr(self.server, "script", None)
        if not script:
            return False
        path = self._path_only()
        if path == "/__quit":
            self.send_response(200)
            self.send_header("Content-Length", "0")
            self.end_headers()
            threading.Thread(target=self.server.shutdown, daemon=True).start()
            return True
        rule = self._rules().get(path)
        if rule is None:
            return False
        self.close_connection = True
        try:
            self._answer(rule)
        except OSError:
            pass  # the client went away: that is what some rules are for
        return True

    def _rules(self):
        script = getattr(self.server, "script", None)
        if not script:
            return {}
        try:
            with open(script, encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def _served_bytes(self, path, hops=5):
        """The body path is answered with (a rule's, a redirect's target's,
        or the static file's); None when it is no file."""
        rule = self._rules().get(path)
        if rule is not None:
            if "redirect" in rule and hops > 0:
                return self._served_bytes(rule["redirect"], hops - 1)
            if "body_file" in rule:
                with open(os.path.join(self.directory, rule["body_file"]), "rb") as f:
                    body = f.read()
            elif "body" in rule:
                body = rule["body"].encode("latin-1")
            else:
                return None
            return body * int(rule.get("repeat", 1))
        local = os.path.realpath(os.path.join(self.directory, path.lstrip("/")))
        if not local.startswith(os.path.realpath(self.directory) + os.sep) or not os.path.isfile(local):
            return None
        with open(local, "rb") as f:
            return f.read()

    def _signature_on_the_fly(self):
        """Signs the version file beside a .sig that is no file; False when
        this is not such a request."""
        path = self._path_only()
        key = getattr(self.server, "signing_key", None)
        if not key or not path.endswith(SIGNATURE_SUFFIX) or self._served_bytes(path) is not None:
            return False
        signed = self._served_bytes(path[: -len(SIGNATURE_SUFFIX)] + SIGNED_SUFFIX)
        if signed is None:
            return False
        self._answer({"body_bytes": sign_bytes(key, signed)})
        return True

    def _answer(self, rule):
        if "silent" in rule:
            time.sleep(float(rule["silent"]))
            return
        if "redirect" in rule:
            self.send_response(rule.get("status", 302))
            self.send_header("Location", rule["redirect"])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        body = rule.get("body", "").encode("latin-1")
        if "body_file" in rule:
            with open(os.path.join(self.directory, rule["body_file"]), "rb") as f:
                body = f.read()
        body *= int(rule.get("repeat", 1))
        if "body_bytes" in rule:
            body = rule["body_bytes"]
        if "sign" in rule or "sign_key" in rule:
            path = self._path_only()
            signed = (rule["sign"].encode("latin-1") if "sign" in rule else
                      self._served_bytes(path[: -len(SIGNATURE_SUFFIX)] + SIGNED_SUFFIX) or b"")
            key = (fresh_key(self.server) if rule.get("sign_key") == "fresh"
                   else self.server.signing_key)
            body = sign_bytes(key, signed)
        self.send_response(int(rule.get("status", 200)))
        self.send_header("Content-Type", "application/octet-stream")
        length = rule.get("length", "auto")
        if rule.get("endless"):
            length = "none"
        if length == "auto":
            self.send_header("Content-Length", str(len(body)))
        elif length != "none":
            self.send_header("Content-Length", str(int(length)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.flush()

        rate = float(rule.get("rate", 0))
        if rule.get("endless"):
            block = (body or b"x") * (65536 // max(1, len(body or b"x")) + 1)
            if rate:
                block = block[: max(1, int(rate / 20))]
            while True:
                self.wfile.write(block)
                if rate:
                    self.wfile.flush()
                    time.sleep(len(block) / rate)
        if "send" in rule:
            body = body[: int(rule["send"])]
        stall_after = int(rule.get("stall_after", 0))
        sent = 0
        if rule.get("stall") and stall_after == 0:
            time.sleep(float(rule["stall"]))
        while sent < len(body):
            step = len(body) - sent
            if rate:
                step = min(step, max(1, int(rate / 20)))
            if rule.get("stall") and sent < stall_after:
                step = min(step, stall_after - sent)
            self.wfile.write(body[sent : sent + step])
            self.wfile.flush()
            sent += step
            if rule.get("stall") and sent == stall_after:
                time.sleep(float(rule["stall"]))
            if rate:
                time.sleep(step / rate)

    def do_HEAD(self):
        if self._path_only() == IP_PAGE:
            self._send_ip_page(with_body=False)
        else:
            super().do_HEAD()

    def _send_ip_page(self, with_body):
        body = ("<html><body>%s</body></html>" % self.client_address[0]).encode("ascii")
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if with_body:
            self.wfile.write(body)

    def list_directory(self, path):
        # The site has no browsable folders.
        self.send_error(404, "Not found")
        return None

    def log_message(self, format, *args):
        pass

    def log_error(self, format, *args):
        if getattr(self.server, "quiet", False):
            return
        sys.stderr.write("site: %s %s\n" % (self.address_string(), format % args))


def make_server(port, root, quiet=False, script=None, request_log=None, signing_key=None):
    handler = functools.partial(SiteHandler, directory=os.path.abspath(root))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    server.daemon_threads = True
    server.quiet = quiet
    server.script = script
    server.request_log = request_log
    server.signing_key = signing_key
    server.log_lock = threading.Lock()
    return server


def self_check(root, signing_key=None):
    """Serves root on a free port and checks every page the programs use."""
    server = make_server(0, root, quiet=True, signing_key=signing_key)
    port = server.server_address[1]
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    base = "http://127.0.0.1:%d" % port
    failures = []

    def fetch(path):
        try:
            with urllib.request.urlopen(base + path, timeout=10) as answer:
                return answer.status, answer.read()
        except urllib.error.HTTPError as error:
            return error.code, b""

    def expect(condition, what):
        if not condition:
            failures.append(what)

    status, body = fetch(IP_PAGE)
    expect(status == 200, "ip page answers")
    digits = "".join(c for c in body.decode("ascii") if c.isdigit() or c == ".")
    expect(digits == "127.0.0.1", "ip page keeps only the address's digits (%r)" % digits)

    status, body = fetch("/spruce/version.dat")
    expect(status == 200 and b"Version:" in body, "version file has a Version line")

    if signing_key:
        status, signature = fetch("/spruce/version.sig")
        with tempfile.TemporaryDirectory() as work:
            paths = {n: os.path.join(work, n) for n in ("dat", "sig", "pub")}
            for name, data in (("dat", fetch("/spruce/version.dat")[1]), ("sig", signature)):
                with open(paths[name], "wb") as f:
                    f.write(data)
            made = subprocess.run(["openssl", "pkey", "-in", signing_key, "-pubout", "-out",
                                   paths["pub"]], stderr=subprocess.DEVNULL).returncode == 0
            verified = made and subprocess.run(
                ["openssl", "dgst", "-sha256", "-verify", paths["pub"], "-signature", paths["sig"],
                 paths["dat"]], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
        expect(status == 200 and verified, "version file is signed with the signing key")

    status, body = fetch("/spruce/adpan.htm")
    expect(status == 200, "advertising page answers")
    try:
        page = body.decode("cp949")
    except UnicodeDecodeError:
        page = ""
        failures.append("advertising page is CP949")
    for element in ("ButtonOK", "ButtonCancel", "Link1", "Link2"):
        expect('id="%s"' % element in page, "advertising page has element %s" % element)

    expect(fetch("/go.htm")[0] == 200, "home page answers")
    expect(fetch("/spruce/")[0] == 404, "folders are not listed")
    expect(fetch("/../scripts/site_server.py")[0] == 404, "paths stay inside the root")
    expect(fetch("/%2e%2e/scripts/site_server.py")[0] == 404, "encoded paths stay inside the root")

    server.shutdown()
    server.server_close()
    for failure in failures:
        sys.stderr.write("self-check failed: %s\n" % failure)
    if not failures:
        print("site self-check passed")
    return 1 if failures else 0


def main():
    default_root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "site")
    parser = argparse.ArgumentParser(description="Serves the Spruce site on 127.0.0.1.")
    parser.add_argument("--port", type=int, default=8123)
    parser.add_argument("--root", default=default_root)
    parser.add_argument("--self-check", action="store_true", help="check the pages and exit")
    parser.add_argument("--port-file", help="write the port listened on to this file")
    parser.add_argument("--script", help="JSON answers by path (scripted mode)")
    parser.add_argument("--log", help="append every request to this file")
    parser.add_argument("--exit-after", type=float, default=0, help="end after this many seconds")
    parser.add_argument("--detach", action="store_true", help="standard streams to /dev/null")
    parser.add_argument("--signing-key", help="sign version files on the fly with this private key")
    args = parser.parse_args()

    if args.detach:
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)

    if not os.path.isdir(args.root):
        sys.stderr.write("site: no folder %s\n" % args.root)
        return 2
    if args.self_check:
        return self_check(args.root, args.signing_key)
    try:
        server = make_server(args.port, args.root, script=args.script, request_log=args.log,
                             signing_key=args.signing_key)
    except OSError as error:
        sys.stderr.write("site: cannot listen on 127.0.0.1:%d: %s\n" % (args.port, error))
        return 1
    if args.port_file:
        # Written whole under another name first: a reader never sees half a number.
        with open(args.port_file + ".new", "w") as f:
            f.write(str(server.server_address[1]))
        os.replace(args.port_file + ".new", args.port_file)
    if args.exit_after:
        timer = threading.Timer(args.exit_after, server.shutdown)
        timer.daemon = True
        timer.start()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
        if getattr(server, "fresh_key_path", None):
            os.unlink(server.fresh_key_path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
