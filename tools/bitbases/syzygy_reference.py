#!/usr/bin/env python3
"""Scores positions with Debian's Stockfish probing Syzygy tables, for checking the bitbases.

Reads "FEN;bit" lines (as `generate_bitbases --sample` prints them) on standard
input and writes "FEN;bit;wdl" lines, wdl being the Syzygy result for the side
to move: 2 win, 1 win only without the fifty-move rule, 0 draw, -1 loss saved by
the fifty-move rule, -2 loss.

At the root Stockfish ranks the moves by the tables and reports a decisive
score (beyond 5000 centipawns) for a table win or loss and a score near 0 for a
draw; with "Syzygy50MoveRule" off, wins that need more than fifty moves count
as wins too. Each win or loss found that way is asked again with the rule on to
tell the two kinds apart. A side to move without moves gets "mate 0"
(checkmated) or 0 (stalemate).

    syzygy_reference.py SYZYGY_FOLDER [STOCKFISH] < samples > results
"""
import subprocess
import sys


class Engine:
    def __init__(self, path, folder, rule50):
        self.p = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")
        self.send("setoption name SyzygyPath value " + folder)
        self.send("setoption name Syzygy50MoveRule value " + ("true" if rule50 else "false"))
        self.send("setoption name Threads value 1")
        self.send("isready")
        self.wait("readyok")

    def send(self, line):
        self.p.stdin.write(line + "\n")

    def wait(self, prefix):
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise RuntimeError("stockfish ended")
            if line.startswith(prefix):
                return line

    def score(self, fen):
        """Side-to-move score: ('cp', n) or ('mate', n)."""
        self.send("position fen " + fen)
        self.send("go depth 1")
        last = None
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise RuntimeError("stockfish ended")
            words = line.split()
            if "score" in words:
                i = words.index("score")
                last = (words[i + 1], int(words[i + 2]))
            if line.startswith("bestmove"):
                return last

    def close(self):
        self.send("quit")
        self.p.wait()


def classify(score):
    kind, value = score
    if kind == "mate":
        return 2 if value > 0 else -2
    if value >= 5000:
        return 2
    if value <= -5000:
        return -2
    if abs(value) <= 10:
        return 0
    raise ValueError("not a table score: %r" % (score,))


def main():
    folder = sys.argv[1]
    path = sys.argv[2] if len(sys.argv) > 2 else "/usr/games/stockfish"
    plain = Engine(path, folder, False)
    strict = Engine(path, folder, True)
    for line in sys.stdin:
        line = line.strip()
        if not line:
            continue
        fen = line.split(";")[0]
        wdl = classify(plain.score(fen))
        if wdl != 0 and classify(strict.score(fen)) == 0:
            wdl //= 2
        print("%s;%d" % (line, wdl), flush=True)
    plain.close()
    strict.close()


if __name__ == "__main__":
    main()
