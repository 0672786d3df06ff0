#!/usr/bin/env python3
"""Write the expected output of every end-to-end case from the model.

    python3 make_goldens.py [--binary PATH ...] [CASE ...]

For each folder of tests/e2e/cases (or the named ones) the model is run in a
fresh temporary directory holding the case's input files, with answers.txt
on standard input; its console text goes to expected/console.txt and every
result file to expected/.  Each --binary given is then run the same way and
must produce the same bytes and exit status 0, else the case is reported
and the script fails.
"""

import argparse
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import compare  # noqa: E402
import model  # noqa: E402

CASES = os.path.join(HERE, '..', 'e2e', 'cases')


def load(case_dir):
    with open(os.path.join(case_dir, 'answers.txt'), 'rb') as fh:
        answers = fh.read().decode('latin-1')
    files = {}
    for name in os.listdir(case_dir):
        path = os.path.join(case_dir, name)
        if name != 'answers.txt' and os.path.isfile(path):
            with open(path, 'rb') as fh:
                files[name] = fh.read()
    return answers, files


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--binary', action='append', default=[])
    ap.add_argument('cases', nargs='*')
    args = ap.parse_args()
    names = args.cases or sorted(os.listdir(CASES))
    failed = 0
    for name in names:
        case_dir = os.path.join(CASES, name)
        answers, files = load(case_dir)
        complete, console, produced = compare.run_model(answers, files)
        if not complete:
            print('%s: the model says the input ends early; not a golden case' % name)
            failed += 1
            continue
        expected = os.path.join(case_dir, 'expected')
        shutil.rmtree(expected, ignore_errors=True)
        os.makedirs(expected)
        with open(os.path.join(expected, 'console.txt'), 'wb') as fh:
            fh.write(console)
        for fname, content in produced.items():
            with open(os.path.join(expected, fname), 'wb') as fh:
                fh.write(content)
        for binary in args.binary:
            problems = compare.compare_case(os.path.abspath(binary),
                                            {'answers': answers, 'files': files})
            for p in problems:
                print('%s (%s): %s' % (name, binary, p))
            failed += bool(problems)
        print('%s: %d result files%s' % (name, len(produced),
                                          ', binaries agree' if args.binary else ''))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
