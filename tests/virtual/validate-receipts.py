#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# The receipt records against their published schema (docs/receipt.schema.json): tessivar-render
# --json on every peer fixture and decoder stream writes a roll, and each roll, and each of its
# receipts as a document of its own, must be valid; a record that breaks the schema is a record
# that a user's test suite rejects. Also checks that a broken record is rejected, so that the
# schema itself cannot be empty of rules.
#   validate-receipts.py RENDER SCHEMA STREAM...
import copy
import json
import subprocess
import sys
import tempfile

import jsonschema


def main():
    render, schema_path, streams = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    validator = jsonschema.Draft202012Validator(schema)
    failures = 0
    checked = 0
    with tempfile.TemporaryDirectory() as tmp:
        for stream in streams:
            out = f"{tmp}/roll.json"
            run = subprocess.run([render, "--json", out, stream], capture_output=True, text=True)
            if run.returncode != 0:
                print(f"FAIL {stream}: tessivar-render exited {run.returncode}: {run.stderr}")
                failures += 1
                continue
            with open(out, encoding="utf-8") as f:
                roll = json.load(f)
            documents = [roll] + [dict(r, format="tessivar-receipt") for r in roll["receipts"]
                                  if r.get("format") == "tessivar-receipt"]
            for document in documents:
                errors = sorted(validator.iter_errors(document), key=lambda e: list(e.path))
                for error in errors[:3]:
                    print(f"FAIL {stream}: {list(error.path)}: {error.message}")
                failures += bool(errors)
                checked += 1
            if roll["receipts"]:
                broken = copy.deepcopy(roll)
                broken["receipts"][0]["lines"] = [{"text": 42}]
                if validator.is_valid(broken):
                    print(f"FAIL {stream}: a line whose text is a number passes the schema")
                    failures += 1
    print(f"validate-receipts: {checked} documents from {len(streams)} streams, {failures} failed")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
