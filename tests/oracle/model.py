#!/usr/bin/env python3
"""Independent reference model of kolmaren, kept apart from the C++ sources.

Usage (in the directory that holds any input file):
    python3 model.py < answers.txt > console.txt
writes the console text on stdout and the result files into the current
directory, as the program would.  Exit status 0 for a complete run, 1 when
the console input ended before the run was complete.

As a module: run_model(stdin_text, read_file) -> ModelResult.

Arithmetic mirrors the program operation by operation: Python floats are
IEEE doubles, math.log10/log/pow/sqrt/atan2 call the C library, and the few
places where Python raises instead of returning inf or nan (division by zero,
logarithm or root of a negative, overflowing pow) go through small wrappers
that return what x86-64 and glibc return, sign of nan included.

Where the program's behaviour is a choice of its own, the model follows the
program as observed from outside (tests/oracle/compare.py probes them):
- an answer that is not a number is left in the input whole and met again by
  every later read; a number is the longest prefix that is one (plain decimal
  for stream extraction, C strtod/strtol for the scanf-style reads), so "1e"
  read as a double gives 1 and leaves "e";
- stream extraction of an int beyond the int range saturates; of a double
  beyond the double range gives inf;
- a keyboard count above 5000 reads every pair asked for and keeps the first
  5000, after the line " Only the first 5000 breakpoints are kept. ";
- end of the console input: before the input method or the file name, the
  run stops without an analysis; anywhere else the value keeps what it held,
  the keyboard pairs stop, the run goes on, and the exit status is non-zero;
- the damping-format answer that is not a number selects Q;
- a file name longer than 259 characters is read whole and counts as a file
  that cannot be opened;
- Q text for an infinite or out-of-range Q: 2147483647 / -2147483648, nan 0;
- when two nans of opposite sign meet in a sum, overall_rms keeps the running
  sum's, the sweep keeps the new term's.
"""

import math
import os
import re
import sys

# --------------------------------------------------------------------------
# IEEE helpers

NAN_POS = math.nan
NAN_NEG = -math.nan          # the x86 "default nan" of an invalid operation
INF = math.inf

MAX_POINTS = 5000
GRID_STEP_HZ = 1.0
G_IN_PER_S2 = 386.0
FREQ_FLOOR_HZ = 0.0001
FILE_NAME_CAPACITY = 260


def isneg(x):
    return math.copysign(1.0, x) < 0.0


def div(a, b):
    """a / b with IEEE semantics (Python raises on b == 0)."""
    if b != 0.0 or math.isnan(b):
        if math.isnan(a):
            return a
        if math.isnan(b):
            return b
        return a / b
    # b is +0.0 or -0.0
    if math.isnan(a):
        return a
    if a == 0.0:
        return NAN_NEG
    return -INF if isneg(a) != isneg(b) else INF


def fadd(a, b):
    """a + b where a nan in a keeps its sign over one in b, as the C code
    a + b compiles (CPython's own a + b keeps b's)."""
    if a != a:
        return a
    return a + b


def fsub(a, b):
    if a != a:
        return a
    return a - b


def fmul(a, b):
    if a != a:
        return a
    return a * b


def csqrt(x):
    if math.isnan(x):
        return x
    if x < 0.0:
        return NAN_NEG
    return math.sqrt(x)


def clog10(x):
    if math.isnan(x):
        return x
    if x == 0.0:
        return -INF
    if x < 0.0:
        return NAN_POS       # glibc's log10 of a negative number is +nan
    if x == INF:
        return INF
    return math.log10(x)


def clog(x):
    if math.isnan(x):
        return x
    if x == 0.0:
        return -INF
    if x < 0.0:
        return NAN_NEG
    if x == INF:
        return INF
    return math.log(x)


def _is_odd_integer(y):
    return math.isfinite(y) and y == math.floor(y) and math.fmod(y, 2.0) != 0.0


def cpow(x, y):
    try:
        return math.pow(x, y)
    except OverflowError:
        if x < 0.0 and _is_odd_integer(y):
            return -INF
        return INF
    except ValueError:
        if x == 0.0 and y < 0.0:
            if isneg(x) and _is_odd_integer(y):
                return -INF
            return INF
        return NAN_NEG       # negative base, non-integer exponent


