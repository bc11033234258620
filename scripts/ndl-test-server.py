#!/usr/bin/env python3
"""Stands in for the National Diet Library's search API on localhost, for
trying the ISBN look-up by hand: serves recorded SRU answers from a folder
(tests/lookup/ndl by default), the answer holding the asked ISBN, or the
library's answer with no records.

    scripts/ndl-test-server.py [folder] [port]
    QUILLO_NDL_URL=http://127.0.0.1:8765 quillo-csv add-isbn 4883671313
"""
import glob, html, http.server, os, re, sys, urllib.parse

folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'tests', 'lookup', 'ndl')
port = int(sys.argv[2]) if len(sys.argv) > 2 else 8765

def isbn13(text):
    d = re.sub(r'[^0-9Xx]', '', text).upper()
    if len(d) == 10:
        d = '978' + d[:9]
    elif len(d) == 13:
        d = d[:12]
    else:
        return None
    s = sum(int(c) * (3 if i % 2 else 1) for i, c in enumerate(d))
    return d + str((10 - s % 10) % 10)

answers = {}
for path in sorted(glob.glob(os.path.join(folder, '*-sru.xml'))):
    body = open(path, 'rb').read()
    text = html.unescape(body.decode('utf-8'))
    for found in re.findall(r'/ISBN">([^<]+)<', text):
        number = isbn13(found)
        if number:
            answers.setdefault(number, body)

NONE = (b'<?xml version="1.0" encoding="UTF-8"?>\n<searchRetrieveResponse '
        b'xmlns="http://www.loc.gov/zing/srw/"><version>1.2</version>'
        b'<numberOfRecords>0</numberOfRecords></searchRetrieveResponse>\n')

class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        url = urllib.parse.urlparse(self.path)
        query = urllib.parse.parse_qs(url.query).get('query', [''])[0]
        if url.path != '/api/sru':
            self.send_error(404)
            return
        body = answers.get(isbn13(query[5:]) or '', NONE) if query.startswith('isbn=') else NONE
        self.send_response(200)
        self.send_header('Content-Type', 'application/xml; charset=UTF-8')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

print(f'{len(answers)} ISBNs from {folder} on http://127.0.0.1:{port}', flush=True)
http.server.ThreadingHTTPServer(('127.0.0.1', port), Handler).serve_forever()
