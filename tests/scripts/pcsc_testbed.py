#!/usr/bin/python3
"""Runs inside private namespaces (see pcsc_testbed.sh): starts pcscd and virtual cards and
checks what the reader adapter (through the probe) and the CLI see."""
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PROBE, CLI = sys.argv[1], sys.argv[2]
SOCKET = "/run/pcscd/pcscd.comm"
CARD_A = "012E00FF12345678"
CARD_B = "0A0B0C0D0E0F1011"
failures = []
children = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def start(args, **kwargs):
    process = subprocess.Popen(args, **kwargs)
    children.append(process)
    return process


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def start_pcscd(config_dir):
    if os.path.exists(SOCKET):
        os.unlink(SOCKET)
    process = start(["pcscd", "-f", "-c", config_dir], stdout=subprocess.DEVNULL,
                    stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.exists(SOCKET):
            time.sleep(0.3)
            return process
        time.sleep(0.05)
    raise RuntimeError("pcscd did not start")


def start_card(idm):
    process = start(["/usr/bin/python3", os.path.join(HERE, "virtual_felica_card.py"), idm],
                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    line = process.stdout.readline()
    if "card on reader" not in line:
        raise RuntimeError("the virtual card did not connect")
    return process


class Probe:
    def __init__(self):
        self.process = start([PROBE, "pcsc"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             text=True)
        self.messages = []
        while True:
            line = self.process.stdout.readline().strip()
            if line == "ready":
                break
            self.messages.append(line)

    def ask(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        return self.process.stdout.readline().strip()

    def poll_until(self, wanted, seconds=4.0):
        deadline = time.monotonic() + seconds
        answer = None
        while time.monotonic() < deadline:
            answer = self.ask("poll")
            if answer == wanted:
                return answer
            time.sleep(0.1)
        return answer


def main():
    subprocess.run(["mount", "-t", "tmpfs", "tmpfs", "/run"], check=True)
    os.makedirs("/run/pcscd", exist_ok=True)
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    empty_conf = tempfile.mkdtemp(prefix="pcsc-empty-")
    vpcd_conf = tempfile.mkdtemp(prefix="pcsc-vpcd-")
    with open(os.path.join(vpcd_conf, "vpcd"), "w") as conf:
        conf.write('FRIENDLYNAME "Virtual PCD"\nDEVICENAME /dev/null:35963\n'
                   "LIBPATH /usr/lib/pcsc/drivers/serial/libifdvpcd.so\n")

    # No reader at start-up while pcscd runs: no box for somebody to close, polls find nothing,
    # and the reader is reported as not connected (the screen says so until one is plugged in).
    pcscd = start_pcscd(empty_conf)
    probe = Probe()
    check(probe.messages == [], "no reader: no opening box (%s)" % probe.messages)
    check(probe.ask("poll") == "none", "no reader: poll finds no card")
    check(probe.ask("disconnected") == "yes", "no reader: reported as not connected")
    cli = subprocess.run([CLI, "reader", "--timeout", "1"], capture_output=True, text=True)
    check(cli.returncode == 1 and "カードリーダーが接続されていません。" in cli.stderr,
          "no reader: the CLI exits 1 with the reason")

    # A reader appears later (pcscd now has vpcd): the same adapter starts using it.
    stop(pcscd)
    pcscd = start_pcscd(vpcd_conf)
    card = start_card(CARD_A)
    check(probe.poll_until("card " + CARD_A) == "card " + CARD_A, "reader appearing: card read")
    check(probe.ask("poll") == "card " + CARD_A, "a card left on the reader is read again")
    check(probe.ask("disconnected") == "no", "reader in use: not disconnected")
    cli = subprocess.run([CLI, "reader", "--timeout", "5"], capture_output=True, text=True)
    check(cli.returncode == 0 and cli.stdout == CARD_A + "\n", "the CLI prints the card (%r)" % cli.stdout)

    # Card removed, then a different card with bytes below 0x10.
    stop(card)
    check(probe.poll_until("none") == "none", "card removed: no card")
    cli = subprocess.run([CLI, "reader", "--timeout", "1"], capture_output=True, text=True)
    check(cli.returncode == 1 and "カードがかざされませんでした" in cli.stderr, "the CLI times out without a card")
    card = start_card(CARD_B)
    check(probe.poll_until("card " + CARD_B) == "card " + CARD_B, "a different card keeps its leading zeros")

    # The service stops: polls find nothing and the adapter reports the reader disconnected.
    stop(pcscd)
    check(probe.poll_until("none") == "none", "service stopped: no card")
    check(probe.ask("disconnected") == "yes", "service stopped: disconnected")

    # The service and the reader come back: the same adapter reads again, no restart.
    pcscd = start_pcscd(vpcd_conf)
    stop(card)
    card = start_card(CARD_A)
    check(probe.poll_until("card " + CARD_A, seconds=8.0) == "card " + CARD_A,
          "reader back: card read without a restart")
    check(probe.ask("disconnected") == "no", "reader back: no longer disconnected")

    probe.ask("quit")
    for child in children:
        stop(child)
    total = 15
    print("%d passed, %d failed" % (total - len(failures), len(failures)), flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    try:
        code = main()
    finally:
        for child in children:
            if child.poll() is None:
                child.kill()
    sys.exit(code)
