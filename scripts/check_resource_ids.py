#!/usr/bin/env python3
"""Checks the resource numbers of the module and its tests.

Every header of ids ("framework/FrameworkIds.h", "snapins/<tool>/<Tool>Ids.h",
"tests/framework/TestIds.h") declares the numbers it owns in a line
"// Block: 400-440 1102-1114 32875"; each id it defines must lie in its block,
and no name may be defined twice. The resource compiler accepts a string
number twice without a word and keeps one of the texts, so every string table
of the scripts is read and a number used twice is reported.

Usage: check_resource_ids.py <source folder>
"""
import pathlib
import re
import sys

DEFINE = re.compile(r'^\s*#\s*define\s+(\w+)\s+(\d+)\s*(?://.*)?$')
BLOCK = re.compile(r'^//\s*Block:\s*(.+)$')


def id_headers(root):
    yield root / 'framework' / 'FrameworkIds.h'
    yield from sorted(root.glob('snapins/*/*Ids.h'))
    yield from sorted(root.glob('tests/framework/TestIds.h'))


def parse_block(text):
    ranges = []
    for part in text.split():
        low, _, high = part.partition('-')
        ranges.append((int(low), int(high or low)))
    return ranges


def read_headers(root, problems):
    values = {}
    owner = {}
    for header in id_headers(root):
        if not header.exists():
            continue
        relative = header.relative_to(root)
        ranges = None
        for number, line in enumerate(header.read_text(encoding='utf-8').splitlines(), 1):
            block = BLOCK.match(line.strip())
            if block:
                ranges = parse_block(block.group(1))
                continue
            define = DEFINE.match(line)
            if not define:
                continue
            name, value = define.group(1), int(define.group(2))
            if name.startswith(('RT_', 'IDH_')):
                continue  # resource types and help contexts are no numbers of the block
            if name in owner:
                problems.append(f'{relative}:{number}: {name} is also defined in {owner[name]}')
                continue
            owner[name], values[name] = relative, value
            if ranges is None:
                problems.append(f'{relative}: no "// Block:" line before the first id')
            elif not any(low <= value <= high for low, high in ranges):
                problems.append(f'{relative}:{number}: {name} = {value} lies outside the block')
    return values


def string_tables(script):
    """(name or number, line number) of every entry of every STRINGTABLE."""
    inside = False
    for number, line in enumerate(script.read_text(encoding='utf-8').splitlines(), 1):
        words = line.split()
        if not words or words[0].startswith('//'):
            continue
        if words[0] == 'STRINGTABLE':
            inside = True
        elif inside and words[0] == 'END':
            inside = False
        elif inside and words[0] != 'BEGIN':
            yield words[0].rstrip(','), number


def check(root):
    problems = []
    values = read_headers(root, problems)
    seen = {}
    scripts = sorted(root.glob('resources/*.rc')) + sorted(root.glob('tests/framework/*.rc'))
    for script in scripts:
        relative = script.relative_to(root)
        for key, number in string_tables(script):
            value = int(key) if key.isdigit() else values.get(key)
            if value is None:
                problems.append(f'{relative}:{number}: {key} has no number in any header of ids')
                continue
            if value in seen and seen[value][0] != key:
                problems.append(f'{relative}:{number}: string {value} ({key}) is also {seen[value][0]} '
                                f'at {seen[value][1]}')
            seen.setdefault(value, (key, f'{relative}:{number}'))
    return problems


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else '.').resolve()
    problems = check(root)
    for problem in problems:
        print(problem)
    print(f'{len(problems)} problem(s) in the resource numbers')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
