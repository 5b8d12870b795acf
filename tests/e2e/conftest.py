"""pytest's side of the harness: the harness's options (--exe, --probe, --work-dir,
--artifacts, --keep), as test_x.py takes them when run on its own."""

import tallynix_e2e


def pytest_addoption(parser):
    group = parser.getgroup("tallynix e2e")
    for name in ("--probe", "--exe", "--work-dir", "--artifacts"):
        group.addoption(name, help="see tests/e2e/README.md")
    group.addoption("--keep", action="store_true", help="keep each test's prefix and working directory")


def pytest_configure(config):
    argv = []
    for name in ("probe", "exe", "work_dir", "artifacts"):
        value = config.getoption(name)
        if value:
            argv += ["--" + name.replace("_", "-"), value]
    if config.getoption("keep"):
        argv.append("--keep")
    chosen, _ = tallynix_e2e.parse_config(argv)
    tallynix_e2e.use_config(chosen)
