#!/usr/bin/env python3
"""Sums korava transaction files by tuple of codes into one shorter file.

Where a transaction line goes (its group, selection rows, pool and value cube
cell) follows from its code columns alone, so the lines of one tuple of codes
can be replaced by one line that carries the sum of their amounts: korava
then finds the same pools, cells and allocations in far fewer lines. Only
what counts or quotes lines differs (README, "Larger than one machine:
summing the ledger first").

    scripts/preaggregate.py [--dimensions N] IN [IN...] OUT

Each line is read as korava reads a transaction line: lines end in CR LF, LF
or CR; fields are split at commas, a field that begins with a double quote
running to the next one; trailing blanks are dropped and missing columns are
empty. A tuple is the code columns after the amount (the first N with
--dimensions, which korava ignores the rest of), and its amounts are summed
exactly when korava holds them exactly: at most six decimals once an
exponent is applied, and under 10^32 in size. Any other line (an amount that
is no number, has more decimals or is larger, or a line over korava's limit
of 1 MiB) is written through unchanged, as korava adds or rejects such lines
one by one. A tuple's sum stands where its first nonzero amount stood, so
that korava creates the value cube's entries in the order it would for the
input files; a tuple of zero amounts only gets a line of 0 at the end, so
that korava still checks its codes.

OUT is written with CR LF line ends under a temporary name beside it and
renamed into place once complete, so it is never found half written. Prints
the lines read, written and passed through on standard error.
"""
import argparse
import decimal
import os
import re
import sys
import tempfile

# The longest line korava reads; a longer one is rejected (e005).
MOST_LINE_BYTES = 1 << 20
# The dimensions a model may have.
MOST_DIMENSIONS = 8
# A number as korava reads an amount: leading blanks, a sign, digits with an
# optional point, an optional exponent (trailing blanks are gone already).
NUMBER = re.compile(r" *[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?")
MILLIONTH = decimal.Decimal("0.000001")
EXACT_LIMIT = decimal.Decimal("1E+32")
# Sums of exact amounts need some 50 digits; a rounded sum stops the script.
SUMS = decimal.Context(prec=100, traps=[decimal.Inexact, decimal.Overflow,
                                        decimal.InvalidOperation])
# Amounts under 10^32 to the nearest millionth, rounded without complaint.
MILLIONTHS = decimal.Context(prec=100)
ZERO = decimal.Decimal(0)
LARGEST_EXACT = SUMS.subtract(EXACT_LIMIT, MILLIONTH)


def split_fields(line):
    """The fields of `line` as korava's CSV splitter gives them.

    A field that begins with a double quote runs to the next one, with no
    escape, and the character after that closing quote is skipped; a quote
    that is never closed ends its field one character before the end of the
    line, and that character begins a field of its own unless it is a comma.
    """
    if '"' not in line:
        return [field.rstrip(" ") for field in line.split(",")]
    fields = []
    length = len(line)
    p = 0
    while p < length:
        if line[p] == '"':
            close = line.find('"', p + 1, length - 1)
            q = close if close != -1 else length - 1
            text = line[p + 1:q] if q > p + 1 else ""
            p = q + 2 if line[q] == '"' else q + 1 if line[q] == "," else q
        else:
            end = line.find(",", p)
            if end == -1:
                end = length
            text = line[p:end]
            p = end + 1
        fields.append(text.rstrip(" "))
    return fields


def exact_amount(text):
    """The amount `text` writes when korava holds it exactly, else None."""
    if not NUMBER.fullmatch(text):
        return None
    amount = decimal.Decimal(text)
    if amount.is_zero():
        return ZERO
    if amount.copy_abs() >= EXACT_LIMIT or amount.quantize(MILLIONTH, context=MILLIONTHS) != amount:
        return None
    return amount


def amount_lines(total):
    """`total` as amount texts, each under 10^32 so that korava holds it exactly."""
    if total.is_zero():
        return ["0"]
    texts = []
    largest = LARGEST_EXACT.copy_sign(total)
    while total.copy_abs() >= EXACT_LIMIT:
        texts.append(format(largest, "f"))
        total = SUMS.subtract(total, largest)
    texts.append(format(total, "f"))
    return texts


def code_text(code):
    # A code holding a comma came from a quoted field, which cannot hold a
    # quote; any other code is read back as written.
    return '"' + code + '"' if "," in code else code


