#!/usr/bin/python3
"""A virtual FeliCa card for the PC/SC test bed, on the virtualsmartcard library.

It connects to vpcd (the virtual reader in pcscd) and answers GET DATA (FF CA 00 00 00) with
its IDm and 90 00. The card lies on the reader while this process runs.
Usage: virtual_felica_card.py IDM_HEX [PORT]
"""
import socket
import sys

sys.path.insert(0, "/usr/lib/python3/site-packages/virtualsmartcard")
import Cryptodome  # noqa: E402  Debian ships pycryptodome as Cryptodome; the library imports Crypto
sys.modules.setdefault("Crypto", Cryptodome)
import Cryptodome.Cipher  # noqa: E402,F401
for name in ("Cipher", "Hash", "PublicKey", "Random", "Signature", "Util", "Protocol"):
    try:
        sys.modules.setdefault("Crypto." + name, __import__("Cryptodome." + name, fromlist=["x"]))
    except ImportError:
        pass

from virtualsmartcard.VirtualSmartcard import SmartcardOS, VirtualICC  # noqa: E402

FELICA_ATR = bytes.fromhex("3B8F8001804F0CA0000003061100" "3B0000000042")


class FelicaOS(SmartcardOS):
    def __init__(self, idm):
        self.idm = idm

    def getATR(self):
        return FELICA_ATR

    def execute(self, msg):
        if bytes(msg[:5]) == b"\xFF\xCA\x00\x00\x00":
            return self.idm + b"\x90\x00"
        return b"\x6D\x00"


class QuickAckSocket:
    """Acknowledges every request at once: the stock card answers about 40 ms late otherwise."""

    def __init__(self, sock):
        self._sock = sock

    def recv(self, size):
        data = self._sock.recv(size)
        try:
            self._sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_QUICKACK, 1)
        except OSError:
            pass
        return data

    def __getattr__(self, name):
        return getattr(self._sock, name)


def main():
    idm = bytes.fromhex(sys.argv[1])
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 35963
    card = VirtualICC(None, "iso7816", "127.0.0.1", port)
    card.os = FelicaOS(idm)
    card.sock = QuickAckSocket(card.sock)
    print("card on reader", flush=True)
    card.run()


if __name__ == "__main__":
    main()
