#!/usr/bin/env python3
"""Keeps the programs' start light: fails, naming program and library, when ldd lists a library
that only the version check's HTTP client needs (libcurl, TLS, Kerberos, LDAP and their kin).
libcurl is loaded when the check first runs, never at start.
Usage: check_links.py PROGRAM..."""
import re
import subprocess
import sys

heavy = re.compile(r"^lib(curl|ssl|crypto\.|gnutls|nettle|hogweed|krb5|gssapi|k5crypto|ldap|lber|sasl2|ssh|"
                   r"nghttp|rtmp|psl)", re.IGNORECASE)
faults = []
for program in sys.argv[1:]:
    listing = subprocess.run(["ldd", program], capture_output=True, text=True, check=True).stdout
    for line in listing.splitlines():
        name = line.strip().split(" ")[0]
        if heavy.match(name):
            faults.append(f"{program}: links {name}")
print("\n".join(faults) if faults else f"{len(sys.argv) - 1} programs, none links libcurl or what it brings")
sys.exit(1 if faults else 0)