class Ledger:
    """The sums by tuple, and the lines written through, in the order korava
    is to meet them."""

    def __init__(self, dimensions):
        self.dimensions = dimensions
        self.sums = {}
        self.zero_tuples = {}  # tuples with only zero amounts so far
        self.order = []  # tuples and lines written through
        self.lines_read = 0
        self.passed = 0

    def add_line(self, line):
        self.lines_read += 1
        fields = split_fields(line) if len(line) <= MOST_LINE_BYTES else None
        amount = exact_amount(fields[0]) if fields else None
        if amount is None:
            self.order.append(line)
            self.passed += 1
            return
        codes = fields[1:1 + self.dimensions] if self.dimensions else fields[1:]
        # korava reads a missing column as an empty one.
        while codes and codes[-1] == "":
            codes.pop()
        codes = tuple(codes)
        if codes in self.sums:
            self.sums[codes] = SUMS.add(self.sums[codes], amount)
        elif amount.is_zero():
            self.zero_tuples[codes] = ZERO
        else:
            self.zero_tuples.pop(codes, None)
            self.sums[codes] = amount
            self.order.append(codes)

    def lines(self):
        for item in self.order + list(self.zero_tuples):
            if isinstance(item, str):
                yield item
                continue
            codes = "".join("," + code_text(code) for code in item)
            for amount in amount_lines(self.sums.get(item, ZERO)):
                yield amount + codes


def read_lines(path):
    # Latin-1 keeps every byte as one character; universal newlines end a
    # line at CR LF, LF or CR, as korava does.
    with open(path, encoding="latin-1", newline=None) as file:
        for line in file:
            yield line[:-1] if line.endswith("\n") else line


def write_file(path, lines):
    folder = os.path.dirname(os.path.abspath(path))
    handle, temporary = tempfile.mkstemp(prefix=".preaggregate-", suffix=".tmp", dir=folder)
    # mkstemp's file is the owner's alone; OUT gets what a new file gets.
    umask = os.umask(0)
    os.umask(umask)
    try:
        os.fchmod(handle, 0o666 & ~umask)
        with os.fdopen(handle, "w", encoding="latin-1", newline="") as file:
            count = 0
            for line in lines:
                file.write(line + "\r\n")
                count += 1
            file.flush()
            os.fsync(file.fileno())
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise
    return count


def parse_arguments():
    parser = argparse.ArgumentParser(
        description="Sums korava transaction files by tuple of codes into one file that "
        "korava allocates to the same figures.",
        epilog="Lines whose amount korava does not hold exactly (no number, more than six "
        "decimals, 10^32 or more) are written through unchanged.")
    parser.add_argument("--dimensions", type=int, metavar="N",
                        help="the model's number of dimensions (1 to 8): columns after the "
                        "N codes are dropped; without it every column after the amount "
                        "counts as a code")
    parser.add_argument("inputs", nargs="+", metavar="IN", help="a transaction file")
    parser.add_argument("output", metavar="OUT", help="the summed transaction file to write")
    arguments = parser.parse_args()
    if arguments.dimensions is not None and not 1 <= arguments.dimensions <= MOST_DIMENSIONS:
        parser.error(f"--dimensions {arguments.dimensions}: a model has 1 to "
                     f"{MOST_DIMENSIONS} dimensions")
    if os.path.isdir(arguments.output):
        parser.error(f"{arguments.output} is a folder; name the file to write")
    for path in arguments.inputs:
        if os.path.exists(arguments.output) and os.path.exists(path) and \
                os.path.samefile(path, arguments.output):
            parser.error(f"{arguments.output} is also an input; write the sums to another file")
    return arguments


def main():
    arguments = parse_arguments()
    ledger = Ledger(arguments.dimensions)
    for path in arguments.inputs:
        try:
            for line in read_lines(path):
                ledger.add_line(line)
        except OSError as error:
            sys.exit(f"preaggregate: cannot read {path}: {error.strerror}")
    try:
        written = write_file(arguments.output, ledger.lines())
    except OSError as error:
        sys.exit(f"preaggregate: cannot write {arguments.output}: {error.strerror}")
    print(f"preaggregate: {ledger.lines_read} lines read, {written} written, "
          f"{ledger.passed} of them passed through unchanged", file=sys.stderr)


if __name__ == "__main__":
    main()
