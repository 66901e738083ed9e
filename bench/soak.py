#!/usr/bin/env python3
"""A long run under faults, measured: every sector of a generated quote site
(about 4,000 companies over paged listings) read by vantora-cli with the
pauses scaled to 0, while the local quote server fails 5 % of the listing and
profile requests in each fault class (429, 503, 500, 404, a dropped
connection, a page of another layout). The run is killed twice and resumed,
resumed again after any early stop, and then the failed companies are read
again until every one is ok. Reports the companies lost and doubled (both
must be 0), the wall time, and the peak memory of the CLI.

    bench/soak.py --cli build-bench/cli/vantora-cli \
                  --server build-bench/tools/quote_server/vantora-quote-server
"""
import argparse
import csv
import io
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

PER_PAGE = 50
REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def sector_codes():
    """The 33 sector codes, from the CLI's sector table in the worker."""
    text = open(os.path.join(REPO, "worker", "Job.cpp"), encoding="utf-8").read()
    codes = re.findall(r'\{"(\d{4})",\s*"', text)
    if len(codes) != 33:
        sys.exit("soak: cannot read the 33 sector codes from worker/Job.cpp")
    return codes


def listing_page(sector, hits, codes, page, pages):
    items = "".join(
        '<li class="_SearchResultItem__item_1q0Jt"><a href="{{BASE}}/quote/%s.T" '
        'class="_SearchResultItem__link_2bV8d"><span class="_SearchResultItem__name_3c2Ly">'
        "会社%s</span></a></li>" % (code, code) for code in codes)
    pager = '<a href="/search/qi/?ids=%s&amp;page=%d">次へ</a>' % (sector, page + 1) if page < pages else ""
    return ('<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>\n'
            '<div id="root"><main><p class="_SearchResultHeader__count_1bH3x">全<!-- -->%d<!-- -->件中</p>'
            '<ul class="_SearchResultList__list_2pR8k">%s</ul><nav>%s</nav></main></div>\n</body></html>\n'
            % (hits, items, pager))


def make_site(root, per_sector):
    """Writes the site; returns the codes of every company in it."""
    template = open(os.path.join(REPO, "tests", "fixtures", "site", "profile", "1301.html"), encoding="utf-8").read()
    os.makedirs(os.path.join(root, "search"))
    os.makedirs(os.path.join(root, "profile"))
    everyone = []
    next_code = 1000
    for sector in sector_codes():
        codes = [str(next_code + i) for i in range(per_sector)]
        next_code += per_sector
        everyone += codes
        pages = (len(codes) + PER_PAGE - 1) // PER_PAGE
        for page in range(1, pages + 1):
            name = sector if page == 1 else "%s-%d" % (sector, page)
            chunk = codes[(page - 1) * PER_PAGE:page * PER_PAGE]
            with open(os.path.join(root, "search", name + ".html"), "w", encoding="utf-8") as f:
                f.write(listing_page(sector, len(codes), chunk, page, pages))
        for code in codes:
            with open(os.path.join(root, "profile", code + ".html"), "w", encoding="utf-8") as f:
                f.write(template.replace("1301", code))
    return everyone


def report_lines(path):
    try:
        with open(path, "rb") as f:
            return f.read().count(b"\r\n")
    except FileNotFoundError:
        return 0


class Cli:
    def __init__(self, binary, base, folder):
        self.binary, self.base, self.folder = binary, base, folder
        self.peak_kb = 0
        self.runs = []

    def run(self, args, kill_at_lines=None):
        env = dict(os.environ, VANTORA_PAUSE_SCALE="0")
        command = [self.binary, "-o", "soak.csv", "--base-url", self.base] + args
        process = subprocess.Popen(command, cwd=self.folder, env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        killed = False
        report = os.path.join(self.folder, "soak.report.csv")
        while True:
            # Reaped here, not by Popen, so that the child's resource usage is read.
            pid, status, usage = os.wait4(process.pid, os.WNOHANG)
            if pid != 0:
                break
            if kill_at_lines is not None and not killed and report_lines(report) >= kill_at_lines:
                os.kill(process.pid, signal.SIGKILL)
                killed = True
            time.sleep(0.02)
        process.returncode = os.waitstatus_to_exitcode(status)
        self.peak_kb = max(self.peak_kb, usage.ru_maxrss)
        self.runs.append((" ".join(args), "killed" if killed else process.returncode))
        return "killed" if killed else process.returncode


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--server", required=True)
    parser.add_argument("--per-sector", type=int, default=121)
    parser.add_argument("--rate", type=float, default=0.05)
    parser.add_argument("--seed", type=int, default=7)
    options = parser.parse_args()

    work = tempfile.mkdtemp(prefix="vantora-soak-")
    site = os.path.join(work, "site")
    everyone = make_site(site, options.per_sector)
    server = subprocess.Popen([options.server, "--root", site,
                               "--random-faults", "%g:%d" % (options.rate, options.seed)],
                              stdout=subprocess.PIPE, text=True)
    base = server.stdout.readline().strip()
    cli = Cli(os.path.abspath(options.cli), base, work)
    started = time.monotonic()
    try:
        total = len(everyone)
        first = ["--sectors", "all", "--all-pages"]
        # Killed once a third and once two thirds of the report are written,
        # resumed after each kill and after any early stop (pages of another
        # layout, a refusing site), until it goes through.
        args = first
        for kill_at in (total // 3, 2 * total // 3, None):
            for _ in range(10):
                end = cli.run(args, kill_at_lines=kill_at)
                args = first + ["--resume"]
                if end not in (6, 7):
                    break
        rounds = 0
        for _ in range(10):
            rounds += 1
            if cli.run(["--retry-failed", "--all-pages"]) in (0, 2):
                break
        wall = time.monotonic() - started
    finally:
        server.send_signal(signal.SIGTERM)
        server.wait()

    with open(os.path.join(work, "soak.csv"), "rb") as f:
        rows = list(csv.reader(io.StringIO(f.read().decode("cp932"))))[1:]
    with open(os.path.join(work, "soak.report.csv"), "rb") as f:
        outcomes = [row[1] for row in csv.reader(io.StringIO(f.read().decode("cp932")))][1:]
    written = [row[0] for row in rows]
    seen = set(written)
    lost = [code for code in everyone if code not in seen]
    doubled = len(written) - len(seen)
    not_ok = sum(1 for outcome in outcomes if outcome != "ok")

    for args, end in cli.runs:
        print("  vantora-cli %-40s -> %s" % (args, end))
    print("companies in the site : %d (%d sectors, %d a sector, %d a listing page)"
          % (len(everyone), 33, options.per_sector, PER_PAGE))
    print("fault rate            : %g a class (6 classes) of listing and profile requests" % options.rate)
    print("records in the file   : %d" % len(written))
    print("companies lost        : %d" % len(lost))
    print("companies doubled     : %d" % doubled)
    print("report lines not ok   : %d (after %d retry rounds)" % (not_ok, rounds))
    print("wall time             : %.1f s" % wall)
    print("peak memory (CLI)     : %.1f MB" % (cli.peak_kb / 1024))
    print("work folder           : %s" % work)
    return 0 if not lost and doubled == 0 and not_ok == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
