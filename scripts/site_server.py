#!/usr/bin/env python3
"""The maker's web site, served locally so the whole system runs offline.

    site_server.py --port N --root DIR     serve DIR on 127.0.0.1:N
    site_server.py --self-check [--root DIR]

Static files come from DIR (the repository's site/ folder): the advertising
page /spruce/adpan.htm, the home page /go.htm, the version file
/spruce/version.dat and the updater's program files under /spruce/files/.
One page is made on the fly: /spruce/ip.html answers the caller's address,
which the "My IP" tool keeps digit by digit, so the page holds no other
digits. Only 127.0.0.1 is bound. Requests are not logged; errors go to
stderr in one line each.
"""

import argparse
import functools
import http.server
import os
import sys
import threading
import urllib.error
import urllib.request

IP_PAGE = "/spruce/ip.html"


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
        if self._path_only() == IP_PAGE:
            self._send_ip_page(with_body=True)
        else:
            super().do_GET()

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


def make_server(port, root, quiet=False):
    handler = functools.partial(SiteHandler, directory=os.path.abspath(root))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    server.daemon_threads = True
    server.quiet = quiet
    return server


def self_check(root):
    """Serves root on a free port and checks every page the programs use."""
    server = make_server(0, root, quiet=True)
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
    args = parser.parse_args()

    if not os.path.isdir(args.root):
        sys.stderr.write("site: no folder %s\n" % args.root)
        return 2
    if args.self_check:
        return self_check(args.root)
    try:
        server = make_server(args.port, args.root)
    except OSError as error:
        sys.stderr.write("site: cannot listen on 127.0.0.1:%d: %s\n" % (args.port, error))
        return 1
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
