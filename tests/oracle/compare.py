#!/usr/bin/env python3
"""Differential check of kolmaren against the reference model.

    python3 compare.py [--binary PATH] [--cases N] [--seed S] [--jobs J]
                       [--keep DIR] [--check-printf]

Generates random runs (console answers and input files), runs the real
binary and the model each in a fresh temporary directory, and compares the
console text and every result file byte for byte.  Every mismatch is
printed with the case, the file, the first differing line and both texts;
with --keep the inputs of failing cases are saved for replay.
"""

import argparse
import concurrent.futures
import ctypes
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import model  # noqa: E402

DEFAULT_BINARY = os.path.join(HERE, '..', '..', 'build-oracle', 'kolmaren')


# --------------------------------------------------------------------------
# random numbers written the ways a user writes them

def num_text(rng, x):
    style = rng.random()
    if style < 0.35:
        return '%g' % x
    if style < 0.55:
        return '%.6g' % x
    if style < 0.70:
        return repr(x)
    if style < 0.80:
        return '%.3e' % x
    if style < 0.90:
        return '%.4f' % x
    return '%.17g' % x


def log_uniform(rng, lo, hi):
    return math.exp(rng.uniform(math.log(lo), math.log(hi)))


def make_breakpoints(rng):
    shape = rng.random()
    if shape < 0.08:
        n = rng.choice([1, 2])
    else:
        n = rng.randint(2, 40)
    lo = rng.choice([0.5, 1.0, 5.0, 10.0, 20.0, log_uniform(rng, 0.5, 100.0)])
    hi = rng.choice([200.0, 2000.0, 6000.0, log_uniform(rng, 10.0, 6000.0)])
    if hi < lo:
        lo, hi = hi, lo
    freqs = sorted(log_uniform(rng, lo, hi) for _ in range(n))
    if rng.random() < 0.3:
        freqs = [float(round(x)) if x >= 1 else x for x in freqs]
    if rng.random() < 0.1 and n >= 2:
        i = rng.randrange(n - 1)
        freqs[i + 1] = freqs[i]                 # repeated frequency
    if rng.random() < 0.1:
        rng.shuffle(freqs)                      # not ascending
    if rng.random() < 0.05:
        freqs.reverse()
    levels = [log_uniform(rng, 1e-5, 10.0) for _ in range(n)]
    if rng.random() < 0.3:
        flat = rng.choice([0.01, 0.04, 0.1])
        levels = [flat] * n
    if rng.random() < 0.15:
        levels[rng.randrange(n)] = 0.0
    if rng.random() < 0.1:
        levels[rng.randrange(n)] = -levels[rng.randrange(n)] or -0.01
    if rng.random() < 0.05:
        freqs[rng.randrange(n)] = -abs(freqs[0])
    return list(zip(freqs, levels))


def pairs_text(rng, pairs):
    sep_style = rng.random()
    parts = []
    for f, l in pairs:
        parts.append(num_text(rng, f) + rng.choice([' ', '  ', '\t']) + num_text(rng, l))
    if sep_style < 0.7:
        return '\n'.join(parts) + '\n'
    if sep_style < 0.85:
        return ' '.join(parts) + '\n'
    return '\r\n'.join(parts) + '\r\n'


def damping_answers(rng):
    kind = rng.random()
    if kind < 0.45:
        fmt = '1'
        val = rng.choice(['0.05', '0.03', '0.1', '0.02', '0.6', '-0.05',
                          num_text(rng, log_uniform(rng, 0.001, 0.5))])
    else:
        fmt = rng.choice(['2', '2', '2', '0', '3'])
        val = rng.choice(['10', '93', '99', '49', '100', '25', '16.5',
                          str(rng.randint(1, 200)),
                          num_text(rng, log_uniform(rng, 0.6, 300.0))])
    return fmt + '\n' + val + '\n'


def param_answers(rng):
    dur = rng.choice(['60', '0', '60', '1', '3600', '0.5', '1e3',
                      num_text(rng, log_uniform(rng, 0.1, 1e4))])
    exp = rng.choice(['1', '2', '1', '2', '0', '3', '-1'])
    return dur + '\n' + exp + '\n' + damping_answers(rng)


ODD_TOKENS = ['x', 'nan', '-nan', 'inf', '-inf', '1e', '-', '+5', '.5', '5.',
              '0x10', '1e+x', '2.5', '-0', '1e999', 'abc def', '1,5', '+.e',
              'nan(12)', 'infinity', 'infinit', '0x1p', '0x', '-.5', '1e-400']


