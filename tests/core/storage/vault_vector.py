#!/usr/bin/python3
"""Computes the fixed vault vector used by tests/core/storage/test_vault.cpp.

Runs against PyNaCl (Debian: python3-nacl), so the expected bytes come from
a second, independent binding rather than from the C++ module under test.
Run it with the system interpreter: /usr/bin/python3 vault_vector.py
"""
import struct

import nacl.bindings as nb

MAGIC = b"VELLAMAR-VAULT"
VERSION = 1
OPS = nb.crypto_pwhash_argon2id_OPSLIMIT_MIN   # 1
MEM = nb.crypto_pwhash_argon2id_MEMLIMIT_MIN   # 8192

PASSWORD = "correct horse".encode("cp1252")
SALT = bytes(range(0x00, 0x10))
NONCE = bytes(range(0x20, 0x38))
PLAIN = ("mail.example.org\tJärvi\tLumi-Kide-42\n"
         "bank.example.com\tjarvi.k\t8x!Rq-0p\n").encode("cp1252")

assert len(MAGIC) == 14 and len(SALT) == 16 and len(NONCE) == 24

header = MAGIC + bytes([VERSION]) + struct.pack("<QQ", OPS, MEM) + SALT + NONCE
assert len(header) == 71

key = nb.crypto_pwhash_alg(32, PASSWORD, SALT, OPS, MEM,
                           nb.crypto_pwhash_ALG_ARGON2ID13)
sealed = nb.crypto_aead_xchacha20poly1305_ietf_encrypt(PLAIN, header, NONCE, key)
vault = header + sealed
assert len(vault) == 71 + len(PLAIN) + 16


def cxx_hex(data, width=32):
    rows = [data[i:i + width].hex() for i in range(0, len(data), width)]
    return "\n".join('    "%s"' % r for r in rows)


print("// password: %s" % PASSWORD.hex())
print("// plain:    %d bytes" % len(PLAIN))
print("kPlainHex =\n%s;" % cxx_hex(PLAIN))
print("kKeyHex = \"%s\";" % key.hex())
print("kVaultHex =\n%s;" % cxx_hex(vault))
