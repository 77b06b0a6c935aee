#!/usr/bin/env python3
"""A local HTTP server for the tests (127.0.0.1 only).

Each test works below a path prefix of its own. Control requests:
  POST /__vq/answer    JSON {"path": "/p/x.php", "status": 200, "body": "text",
                       "mode": "answer" | "silent" | "endless"}; "silent"
                       accepts the request and never answers (until the
                       client leaves); "endless" answers 200 with a body that
                       never ends (until the client leaves).
  GET  /__vq/requests?prefix=/p/
                       JSON list of the requests received below the prefix:
                       {"method", "path" (with query), "headers": [[name,
                       value], ...], "body" (base64 of the raw body)}.
Any other request is recorded and gets the answer set for its path (without
query), else 404.
"""
import argparse
import base64
import json
import os
import select
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

SILENT_LIMIT_SECONDS = 120
lock = threading.Lock()
answers = {}
requests = []


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            body = b""
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    return body
                body += self.rfile.read(size)
                self.rfile.readline()
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def reply(self, status, body, content_type="text/plain; charset=utf-8"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.close_connection = True

    def control(self, url, body):
        if self.command == "POST" and url.path == "/__vq/answer":
            answer = json.loads(body or b"{}")
            with lock:
                answers[answer["path"]] = answer
            return self.reply(200, b"ok")
        if self.command == "GET" and url.path == "/__vq/requests":
            prefix = parse_qs(url.query).get("prefix", [""])[0]
            with lock:
                found = [r for r in requests if r["path"].startswith(prefix)]
            return self.reply(200, json.dumps(found).encode(), "application/json")
        return self.reply(400, b"unknown control request")

    def handle_any(self):
        body = self.read_body()
        url = urlsplit(self.path)
        if url.path.startswith("/__vq/"):
            return self.control(url, body)
        with lock:
            requests.append({
                "method": self.command,
                "path": self.path,
                "headers": [[k, v] for k, v in self.headers.items()],
                "body": base64.b64encode(body).decode(),
            })
            answer = answers.get(url.path)
        if answer is None:
            return self.reply(404, b"no answer set")
        if answer.get("mode") == "silent":
            return self.hold()
        if answer.get("mode") == "endless":
            return self.endless()
        self.reply(int(answer.get("status", 200)), answer.get("body", "").encode(),
                   answer.get("contentType", "text/html; charset=utf-8"))

    def hold(self):
        # Keeps the connection open without a word until the client leaves.
        end = time.monotonic() + SILENT_LIMIT_SECONDS
        while time.monotonic() < end:
            readable, _, _ = select.select([self.connection], [], [], 0.5)
            if readable and not self.connection.recv(4096):
                break
        self.close_connection = True

    def endless(self):
        # No length and no end: only the client can stop it.
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Connection", "close")
        self.end_headers()
        block = b"9" * 65536
        end = time.monotonic() + SILENT_LIMIT_SECONDS
        try:
            while time.monotonic() < end:
                self.wfile.write(block)
        except OSError:
            pass
        self.close_connection = True

    do_GET = do_POST = do_PUT = do_DELETE = handle_any


class Server(ThreadingHTTPServer):
    daemon_threads = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    args = parser.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
