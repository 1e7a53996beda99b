#!/usr/bin/python3
"""Computes the fixed version 2 vault vector used by
tests/core/storage/test_vaultpayload.cpp.

Runs against PyNaCl (Debian: python3-nacl), so the expected bytes come from
a second, independent binding rather than from the C++ code under test.
Run it with the system interpreter: /usr/bin/python3 vault_vector_v2.py
"""
import struct
import unicodedata

import nacl.bindings as nb

MAGIC = b"VELLAMAR-VAULT"
VERSION = 2
OPS = nb.crypto_pwhash_argon2id_OPSLIMIT_MIN   # 1
MEM = nb.crypto_pwhash_argon2id_MEMLIMIT_MIN   # 8192

# Typed with "a" + U+0301 (combining acute), so the key only matches when
# the program normalises to NFC (U+00E1) before taking the UTF-8 bytes.
TYPED = "Za\u0301mek \u0141\u00f3d\u017a \u6771\u4eac"
PASSWORD = unicodedata.normalize("NFC", TYPED).encode("utf-8")
assert PASSWORD != TYPED.encode("utf-8")

SALT = bytes(range(0x80, 0x90))
NONCE = bytes(range(0xa0, 0xb8))

# id, created, modified, site, user, password. Fields are stored as typed,
# not normalised: the last password keeps its e + U+0301.
LISTINGS = [
    (bytes(range(0x40, 0x50)), 1700000000000, 1700000500000,
     "\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444/\u0432\u0445\u043e\u0434",
     "\u042f\u0440\u043e\u0441\u043b\u0430\u0432\u0430",
     "\u041f\u0430\u0440\u043e\u043b\u044c-42"),
    (bytes(range(0x50, 0x60)), -86400000, 1765432100123,
     "\u4f8b\u3048.jp",
     "\u5c71\u7530 \u592a\u90ce",
     "\u79d8\u5bc6\U0001f511e\u0301"),
]
REMOVALS = [
    (bytes(range(0x60, 0x70)), 1765000000000),
]


def text(value):
    data = value.encode("utf-8")
    return struct.pack("<I", len(data)) + data


plain = struct.pack("<I", len(LISTINGS))
for ident, created, modified, site, user, password in LISTINGS:
    assert len(ident) == 16
    plain += ident + struct.pack("<qq", created, modified)
    plain += text(site) + text(user) + text(password)
plain += struct.pack("<I", len(REMOVALS))
for ident, removed in REMOVALS:
    plain += ident + struct.pack("<q", removed)

assert len(MAGIC) == 14 and len(SALT) == 16 and len(NONCE) == 24

header = MAGIC + bytes([VERSION]) + struct.pack("<QQ", OPS, MEM) + SALT + NONCE
assert len(header) == 71

key = nb.crypto_pwhash_alg(32, PASSWORD, SALT, OPS, MEM,
                           nb.crypto_pwhash_ALG_ARGON2ID13)
sealed = nb.crypto_aead_xchacha20poly1305_ietf_encrypt(plain, header, NONCE, key)
vault = header + sealed
assert len(vault) == 71 + len(plain) + 16


def cxx_hex(data, width=32):
    rows = [data[i:i + width].hex() for i in range(0, len(data), width)]
    return "\n".join('    "%s"' % r for r in rows)


print("kPasswordNfcHex = \"%s\";" % PASSWORD.hex())
print("// plain:    %d bytes" % len(plain))
print("kPlainV2Hex =\n%s;" % cxx_hex(plain))
print("kKeyV2Hex = \"%s\";" % key.hex())
print("kVaultV2Hex =\n%s;" % cxx_hex(vault))