def mangle(rng, answers):
    """Replace one answer item with something that is not a plain number."""
    items = answers.split('\n')
    i = rng.randrange(len(items))
    words = items[i].split(' ')
    j = rng.randrange(len(words))
    words[j] = rng.choice(ODD_TOKENS)
    items[i] = ' '.join(words)
    return '\n'.join(items)


def make_case(rng, idx):
    """A dict: answers (str), files (name -> bytes), label."""
    files = {}
    answers = ''
    label = []
    # leading failed file attempts
    if rng.random() < 0.12:
        for k in range(rng.randint(1, 2)):
            answers += rng.choice(['2', '0', '3', '-1']) + '\nmissing_%d.txt\n' % k
        label.append('failed-file')
    pairs = make_breakpoints(rng)
    special = rng.random()
    if special < 0.04:
        pairs = [(0.0, 0.04), (100.0, 0.04)] if rng.random() < 0.5 else [(0.0, 0.04)] + pairs
        label.append('zero-first')
    if rng.random() < 0.55:
        label.append('keyboard')
        count = len(pairs)
        cnt_text = str(count)
        if rng.random() < 0.04:
            cnt_text, pairs = '0', []
        answers += '1\n' + cnt_text + '\n' + pairs_text(rng, pairs)
    else:
        label.append('file')
        name = rng.choice(['psd.txt', 'in.dat', 'spectrum'])
        body = pairs_text(rng, pairs)
        r = rng.random()
        if r < 0.1:
            body = 'Freq(Hz) Level\n' + body
            label.append('heading')
        elif r < 0.2:
            body = body + '20 0.01\n' * 0 + 'end of table\n9 9\n'
        elif r < 0.3:
            body = body + num_text(rng, log_uniform(rng, 10, 3000)) + '\n'
            label.append('odd')
        elif r < 0.38:
            body = '0 0.01\n0.0001 0.02\n-5 0.01\n1e-5 3\n' + body
            label.append('low-freqs')
        files[name] = body.encode('latin-1')
        answers += rng.choice(['2', '2', '0', '3', '-1']) + '\n' + name + '\n'
    answers += param_answers(rng)
    if rng.random() < 0.12:
        answers = mangle(rng, answers)
        label.append('mangled')
    return {'answers': answers, 'files': files, 'label': '+'.join(label),
            'name': 'case%04d' % idx}


