"""A web site on 127.0.0.1 for the browser tests. Prints its port, then logs each request as a
line "path<TAB>Cookie header" (the header's bytes as received) to the file named by argv[1].

/set        sets the site's own cookie "site=kept"
/bbs/set    sets a board cookie named by the board's address, as the board script would
"""
import http.server
import sys

BOARD_VALUE = "Taro,taro@example.jp,,secret,25,1,0,7,40"


class Site(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        cookie = self.headers.get("Cookie") or ""
        with open(sys.argv[1], "ab") as log:
            # http.server decodes headers as Latin-1, which gives back the bytes unchanged.
            log.write(self.path.encode() + b"\t" + cookie.encode("latin-1") + b"\n")
        self.send_response(200)
        if self.path == "/set":
            self.send_header("Set-Cookie", "site=kept; Max-Age=86400; Path=/")
        if self.path == "/bbs/set":
            board = "http://127.0.0.1:%d/bbs/bbs.cgi" % self.server.server_port
            self.send_header("Set-Cookie", board + "=" + BOARD_VALUE + "; Max-Age=86400; Path=/bbs/")
        self.send_header("Content-Type", "text/html")
        self.end_headers()
        self.wfile.write(b"<html><body>ok</body></html>")

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Site)
print(server.server_port, flush=True)
server.serve_forever()