# --------------------------------------------------------------------------
# printf-style text

_CONV = re.compile(r'%([-+ #0]*)(\d*)(?:\.(\d+))?(?:l|h)?([a-zA-Z%])')


def cformat(fmt, *args):
    """printf with glibc's text for nan (sign shown) and inf."""
    out = []
    pos = 0
    argi = 0
    for m in _CONV.finditer(fmt):
        out.append(fmt[pos:m.start()])
        pos = m.end()
        flags, width, prec, conv = m.groups()
        if conv == '%':
            out.append('%')
            continue
        val = args[argi]
        argi += 1
        if conv in 'feEgG' and math.isnan(val):
            text = ('-nan' if isneg(val) else 'nan')
            out.append(text.rjust(int(width)) if width else text)
            continue
        conversion = "%" + flags + width + ('.' + prec if prec is not None else '') + conv
        out.append(conversion % val)
    out.append(fmt[pos:])
    return ''.join(out)


def g3(x):
    """A double written by console stream output: precision 3, %g rules."""
    return cformat('%.3g', x)


# --------------------------------------------------------------------------
# Input scanning

WS = ' \t\n\v\f\r'


class InputEnded(Exception):
    pass


class CharSource:
    """The console input (or an input file) as text and a read position."""

    def __init__(self, text):
        self.text = text
        self.pos = 0

    def peek(self):
        return self.text[self.pos] if self.pos < len(self.text) else None

    def peek_past_ws(self):
        p = self.pos
        while p < len(self.text) and self.text[p] in WS:
            p += 1
        return self.text[p] if p < len(self.text) else None

    def skip_ws(self):
        while self.pos < len(self.text) and self.text[self.pos] in WS:
            self.pos += 1

    # ---- scanf-style conversions ---------------------------------------
    # Each returns (status, value): status 1 converted, 0 not a number,
    # -1 end of input before the conversion.  A number is the longest
    # prefix that C strtod (strtol for "%ld") accepts; an item that is not a
    # number is left in the input whole.

    def scanf_double(self):
        self.skip_ws()
        if self.peek() is None:
            return -1, None
        value, used = strtod_prefix(self.text, self.pos)
        if used == 0:
            return 0, None
        self.pos += used
        return 1, value

    def _integer(self, bits):
        """A decimal integer saturated to a signed range of `bits` bits:
        (status, value); status 1 read, 0 not a number, -1 end of input."""
        self.skip_ws()
        if self.peek() is None:
            return -1, None
        m = _INTEGER.match(self.text, self.pos)
        if not m:
            return 0, None
        self.pos = m.end()
        v = int(m.group(0))
        return 1, max(-2 ** (bits - 1), min(2 ** (bits - 1) - 1, v))

    def scanf_long(self):
        return self._integer(64)

    def scanf_word(self):
        """"%s": one word, up to the next whitespace."""
        self.skip_ws()
        if self.peek() is None:
            return -1, None
        start = self.pos
        while self.pos < len(self.text) and self.text[self.pos] not in WS:
            self.pos += 1
        return 1, self.text[start:self.pos]

    def scanf_pair(self, first, second):
        """"%lf %lf": (values converted or -1, first, second); a value not
        converted keeps the one passed in."""
        st, v = self.scanf_double()
        if st != 1:
            return st, first, second
        first = v
        self.skip_ws()
        st, v = self.scanf_double()
        if st != 1:
            return 1, first, second
        return 2, first, v

    # ---- stream extraction ---------------------------------------------

    def stream_int(self):
        """C++ extraction of an int; a value beyond the int range saturates."""
        return self._integer(32)

    def stream_double(self):
        """C++ extraction of a double, plain decimal notation only: the
        longest prefix that is a number is taken, nothing is taken from an
        item that is not a number.  (status, value)."""
        self.skip_ws()
        if self.peek() is None:
            return -1, None
        m = _STREAM_DEC.match(self.text, self.pos)
        if not m:
            return 0, None
        self.pos = m.end()
        return 1, float(m.group(0))


