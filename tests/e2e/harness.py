"""The end-to-end harness under its old name: `import harness` in a test file
gets the package tallynix_e2e (see its docstring and README.md)."""

import sys

import tallynix_e2e

sys.modules[__name__] = tallynix_e2e