FIXED_CASES = [
    # (name, answers, files)
    ('flat20-2000', '1\n2\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('four-point', '1\n4\n20 0.01\n80 0.04\n350 0.04\n2000 0.007\n60\n2\n2\n10\n', {}),
    ('flat20-200', '1\n2\n20 0.04\n200 0.04\n60\n1\n1\n0.05\n', {}),
    ('q93', '1\n2\n20 0.04\n2000 0.04\n60\n1\n2\n93\n', {}),
    ('damping0-5hz', '1\n3\n5 0.01\n20 0.04\n500 0.04\n60\n1\n1\n0\n', {}),
    ('single', '1\n1\n100 0.04\n60\n1\n1\n0.05\n', {}),
    ('count0', '1\n0\n60\n1\n1\n0.05\n', {}),
    ('empty-grid', '1\n2\n10 0.01\n10.5 0.01\n60\n1\n1\n0.05\n', {}),
    ('one-grid-point', '1\n2\n10 0.01\n11.5 0.01\n60\n1\n1\n0.05\n', {}),
    ('zero-first-kb', '1\n2\n0 0.04\n100 0.04\n60\n1\n1\n0.05\n', {}),
    ('descending-negative', '1\n4\n100 0.04\n50 0.04\n80 -0.04\n-10 -0.04\n60\n1\n1\n0.05\n', {}),
    ('odd-file', '2\nodd.txt\n60\n1\n1\n0.05\n', {'odd.txt': b'20 0.01 2000 0.04 3000\n'}),
    ('heading-file', '2\nh.txt\n60\n1\n1\n0.05\n', {'h.txt': b'Freq Level\n20 0.01\n2000 0.04\n'}),
    ('wide-6000', '1\n2\n10 0.01\n6000 0.01\n0\n2\n1\n0.05\n', {}),
    ('nan-level', '1\n3\n20 nan\n100 0.04\n2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('inf-q', '1\n2\n20 0.04\n2000 0.04\n60\n1\n2\ninf\n', {}),
    ('neg-nan-freq', '1\n2\n20 0.04\n-nan 0.04\n60\n1\n1\n0.05\n', {}),
    ('not-number-count', '1\nabc\n60\n1\n1\n0.05\n', {}),
    ('not-number-pair', '1\n3\n20 0.04\n100 x\n60\n1\n1\n0.05\n', {}),
    ('first-read-half', '2\nhalf.txt\n60\n1\n1\n0.05\n', {'half.txt': b'20\n'}),
    ('low-freq-file', '2\nlf.txt\n60\n1\n1\n0.05\n',
     {'lf.txt': b'0 0.01\n0.0001 0.01\n-5 0.01\n20 0.01\n2000 0.01\n'}),
    ('first-half-hz', '1\n3\n0.5 0.01\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('one-hz', '1\n3\n1 0.01\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('zero-levels', '1\n3\n20 0\n100 0\n200 0.04\n60\n1\n1\n0.05\n', {}),
    ('q0', '1\n2\n20 0.04\n2000 0.04\n60\n1\n2\n0\n', {}),
    ('ratio-neg', '1\n2\n20 0.04\n2000 0.04\n60\n2\n1\n-0.05\n', {}),
    ('ratio-big', '1\n2\n20 0.04\n2000 0.04\n60\n1\n1\n0.6\n', {}),
    ('ratio-tiny', '1\n2\n20 0.04\n2000 0.04\n60\n1\n1\n1e-12\n', {}),
    ('dfmt-x', '1\n2\n20 0.04\n2000 0.04\n60\n1\nx\n', {}),
    ('dur-x', '1\n2\n20 0.04\n2000 0.04\nx\n1\n1\n0.05\n', {}),
    ('exp-x', '1\n2\n20 0.04\n2000 0.04\n60\nx 1\n0.05\n', {}),
    ('method-x', 'x\n1\n2\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('slope-minus-one', '1\n2\n100 0.01\n1000 0.001\n60\n1\n1\n0.05\n', {}),
    ('hex-and-inf', '1\n3\n0x14 0x1p-5\n100 inf\n200 0.04\n60\n1\n1\n0.05\n', {}),
    ('count-minus', '1\n-3\n60\n1\n1\n0.05\n', {}),
    ('count-float', '1\n2.5\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('sign-only', '1\n2\n20 0.04\n2000 0.04\n-x\n1\n1\n0.05\n', {}),
    ('dur-1e', '1\n2\n20 0.04\n2000 0.04\n1e\n1\n1\n0.05\n', {}),
    ('dur-inf', '1\n2\n20 0.04\n2000 0.04\ninf\n1\n1\n0.05\n', {}),
    ('dur-overflow', '1\n2\n20 0.04\n2000 0.04\n1e999\n1\n1\n0.05\n', {}),
    ('count-overflow', '1\n99999999999\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('exp-overflow', '1\n2\n20 0.04\n2000 0.04\n60\n99999999999\n1\n0.05\n', {}),
    ('dfmt-overflow', '1\n2\n20 0.04\n2000 0.04\n60\n1\n99999999999999999999\n0.05\n', {}),
    ('eof-early', '1\n2\n20 0.04\n2000 0.04\n60\n', {}),
    ('eof-in-pairs', '1\n3\n20 0.04\n2000\n', {}),
    ('eof-method', '', {}),
    ('eof-after-fail', '2\nnope.txt\n', {}),
    ('vt-ff-separators', '1\v2\f20\v0.04\f2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('dur-minus-zero', '1\n2\n20 0.04\n2000 0.04\n-0\n1\n1\n0.05\n', {}),
    ('dur-underflow', '1\n2\n20 0.04\n2000 0.04\n1e-400\n1\n1\n0.05\n', {}),
    ('dfmt-1.5', '1\n2\n20 0.04\n2000 0.04\n60\n1\n1.5\n', {}),
    ('plus-signs', '+1\n+2\n+20 +0.04\n+2000 +4e-2\n+60\n+1\n+1\n+0.05\n', {}),
    ('nbsp-answer', '1\n2\n20 0.04\n2000 0.04\n\xa060\n1\n1\n0.05\n', {}),
    ('exact-minus-one-band', '1\n3\n10 1\n100 0.1\n1000 0.0099999\n60\n1\n1\n0.05\n', {}),
    ('span-4999', '1\n2\n1 0.01\n5000 0.01\n60\n1\n1\n0.05\n', {}),
    ('span-4998', '1\n2\n2 0.01\n5000 0.01\n60\n1\n1\n0.05\n', {}),
    ('grid-20.5-30', '1\n2\n20.5 0.01\n30 0.02\n60\n1\n1\n0.05\n', {}),
    ('ten-half', '2\nf.txt\n60\n1\n1\n0.05\n', {'f.txt': b'10 0.01 11.5 0.01'}),
    ('many-failed', '2\na\n3\nb\n-1\nc\n0\nd\n1\n2\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('method-overflow', '99999999999\nf.txt\n60\n1\n1\n0.05\n', {'f.txt': b'20 0.01 2000 0.04'}),
    ('ratio-0.03', '1\n2\n20 0.04\n2000 0.04\n60\n1\n1\n0.03\n', {}),
    ('q-whole-list', '1\n2\n20 0.04\n2000 0.04\n60\n1\n2\n99\n', {}),
    ('q-49', '1\n2\n20 0.04\n2000 0.04\n60\n1\n2\n49\n', {}),
    ('long-name', '2\n' + 'n' * 259 + '12\n1\n2\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('long-name-2', '2\n' + 'n' * 300 + '\n1\n2\n20 0.04\n2000 0.04\n60\n1\n1\n0.05\n', {}),
    ('crlf-file', '2\ncr.txt\n60\n1\n1\n0.05\n', {'cr.txt': b'20\t0.01\r\n80 0.04\r\n2000 0.04\r\n'}),
]


def big_keyboard_case():
    lines = ''.join('%d 0.01\n' % (10 + i) for i in range(5003))
    return ('count-5003', '1\n5003\n' + lines + '60\n1\n1\n0.05\n', {})


def big_file_case():
    lines = ''.join('%d 0.01\n' % (10 + i) for i in range(5003))
    return ('file-5003', '2\nbig.txt\n60\n1\n1\n0.05\n', {'big.txt': lines.encode()})


# --------------------------------------------------------------------------
# running

def run_binary(binary, answers, files):
    with tempfile.TemporaryDirectory(prefix='kolm_bin_') as d:
        for name, content in files.items():
            with open(os.path.join(d, name), 'wb') as fh:
                fh.write(content)
        try:
            p = subprocess.run([binary], input=answers.encode('latin-1'), cwd=d,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               timeout=120)
            rc, out, err = p.returncode, p.stdout, p.stderr
        except subprocess.TimeoutExpired:
            rc, out, err = 'timeout', b'', b''
        produced = {}
        for name in os.listdir(d):
            if name in files:
                continue
            with open(os.path.join(d, name), 'rb') as fh:
                produced[name] = fh.read()
        return rc, out, err, produced


def run_model(answers, files):
    def reader(name):
        key = name
        if key in files:
            return files[key].decode('latin-1')
        return None
    res = model.run_model(answers, reader)
    return res.complete, res.console_text().encode('latin-1'), res.file_bytes()


def first_diff(a, b):
    la = a.split(b'\n')
    lb = b.split(b'\n')
    for i in range(max(len(la), len(lb))):
        x = la[i] if i < len(la) else b'<missing>'
        y = lb[i] if i < len(lb) else b'<missing>'
        if x != y:
            return i + 1, x, y
    return None


def compare_case(binary, case):
    answers, files = case['answers'], case['files']
    rc, bout, berr, bfiles = run_binary(binary, answers, files)
    complete, mout, mfiles = run_model(answers, files)
    problems = []
    if complete and rc != 0:
        problems.append('exit status %r, model expects 0 (stderr %r)' % (rc, berr[:200]))
    if not complete and rc == 0:
        problems.append('exit status 0, model expects non-zero (input ended early)')
    if bout != mout:
        ln, x, y = first_diff(mout, bout)
        problems.append('console line %d:\n   model : %r\n   binary: %r' % (ln, x, y))
    for name in sorted(set(bfiles) | set(mfiles)):
        if name not in bfiles:
            problems.append('file %s missing from the binary run' % name)
        elif name not in mfiles:
            problems.append('file %s written by the binary, not by the model' % name)
        elif bfiles[name] != mfiles[name]:
            ln, x, y = first_diff(mfiles[name], bfiles[name])
            problems.append('%s line %d:\n   model : %r\n   binary: %r' % (name, ln, x, y))
    return problems


# --------------------------------------------------------------------------
# printf self-check: Python's % text against glibc's snprintf

def check_printf(rng, count):
    libc = ctypes.CDLL(None)
    buf = ctypes.create_string_buffer(512)
    fmts = ['%lf', '%10.5g', '%12.4g', '%12.3e', '%6.1lf', '%5.3lf', '%10.2lf',
            '%10.3lf', '%.3g']
    bad = 0
    for _ in range(count):
        r = rng.random()
        if r < 0.3:
            x = rng.uniform(-1e4, 1e4)
        elif r < 0.6:
            x = math.copysign(math.exp(rng.uniform(-700, 700)), rng.random() - 0.5)
        elif r < 0.8:
            x = round(rng.uniform(0, 1000), rng.randint(0, 6)) + rng.choice([0, 5e-7, 5e-4, 5e-6])
        else:
            x = rng.choice([0.0, -0.0, math.inf, -math.inf, math.nan, -math.nan,
                            0.5, 1.5, 2.5, 0.125, 0.0625, 1e-5, 99999.5, 9.9995])
        for f in fmts:
            libc.snprintf(buf, 512, f.encode(), ctypes.c_double(x))
            want = buf.value.decode()
            got = model.cformat(f, x)
            if want != got:
                bad += 1
                if bad < 20:
                    print('printf mismatch %s %r: glibc %r python %r' % (f, x, want, got))
    print('printf self-check: %d values x %d formats, %d mismatches' % (count, len(fmts), bad))
    return bad == 0


def save_case(keep, case):
    d = os.path.join(keep, case['name'])
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, 'answers.txt'), 'wb') as fh:
        fh.write(case['answers'].encode('latin-1'))
    for name, content in case['files'].items():
        with open(os.path.join(d, name), 'wb') as fh:
            fh.write(content)


def load_cases(root):
    cases = []
    for name in sorted(os.listdir(root)):
        d = os.path.join(root, name)
        files = {}
        for fname in os.listdir(d):
            if fname != 'answers.txt':
                with open(os.path.join(d, fname), 'rb') as fh:
                    files[fname] = fh.read()
        with open(os.path.join(d, 'answers.txt'), 'rb') as fh:
            answers = fh.read().decode('latin-1')
        cases.append({'name': name, 'answers': answers, 'files': files, 'label': 'replay'})
    return cases


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--binary', default=DEFAULT_BINARY)
    ap.add_argument('--cases', type=int, default=200)
    ap.add_argument('--seed', type=int, default=1)
    ap.add_argument('--jobs', type=int, default=1)
    ap.add_argument('--keep', default=None)
    ap.add_argument('--fixed-only', action='store_true')
    ap.add_argument('--no-fixed', action='store_true')
    ap.add_argument('--big', action='store_true', help='also the 5003-pair cases')
    ap.add_argument('--replay', default=None, metavar='DIR',
                    help='run the cases saved by --keep in DIR instead')
    ap.add_argument('--check-printf', type=int, default=0, metavar='N')
    args = ap.parse_args()
    binary = os.path.abspath(args.binary)
    rng = random.Random(args.seed)

    ok = True
    if args.check_printf:
        ok = check_printf(rng, args.check_printf) and ok

    cases = []
    if args.replay:
        cases = load_cases(args.replay)
        args.no_fixed = args.fixed_only = True
    if not args.no_fixed:
        fixed = list(FIXED_CASES)
        if args.big:
            fixed += [big_keyboard_case(), big_file_case()]
        for name, answers, files in fixed:
            cases.append({'name': name, 'answers': answers, 'files': files, 'label': 'fixed'})
    if not args.fixed_only:
        cases += [make_case(rng, i) for i in range(args.cases)]

    failed = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as ex:
        futs = {ex.submit(compare_case, binary, c): c for c in cases}
        for fut in concurrent.futures.as_completed(futs):
            c = futs[fut]
            problems = fut.result()
            if problems:
                failed += 1
                print('MISMATCH %s (%s)\n answers=%r files=%r' % (
                    c['name'], c['label'], c['answers'][:400],
                    {k: v[:200] for k, v in c['files'].items()}))
                for p in problems:
                    print('  ' + p)
                if args.keep:
                    save_case(args.keep, c)
    print('%d cases compared, %d passed, %d failed' % (len(cases), len(cases) - failed, failed))
    return 0 if ok and failed == 0 else 1


if __name__ == '__main__':
    sys.exit(main())
