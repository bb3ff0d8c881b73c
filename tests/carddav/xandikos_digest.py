#!/usr/bin/python3
"""Xandikos behind HTTP Digest authentication (RFC 7616, MD5, qop=auth), for the sync's tests.

Xandikos has no authentication of its own; this serves the same application on 127.0.0.1 and
asks every request for Digest credentials first. Usage: xandikos_digest.py DIR PORT USER PASSWORD
"""
import hashlib
import os
import secrets
import sys

from aiohttp import web
from xandikos.web import XandikosApp, XandikosBackend

REALM = "numora-test"


def md5(text):
    return hashlib.md5(text.encode()).hexdigest()


def fields(header):
    out = {}
    for part in header[len("Digest "):].split(","):
        key, _, value = part.strip().partition("=")
        out[key] = value.strip('"')
    return out


def main():
    directory, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    os.makedirs(directory, exist_ok=True)
    backend = XandikosBackend(directory)
    backend._mark_as_principal("/user/")
    backend.create_principal("/user/", create_defaults=True)
    dav = XandikosApp(backend, current_user_principal="/user/")
    nonces = set()

    def challenge():
        nonce = secrets.token_hex(16)
        nonces.add(nonce)
        header = f'Digest realm="{REALM}", qop="auth", nonce="{nonce}", algorithm=MD5'
        return web.Response(status=401, headers={"WWW-Authenticate": header})

    async def handler(request):
        given = request.headers.get("Authorization", "")
        if not given.startswith("Digest "):
            return challenge()
        f = fields(given)
        if f.get("username") != user or f.get("nonce") not in nonces:
            return challenge()
        ha1 = md5(f"{user}:{REALM}:{password}")
        ha2 = md5(f"{request.method}:{f.get('uri', '')}")
        expected = md5(f"{ha1}:{f['nonce']}:{f.get('nc', '')}:{f.get('cnonce', '')}:"
                       f"{f.get('qop', '')}:{ha2}")
        if f.get("response") != expected:
            return challenge()
        return await dav.aiohttp_handler(request, "/")

    app = web.Application()
    app.router.add_route("*", "/{path_info:.*}", handler)
    web.run_app(app, host="127.0.0.1", port=port, print=None)


if __name__ == "__main__":
    main()
