#!/usr/bin/env python3
"""The sign command and the signature check, with a certificate made here:
a good signature verifies, a changed file or an untrusted signer does not, a
failed signing leaves setup.exe as it was, a stale manifest is named.

usage: sign_test.py QPACK PROBE"""
import hashlib
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from package_fixture import make_package, make_single  # noqa: E402

QPACK, PROBE = sys.argv[1:3]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def run(*args, env=None):
    return subprocess.run([PROBE if args[0] in ("verify", "switches") else QPACK, *args], capture_output=True, text=True, env=env)


def sha256(path):
    return hashlib.sha256(open(path, "rb").read()).hexdigest().upper()


def make_cert(tmp, name):
    cert, key = os.path.join(tmp, name + ".pem"), os.path.join(tmp, name + ".key")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=Qpack Test " + name, "-addext", "extendedKeyUsage=codeSigning",
                    "-keyout", key, "-out", cert], check=True, capture_output=True)
    return cert, key


with tempfile.TemporaryDirectory() as tmp:
    cert, key = make_cert(tmp, "a")
    _, other_key = make_cert(tmp, "b")
    pkg = os.path.join(tmp, "pkg")
    make_package(pkg, "[MAIN]\r\nAppName=Quorvane Notes\r\nVersion=1.0\r\n"
                      "URL=https://quorvane.example/\r\n")
    exe = os.path.join(pkg, "setup.exe")
    r = run("verify", pkg)
    check(r.returncode == 0 and r.stdout == "", f"unsigned: {r.returncode} {r.stdout}")

    unsigned = sha256(exe)
    r = run("sign", pkg, "--cert", cert, "--key", key)
    check(r.returncode == 0 and sha256(exe) in r.stdout, f"sign: {r.returncode} {r.stderr}")
    check(sha256(exe) != unsigned, "setup.exe unchanged by signing")
    check(not os.path.exists(exe + ".signing"), "temporary file left")
    r = run("verify", pkg, cert)
    check(r.returncode == 0 and r.stdout == "", f"good signature: {r.returncode} {r.stdout}")
    r = run("verify", pkg)
    check(r.returncode == 1 and "does not verify: self-signed certificate" in r.stdout,
          f"untrusted signer: {r.returncode} {r.stdout}")

    # Signing again replaces the signature; the result still verifies.
    check(run("sign", pkg, "--cert", cert, "--key", key).returncode == 0, "second signing")
    check(run("verify", pkg, cert).returncode == 0, "re-signed file does not verify")

    # Failures leave setup.exe as it was.
    signed = sha256(exe)
    for args, rc, text in [
        (["--cert", cert, "--key", other_key], 1, "osslsigncode could not sign it"),
        (["--cert", os.path.join(tmp, "none.pem"), "--key", key], 1, "none.pem: missing"),
        (["--cert", cert], 2, "--cert and --key are required"),
    ]:
        r = run("sign", pkg, *args)
        check(r.returncode == rc and text in r.stderr, f"{args}: {r.returncode} {r.stderr}")
        check(sha256(exe) == signed and not os.path.exists(exe + ".signing"),
              f"{args}: setup.exe changed or temporary file left")

    # Without the tool: signing fails, the check only warns.
    env = dict(os.environ, PATH=os.path.join(tmp, "empty"))
    r = run("sign", pkg, "--cert", cert, "--key", key, env=env)
    check(r.returncode == 1 and "osslsigncode: not found" in r.stderr, f"no tool: {r.stderr}")
    r = run("verify", pkg, env=env)
    check(r.returncode == 0 and "warning: signed, but osslsigncode" in r.stdout,
          f"no tool: {r.stdout}")

    # One byte of code changed after signing.
    with open(exe, "r+b") as f:
        f.seek(0x201)
        f.write(b"\x90")
    r = run("verify", pkg, cert)
    check(r.returncode == 1 and "does not match the file" in r.stdout,
          f"changed file: {r.returncode} {r.stdout}")
    # A signed program cut short has a signature that reaches past its end.
    with open(exe, "rb") as f:
        whole = f.read()
    with open(exe, "wb") as f:
        f.write(whole[:-10])
    r = run("check", pkg, "--ca", cert)
    check(r.returncode == 1 and "setup.exe: error:" in r.stdout, f"cut signed file: {r.stdout}")
    with open(exe, "wb") as f:
        f.write(whole)
    # check runs the same verification among its rules.
    r = run("check", pkg, "--ca", cert)
    check(r.returncode == 1 and "setup.exe: error:" in r.stdout
          and "does not match the file" in r.stdout, f"check of changed file: {r.stdout}")

    # A single file: signed as it is; a manifest written before names the old
    # hash, and the signed file's check verifies its parts and signature.
    single_dir = os.path.join(tmp, "single")
    single = make_single(QPACK, single_dir, "[MAIN]\r\nAppName=Quorvane Notes\r\n"
                         "InstPath=C:\\Quorvane Notes\r\nVersion=1.0\r\n", "Terms")
    run("manifest", single_dir, "--id", "Quorvane.Notes")
    r = run("sign", single_dir, "--cert", cert, "--key", key)
    check(r.returncode == 0 and sha256(single) in r.stdout, f"sign single: {r.stderr}")
    check("Quorvane.Notes.installer.yaml: carries the SHA-256 of the unsigned "
          "Quorvane Notes-1.0-setup.exe" in r.stderr, f"stale manifest not named: {r.stderr}")
    r = run("check", single_dir, "--ca", cert)
    check(r.returncode == 0, f"check of the signed single file: {r.stdout}")

for f in failures:
    print("FAIL:", f)
print("ok" if not failures else f"{len(failures)} failures")
sys.exit(1 if failures else 0)
