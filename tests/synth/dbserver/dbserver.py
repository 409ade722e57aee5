#!/usr/bin/env python3
"""A local HTTPS server that plays the program database for the tests.

Makes a self-signed certificate for 127.0.0.1 in the given folder, listens on
a free port, prints "PORT <n>" and serves until stdin closes. POST /ctl sets
the behaviour (JSON; keys below); GET /log returns every request so far.

  status       force this HTTP status on every database request
  delay        seconds to wait before answering
  stall        seconds to wait after the headers, before the body
  drip         seconds between the body's bytes, sent one at a time
  page_delay   seconds to wait before answering the program route
  redirect     [status, location]: answer requests to any other origin so
  body         "html": a 200 "Service Unavailable" page for every request
  ignore_page  the program route answers page 1 whatever page is asked
  endless      the program route answers a new full page every time
  body         "huge" (10 MB), "nonjson", "object": replace the JSON reply
  programs     number of programs in every category (default 47)
  links        how many of those are links, not files (default 0)
  media        list of [title, url] for the media route
  files        {name: text} served under /files/
  user         the display name the login returns (default "Alice")
  password     the password the login takes (default "pw")
"""
import json
import os
import ssl
import subprocess
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit, parse_qs

state = {}
log = []
lock = threading.Lock()
BASE = "/zephradatabase2/wp-json/"


def reset():
    state.clear()
    state.update(programs=47, links=0, media=[], files={}, user="Alice")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body leave in separate writes: without this each reply
    # would wait out the client's delayed acknowledgement.
    disable_nagle_algorithm = True

    def log_message(self, *args):
        pass

    def reply(self, status, body, ctype="application/json", location=None):
        data = body if isinstance(body, bytes) else body.encode()
        try:
            self.send_response(status)
            self.send_header("Content-Type", ctype)
            self.send_header("Content-Length", str(len(data)))
            if location:
                self.send_header("Location", location)
            self.end_headers()
            self.wfile.flush()
            if state.get("stall"):
                time.sleep(state["stall"])
            if state.get("drip"):
                for i in range(len(data)):
                    self.wfile.write(data[i:i + 1])
                    self.wfile.flush()
                    time.sleep(state["drip"])
            else:
                self.wfile.write(data)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass

    def record(self, body):
        with lock:
            log.append({"method": self.command, "path": self.path,
                        "headers": {k.lower(): v for k, v in self.headers.items()},
                        "body": body.decode("utf-8", "replace")})

    def do_GET(self):
        self.handle_any(b"")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        self.handle_any(self.rfile.read(length))

    def handle_any(self, body):
        url = urlsplit(self.path)
        if url.path == "/ctl":
            reset()
            state.update(json.loads(body or b"{}"))
            with lock:
                log.clear()
            return self.reply(200, "{}")
        if url.path == "/log":
            with lock:
                return self.reply(200, json.dumps(log))
        self.record(body)
        if state.get("delay"):
            time.sleep(state["delay"])
        if state.get("status"):
            return self.reply(state["status"], "{}")
        if state.get("redirect"):
            # Only requests to this origin move: the other origin answers.
            code, where = state["redirect"]
            if urlsplit(where).netloc != self.headers.get("Host"):
                return self.reply(code, "", "text/plain", location=where)
        forced = state.get("body")
        if forced == "html":
            return self.reply(200, "<html><head><title>503 Service Unavailable</title></head>"
                              "<body><h1>Service Unavailable</h1></body></html>\n", "text/html")
        if forced == "huge":
            return self.reply(200, b"[" + b" " * (10 << 20) + b"]")
        if forced == "nonjson":
            return self.reply(200, "<html>not json</html>", "text/html")
        if forced == "object":
            return self.reply(200, '{"id": 1}')
        if url.path.startswith("/files/"):
            name = url.path[len("/files/"):]
            if name in state["files"]:
                return self.reply(200, state["files"][name].encode("latin-1"), "application/octet-stream")
            return self.reply(404, "missing")
        route = url.path[len(BASE):] if url.path.startswith(BASE) else None
        query = {k: v[0] for k, v in parse_qs(url.query).items()}
        if route == "jwt-auth/v1/token":
            try:
                sent = json.loads(body)
            except ValueError:
                return self.reply(400, "{}")
            if sent.get("password") != state.get("password", "pw"):
                return self.reply(403, '{"code": "denied"}')
            return self.reply(200, json.dumps({"token": "SECRET-TOKEN-123",
                                               "user_display_name": state["user"]}))
        if route == "wp/v2/cmdm_category":
            return self.reply(200, json.dumps([
                {"id": 3, "name": "Bass", "taxonomy": "cmdm_category"},
                {"id": 4, "name": "Lead", "taxonomy": "cmdm_category"},
                {"id": 5, "name": "Tag", "taxonomy": "post_tag"}]))
        if route == "wp/v2/cmdm_page":
            if state.get("page_delay"):
                time.sleep(state["page_delay"])
            page = int(query.get("page", "1"))
            if state.get("ignore_page"):
                page = 1
            if state.get("endless"):
                return self.reply(200, json.dumps([
                    {"id": page * 100 + i, "_package_type": "file",
                     "title": {"rendered": "P%d_%d" % (page, i)}} for i in range(47)]))
            total, links = state["programs"], state["links"]
            items = []
            for i in range((page - 1) * 47, min(page * 47, total)):
                items.append({"id": 1000 + i,
                              "_package_type": "link" if i < links else "file",
                              "title": {"rendered": "Bass &amp; Lead" if i == 0 else "Prog %02d" % i}})
            return self.reply(200, json.dumps(items))
        if route == "wp/v2/media":
            return self.reply(200, json.dumps([
                {"mime_type": "application/octet-stream", "source_url": u, "title": {"rendered": t}}
                for t, u in state["media"]]))
        return self.reply(404, "{}")


def main():
    folder = sys.argv[1]
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                    "-keyout", key, "-out", cert], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    reset()
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print("PORT %d" % server.server_address[1], flush=True)
    sys.stdin.read()
    server.shutdown()


if __name__ == "__main__":
    main()
