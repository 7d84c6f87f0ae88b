#!/usr/bin/env python3
"""The release is signed through the build's own setting: the second build (the
fixture "second_build" of tests/repro) is configured with -DTOLVANE_SIGN_PKCS12
and a throwaway certificate made here, and rebuilt.

    sign_test.py <main setup exe> <second build work dir> <output dir>

A signing failure fails the build and leaves no unsigned file behind; a signed
file is the unsigned build plus its signature, and osslsigncode verifies it
(SHA-256, time stamp from a local RFC 3161 server). Leaves the signed setup in
<output dir>/TolvaneSetup-signed.exe for the Wine scenario.
"""
import http.server
import os
import shutil
import socket
import struct
import subprocess
import sys
import threading

PASSWORD = "throwaway-Pa55"
DESCRIPTION = "Quorvel Outlook Tolvane Setup"

TSA_CONFIG = """[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = {work}/tsa-serial
signer_cert = {work}/tsa-cert.pem
signer_key = {work}/tsa-key.pem
signer_digest = sha256
default_policy = 1.3.6.1.4.1.99999.1
digests = sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
"""


def make_certificate(work, name, subject, usage):
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-keyout", os.path.join(work, name + "-key.pem"),
                    "-out", os.path.join(work, name + "-cert.pem"), "-subj", "/CN=" + subject,
                    "-addext", "keyUsage=critical,digitalSignature",
                    "-addext", "extendedKeyUsage=critical," + usage],
                   check=True, capture_output=True)


def start_time_stamp_server(work):
    """A local RFC 3161 server answering with `openssl ts -reply`; returns its URL."""
    with open(os.path.join(work, "tsa.cnf"), "w") as f:
        f.write(TSA_CONFIG.format(work=work))
    lock = threading.Lock()

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            query = self.rfile.read(int(self.headers["Content-Length"]))
            with lock:
                reply = subprocess.run(
                    ["openssl", "ts", "-reply", "-config", os.path.join(work, "tsa.cnf"),
                     "-queryfile", "/dev/stdin", "-out", "/dev/stdout"],
                    input=query, capture_output=True, check=True).stdout
            self.send_response(200)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(reply)))
            self.end_headers()
            self.wfile.write(reply)

        def log_message(self, *args):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return "http://127.0.0.1:%d/" % server.server_address[1]


def closed_port_url():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return "http://127.0.0.1:%d/" % s.getsockname()[1]


def pe_fields(data):
    """(offset of CheckSum, offset of the certificate directory entry, its (offset, size))."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    opt = pe + 24
    directories = opt + (112 if struct.unpack_from("<H", data, opt)[0] == 0x20B else 96)
    return opt + 64, directories + 32, struct.unpack_from("<II", data, directories + 32)


def build_signed(copy, build, pkcs12, url, password):
    """Configures the second build with the signing settings and builds the setup."""
    env = dict(os.environ)
    env.pop("TOLVANE_SIGN_PASSWORD", None)
    if password is not None:
        env["TOLVANE_SIGN_PASSWORD"] = password
    subprocess.run(["cmake", "-S", copy, "-B", build, "-DTOLVANE_SIGN_PKCS12=" + pkcs12,
                    "-DTOLVANE_SIGN_TIMESTAMP_URL=" + url], check=True, stdout=subprocess.DEVNULL)
    return subprocess.run(["cmake", "--build", build, "--target", "TolvaneSetup"], env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


def verify(exe, work):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", os.path.join(work, "code-cert.pem"),
                           "-TSA-CAfile", os.path.join(work, "tsa-cert.pem"), "-in", exe],
                          capture_output=True, text=True)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main_exe, second, work = sys.argv[1:]
    copy, build = os.path.join(second, "src"), os.path.join(second, "build")
    exe = os.path.join(build, "TolvaneSetup.exe")
    with open(os.path.join(second, "TolvaneSetup.exe"), "rb") as f:
        unsigned = f.read()
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    # Without the setting the build is unsigned.
    with open(main_exe, "rb") as f:
        assert pe_fields(f.read())[2] == (0, 0), "the default build carries a signature"

    make_certificate(work, "code", "Tolvane Test Signing", "codeSigning")
    make_certificate(work, "tsa", "Tolvane Test Time Stamps", "timeStamping")
    pkcs12 = os.path.join(work, "signing.p12")
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", os.path.join(work, "code-key.pem"),
                    "-in", os.path.join(work, "code-cert.pem"), "-out", pkcs12,
                    "-passout", "env:TOLVANE_TEST_PASSWORD"],
                   env=dict(os.environ, TOLVANE_TEST_PASSWORD=PASSWORD), check=True)
    tsa_url = start_time_stamp_server(work)

    # A failed signature fails the build and leaves no file that could ship unsigned.
    failures = [
        ("no password in the environment", None, "", "set TOLVANE_SIGN_PASSWORD"),
        ("wrong password", "not-" + PASSWORD, "", "signing"),
        ("time-stamp server unreachable", PASSWORD, closed_port_url(), "signing"),
    ]
    for case, password, url, message in failures:
        result = build_signed(copy, build, pkcs12, url, password)
        assert result.returncode != 0, "%s: the build succeeded\n%s" % (case, result.stdout)
        assert message in result.stdout, "%s: no message %r\n%s" % (case, message, result.stdout)
        assert not os.path.exists(exe), "%s: %s left behind" % (case, exe)
        print("ok: %s fails the build" % case)

    result = build_signed(copy, build, pkcs12, tsa_url, PASSWORD)
    assert result.returncode == 0, result.stdout
    report = verify(exe, work)
    assert report.returncode == 0, report.stdout + report.stderr
    for line in ("Message digest algorithm  : SHA256", "Text description: " + DESCRIPTION,
                 "Timestamp Server Signature verification: ok", "Signature verification: ok"):
        assert line in report.stdout, "verify output lacks %r\n%s" % (line, report.stdout)
    print("ok: signed and time-stamped, osslsigncode verifies it")

    # The signature is the last change: the signed file is the unsigned one with its
    # checksum and certificate entry set and the certificate table at the end.
    with open(exe, "rb") as f:
        signed = f.read()
    checksum, entry, (table, size) = pe_fields(signed)
    assert table >= len(unsigned) and table + size == len(signed), (table, size, len(unsigned))
    restored = bytearray(signed[:len(unsigned)])
    restored[checksum:checksum + 4] = unsigned[checksum:checksum + 4]
    restored[entry:entry + 8] = unsigned[entry:entry + 8]
    assert bytes(restored) == unsigned, "signing changed more than the signature"
    print("ok: the signed file is the unsigned build plus its signature")

    # One changed byte of the program breaks the signature.
    tampered = os.path.join(work, "tampered.exe")
    data = bytearray(signed)
    data[len(unsigned) // 2] ^= 0xFF
    with open(tampered, "wb") as f:
        f.write(data)
    assert verify(tampered, work).returncode != 0, "a changed file still verifies"
    print("ok: a changed byte fails verification")

    shutil.copy(exe, os.path.join(work, "TolvaneSetup-signed.exe"))


if __name__ == "__main__":
    main()
