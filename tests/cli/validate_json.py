#!/usr/bin/env python3
"""Checks JSON Lines on standard input against a draft 2020-12 schema.

Prints one line per document that fails (its number and the first error)
and exits 1 if any did; 2 when a line is not JSON at all."""
import json
import sys

import jsonschema


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    failed = 0
    for number, line in enumerate(sys.stdin.read().splitlines(), 1):
        try:
            document = json.loads(line)
        except ValueError as error:
            print(f"{number}: not JSON: {error}")
            return 2
        errors = sorted(validator.iter_errors(document), key=lambda e: list(e.path))
        if errors:
            failed += 1
            print(f"{number}: {errors[0].message} at {list(errors[0].absolute_path)}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