_INTEGER = re.compile(r'[+-]?[0-9]+')
_STREAM_DEC = re.compile(r'[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?')
_DEC = re.compile(r'[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?')
_HEX = re.compile(r'([+-]?)0[xX]([0-9a-fA-F]+\.?[0-9a-fA-F]*|\.[0-9a-fA-F]+)([pP][+-]?[0-9]+)?')
_INF = re.compile(r'([+-]?)(infinity|inf)', re.I)
_NAN = re.compile(r'([+-]?)nan(\([0-9A-Za-z_]*\))?', re.I)


def strtod_prefix(s, pos=0):
    """C strtod on s[pos:]: (value, characters used)."""
    m = _NAN.match(s, pos)
    if m:
        return (NAN_NEG if m.group(1) == '-' else NAN_POS), m.end() - pos
    m = _INF.match(s, pos)
    if m:
        return (-INF if m.group(1) == '-' else INF), m.end() - pos
    m = _HEX.match(s, pos)
    if m:
        sign, mant, exp = m.groups()
        text = sign + '0x' + mant + ('p' + exp[1:] if exp else 'p0')
        try:
            return float.fromhex(text), m.end() - pos
        except OverflowError:
            return (-INF if sign == '-' else INF), m.end() - pos
    m = _DEC.match(s, pos)
    if m:
        return float(m.group(0)), m.end() - pos
    return 0.0, 0


# --------------------------------------------------------------------------
# The program


class ModelResult:
    def __init__(self):
        self.console = []
        self.files = {}          # name -> list of text pieces, in open order
        self.complete = False

    def console_text(self):
        return ''.join(self.console)

    def file_bytes(self):
        return {name: ''.join(parts).encode('latin-1')
                for name, parts in self.files.items()}


BANNER = [
    "\t\t\t\t\t\t\t\t\t\t\t\n",
    " kolmaren  ver 1.1, June 20, 2008\t\n",
    "\t\t\t\t\t\t\t\t\t\t\t\n",
    "\t\t\t\t\t\t\t\t\t\t\t\n",
    " This program calculates the acceleration vibration response \n",
    " spectrum of a single-degree-of-freedom system to a          \n",
    " power spectral density input to the base of the system.   \n\n",
    " The power spectral density may vary arbitrarily with frequency. \n",
    " Natural frequency is an independent variable.  Damping is fixed.\n\n",
    " This program also implements the fatigue calculation     \n",
    " Use of Vibration Response Spectrum (VRS) and Fatigue     \n",
    " Equivalence Methods for Qualification Status Comparisons, 2004 \n\n",
]

FIXED_FILES = ['a.psd', 'a.int', 'vrs.txt', 'tsvrs.txt', 'vrs.out',
               'vrs.in', 'rd_vrs.txt']


def q_text(q):
    """Integer part of Q, cut toward zero, as a signed 32-bit integer; an
    infinite or larger Q gives the end of that range, nan gives 0."""
    if math.isnan(q):
        return '0'
    if q >= 2147483648.0:
        return '2147483647'
    if q <= -2147483649.0:
        return '-2147483648'
    return '%d' % int(q)


class Kolmaren:
    def __init__(self, stdin_text, read_file):
        self.inp = CharSource(stdin_text)
        self.read_file = read_file
        self.r = ModelResult()
        self.pi = math.atan2(0.0, -1.0)
        self.two_pi = 2.0 * self.pi
        self.f = [0.0] * MAX_POINTS
        self.a = [0.0] * MAX_POINTS
        self.s = [0.0] * MAX_POINTS
        self.gf = [0.0] * MAX_POINTS
        self.gl = [0.0] * MAX_POINTS
        self.v = [0.0] * MAX_POINTS
        self.d = [0.0] * MAX_POINTS
        self.n = 0
        self.grid_count = 0
        self.df = 0.0
        self.duration = 0.0
        self.fe_choice = 0
        self.fe = 0.0
        self.fc = 0.0
        self.zeta = 0.0
        self.q = 0.0
        self.overall_acc = 0.0
        self.overall_vel = 0.0
        self.overall_disp = 0.0
        self.read_lvl = 0.0
        self.read_freq = 0.0
        self.fatigue_name = ''
        self.input_ended = False

    # ---- output helpers
    def out(self, text):
        self.r.console.append(text)

    def printf(self, fmt, *args):
        self.r.console.append(cformat(fmt, *args))

    def fwrite(self, name, fmt, *args):
        self.r.files[name].append(cformat(fmt, *args))

    # ---- Run driver
    def run(self):
        for line in BANNER:
            self.out(line)
        attempt = 1
        failed = 0
        while attempt == 1:
            marker = 0
            self.out(" Select data input method \n")
            self.out(" 1=keyboard  2=file       \n")
            st, method = self.inp.stream_int()
            if st == -1:
                raise InputEnded()      # no analysis without an input method
            if st == 0:
                method = 0
            if method == 1:
                count = self.enter_breakpoints_keyboard()
            else:
                count, marker = self.enter_breakpoints_file()
            self.out(" \n")
            if marker >= 999:
                failed += 1
                if failed == 1000:      # the program's guard against endless bad names
                    raise InputEnded()
                continue
            for name in FIXED_FILES:
                self.r.files[name] = []
            self.n = count
            self.check_and_echo_breakpoints()
            self.ask_analysis_parameters()
            self.open_fatigue_file()
            acc = self.overall_rms(self.a)
            self.resample_uniform()
            self.overall_acc = acc
            self.print_input_table()
            self.derive_velocity_displacement()
            self.print_overall_summary()
            self.sweep_response()
            self.closing()
            attempt = 9999
        self.r.complete = not self.input_ended

    def closing(self):
        for t in ["\n\n Acceleration Output files",
                  "      vrs.txt - fn(Hz) and Response(GRMS)    ",
                  "    tsvrs.txt - fn(Hz) and Response(3 sigma) ",
                  "      vrs.out - text output",
                  "\n\n Relative Displacement Output file",
                  "   rd_vrs.txt - fn(Hz) and Response(inch RMS)  "]:
            self.out(t + "\n")
        self.out(" \n Please call the *.txt files into your own plotting program.\n")
        self.printf("\n Fatigue response spectrum output file:\n")
        self.out("\n        %s - fn(Hz) and Fatigue (R) \n\n" % self.fatigue_name)
        self.printf("\n Press any key to exit")

    # ---- Breakpoint entry
    def enter_breakpoints_keyboard(self):
        self.out(" How Many Breakpoints (minimum=2)? \n")
        st, count = self.inp.stream_int()
        if st == -1:
            raise InputEnded()          # nothing to analyse without a count
        elif st == 0:
            count = 0
        if count < 2:
            self.out("Input error \n")
        if count > MAX_POINTS:
            self.out(" Only the first 5000 breakpoints are kept. \n")
        self.out(" Enter Points (free-format) \n")
        self.out(" Freq(Hz)  Level(G^2/Hz)    \n")
        # every pair asked for is read; pairs beyond the capacity are dropped
        spare_f, spare_a = 0.0, 0.0
        for i in range(count):
            if i < MAX_POINTS:
                st, self.f[i], self.a[i] = self.inp.scanf_pair(self.f[i], self.a[i])
            else:
                st, spare_f, spare_a = self.inp.scanf_pair(spare_f, spare_a)
            if st == -1 or (st == 1 and self.inp.peek_past_ws() is None):
                self.input_ended = True
                break
        return min(count, MAX_POINTS) if count >= 1 else 0

    def enter_breakpoints_file(self):
        self.printf(" The file must contain two columns: \n")
        self.printf(" Freq(Hz)  Level(G^2/Hz)    \n")
        self.printf(" \n An error message will occur if the file does not exist.\n")
        self.printf(" Input filename \n")
        st, name = self.inp.scanf_word()
        if st != 1:
            raise InputEnded()          # no analysis without a file name
        too_long = len(name) > FILE_NAME_CAPACITY - 1
        content = None if too_long else self.read_file(name)
        if content is None:
            self.printf("Input file error \n")
            return 0, 999
        src = CharSource(content)
        stored = 0
        while True:
            st, self.read_freq, self.read_lvl = src.scanf_pair(self.read_freq, self.read_lvl)
            if st < 1:
                break
            if self.read_freq > FREQ_FLOOR_HZ:
                self.f[stored] = self.read_freq
                self.a[stored] = self.read_lvl
                stored += 1
            if stored >= MAX_POINTS:
                break
        return stored, 0

    def check_and_echo_breakpoints(self):
        f, a = self.f, self.a
        for i in range(self.n):
            if i > 0 and f[i] < f[i - 1]:
                self.out(" Error:  frequencies must ascend. \n")
            if f[i] < 0.0:
                self.out(" all input numbers must be > 0.\n")
                self.out(g3(f[i]) + g3(a[i]))
            if a[i] < 0.0:
                self.out(" all input numbers must be > 0.\n")
                self.out(g3(f[i]) + g3(a[i]))
            self.fwrite('a.psd', "%lf %10.5g \n", f[i], a[i])
            self.fwrite('vrs.in', "%12.4g %12.4g \n", f[i], a[i])

    # ---- Analysis parameters
    def ask_analysis_parameters(self):
        self.out(" Enter duration (sec) \n")
        st, val = self.inp.stream_double()
        if st == 1:
            self.duration = val
        elif st == -1:
            self.input_ended = True
        self.out(" Select fatigue exponent \n")
        self.out(" 1=4.0    2=6.4       \n")
        st, choice = self.inp.stream_int()
        if st == -1:
            self.input_ended = True
            choice = self.fe_choice     # keeps its start-up value
        elif st == 0:
            choice = 0
        self.fe_choice = choice
        if choice == 1:
            self.fc = 8.0
            self.fe = 4.0
        else:
            self.fc = 65.93
            self.fe = 6.4
        self.printf("\n Enter damping format. \n 1= damping ratio   2= Q \n")
        st, fmt = self.inp.scanf_long()
        if st == -1:
            self.input_ended = True
        if st != 1:
            fmt = 2              # an answer that is not a number selects Q
        if fmt == 1:
            self.printf("\n Enter damping ratio (typically 0.05) ")
            st, val = self.inp.scanf_double()
            if st == -1:
                self.input_ended = True
            if st == 1:
                self.zeta = val
        else:
            self.printf("\n Enter amplification factor Q (typically 10) ")
            st, val = self.inp.scanf_double()
            if st == -1:
                self.input_ended = True
            if st == 1:
                self.zeta = val
            self.zeta = div(1.0, 2.0 * self.zeta)
        self.q = div(1.0, 2.0 * self.zeta)
        self.fwrite('vrs.out', "\n damping = %5.3lf \n\n", self.zeta)

    def open_fatigue_file(self):
        self.printf("\n  Q=%lf \n", self.q)
        self.printf("\n fe=%lf \n", self.fe)
        exp_text = '%d' % int(self.fe)
        if self.fe_choice != 1:
            exp_text += 'p4'
        self.fatigue_name = 'random_Q' + q_text(self.q) + '_b' + exp_text + '.txt'
        self.r.files[self.fatigue_name] = []

    # ---- Slopes and overall RMS
    def overall_rms(self, p):
        f, s, n = self.f, self.s, self.n
        area = 0.0
        for i in range(MAX_POINTS):
            s[i] = 0.0
        m = n - 1
        for i in range(m):
            if not (f[i] >= FREQ_FLOOR_HZ):
                f[i] = FREQ_FLOOR_HZ
            s[i] = div(clog10(div(p[i + 1], p[i])), clog10(div(f[i + 1], f[i])))
        for i in range(m):
            if s[i] >= -1.0001 and s[i] <= -0.9999:
                term = fmul(clog(div(f[i + 1], f[i])), fmul(p[i], f[i]))
            else:
                term = div(fsub(fmul(p[i + 1], f[i + 1]), fmul(p[i], f[i])), fadd(s[i], 1.0))
            # the old sum comes first: of two nans, its sign survives
            area = fadd(area, term)
        return csqrt(area)

    def print_input_table(self):
        f, a, s, n = self.f, self.a, self.s, self.n
        db = [(clog10(2.0) * 10.0) * s[i] for i in range(max(n - 1, 0))]
        head = ["\n*********Input Parameters************************ \n",
                "     Freq        PSD        Slope       Slope  \n",
                "     (Hz)      (G^2/Hz)     log-log    (dB/octave) \n",
                cformat("   %6.1lf    %lf \n", f[0], a[0])]
        for line in head:
            self.out(line)
        for line in head:
            self.r.files['vrs.out'].append(line)
        for i in range(n - 1):
            line = cformat("   %6.1lf    %lf    %lf     %lf  \n",
                           f[i + 1], a[i + 1], s[i], db[i])
            self.out(line)
            self.r.files['vrs.out'].append(line)

    # ---- Uniform grid
    def resample_uniform(self):
        f, a, s, n = self.f, self.a, self.s, self.n
        gf, gl = self.gf, self.gl
        self.df = GRID_STEP_HZ
        gf[0] = f[0]
        gl[0] = a[0]
        k = 1
        if n == 0:
            # no last breakpoint: nothing lies in range
            k = 1
        else:
            last = f[n - 1]
            while k < MAX_POINTS:
                gf[k] = k * self.df + f[0]
                if gf[k] > last:
                    break
                for j in range(n - 1):
                    if gf[k] >= f[j] and gf[k] <= f[j + 1]:
                        gl[k] = fmul(cpow(div(gf[k], f[j]), s[j]), a[j])
                        break
                k += 1
        self.grid_count = k - 1
        out = self.r.files['a.int']
        for j in range(self.grid_count):
            out.append(cformat("%lf %10.5g\n", gf[j], gl[j]))

    # ---- Velocity and displacement
    def derive_velocity_displacement(self):
        f, a, n = self.f, self.a, self.n
        for i in range(n):
            if f[0] >= 1.0:
                self.v[i] = div(fmul(cpow(386.0, 2.0), a[i]), cpow(fmul(self.two_pi, f[i]), 2.0))
        self.overall_vel = self.overall_rms(self.v)
        for i in range(n):
            if f[0] >= 1.0:
                self.d[i] = div(fmul(cpow(386.0, 2.0), a[i]), cpow(fmul(self.two_pi, f[i]), 4.0))
        self.overall_disp = self.overall_rms(self.d)

    def print_overall_summary(self):
        self.fwrite('vrs.out', "\n Overall acceleration = %10.3lf GRMS\n", self.overall_acc)
        self.out("\n Overall Acceleration = " + g3(self.overall_acc) + " GRMS \n")
        self.out(" Overall Velocity     = " + g3(self.overall_vel) + " (inch RMS)/sec\n")
        self.out(" Overall Displacement = " + g3(self.overall_disp) + " (inch RMS)\n")
        self.out(" Overall Displacement = " + g3(self.overall_disp * 3.0) + " (inch three sigma)\n")
        self.out("\n  Input points written to file:  vrs.in \n")

    # ---- Sweep
    def sweep_response(self):
        files = self.r.files
        vrs_txt, tsvrs, vrs_out = files['vrs.txt'], files['tsvrs.txt'], files['vrs.out']
        fat, rd = files[self.fatigue_name], files['rd_vrs.txt']
        self.printf("\n*********Output Parameters************************ \n")
        vrs_out.append("\n*********Output Parameters***************\n")
        vrs_out.append("\n     fn       Response     Response")
        vrs_out.append("\n    (Hz)      (GRMS)       (3 sigma) \n")
        self.printf("\n calculating..")
        zeta, df, T, C, b = self.zeta, self.df, self.duration, self.fc, self.fe
        N = self.grid_count
        gfs, gls = self.gf[:N], self.gl[:N]
        two_zeta = 2.0 * zeta
        step = cpow(2.0, 1.0 / 24.0)
        fn = 5.0
        counter = 0
        for row in range(1000):
            counter += 1
            if counter == 15:
                self.printf(".")
                counter = 0
            # acceleration response
            acc = 0.0
            for j in range(N):
                rho = div(gfs[j], fn)
                t = two_zeta * rho
                t2 = t * t
                u = 1.0 - rho * rho
                den = u * u + t2
                num = 1.0 + t2
                if den != 0.0:
                    h = num / den
                else:
                    h = div(num, den)
                acc = acc + (h * gls[j]) * df
            if acc != acc:
                acc = self.response_sum_exact(fn, gfs, gls)
            R = csqrt(acc)
            three = 3.0 * R
            vrs_txt.append(cformat("%lf %10.5g\n", fn, R))
            tsvrs.append(cformat("%lf %10.5g\n", fn, three))
            vrs_out.append(cformat("%10.2lf %10.3lf %10.3lf\n", fn, R, three))
            # fatigue
            s2 = fmul(R, R)
            a2 = fmul(2.0, s2)
            x = div(fmul(fn, T), s2)
            x = fmul(x, C)
            m = (b + 1.0) / 2.0
            r = cpow(div(2.0, a2), m)
            x = div(x, fmul(2.0, r))
            x = fmul(csqrt(fmul(self.pi, a2)), x)
            fat.append(cformat("%lf \t %10.5g\n", fn, x))
            # relative displacement
            fn2 = fn * fn
            e0 = two_zeta * fn
            rsum = 0.0
            for j in range(N):
                fj = gfs[j]
                dd = fn2 - fj * fj
                e = e0 * fj
                den = dd * dd + e * e
                if den != 0.0:
                    w = 1.0 / den
                else:
                    w = div(1.0, den)
                if j == 0:
                    w = w / 2.0
                rsum = rsum + (w * gls[j]) * df
            if rsum != rsum:
                rsum = self.displacement_sum_exact(fn, gfs, gls)
            rdv = div(csqrt(rsum) * G_IN_PER_S2, self.two_pi * self.two_pi)
            rd.append(cformat("%lf %12.3e\n", fn, rdv))
            fn = step * fn
            if fn > 10000.0:
                break

    # The two sums again, one operation at a time with C's choice between
    # two nans; used only when the quick sum came out nan.
    def response_sum_exact(self, fn, gfs, gls):
        two_zeta = fmul(2.0, self.zeta)
        acc = 0.0
        for fj, lj in zip(gfs, gls):
            rho = div(fj, fn)
            t = fmul(two_zeta, rho)
            t2 = fmul(t, t)
            u = 1.0 - fmul(rho, rho)
            h = div(fadd(1.0, t2), fadd(fmul(u, u), t2))
            acc = fadd(fmul(fmul(h, lj), self.df), acc)
        return acc

    def displacement_sum_exact(self, fn, gfs, gls):
        two_zeta = fmul(2.0, self.zeta)
        fn2 = fmul(fn, fn)
        rsum = 0.0
        for j, (fj, lj) in enumerate(zip(gfs, gls)):
            dd = fn2 - fmul(fj, fj)
            e = fmul(fmul(two_zeta, fn), fj)
            w = div(1.0, fadd(fmul(dd, dd), fmul(e, e)))
            if j == 0:
                w = w / 2.0
            rsum = fadd(fmul(fmul(w, lj), self.df), rsum)
        return rsum


def run_model(stdin_text, read_file):
    """stdin_text: str (latin-1 decoded bytes); read_file(name) -> str|None."""
    k = Kolmaren(stdin_text, read_file)
    try:
        k.run()
    except InputEnded:
        pass
    return k.r


def _read_cwd_file(name):
    try:
        with open(name.encode('latin-1'), 'rb') as fh:
            return fh.read().decode('latin-1')
    except OSError:
        return None


def main():
    data = sys.stdin.buffer.read().decode('latin-1')
    res = run_model(data, _read_cwd_file)
    sys.stdout.buffer.write(res.console_text().encode('latin-1'))
    sys.stdout.flush()
    for name, content in res.file_bytes().items():
        with open(name.encode('latin-1'), 'wb') as fh:
            fh.write(content)
    return 0 if res.complete else 1


if __name__ == '__main__':
    sys.exit(main())
