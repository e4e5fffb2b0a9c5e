# Quick start:  make run   (build and start Ordfalk under Wine)
#               make test  (build everything and run every test)
#               make fuzz  (each fuzz target for FUZZ_SECONDS, default 60)
.PHONY: all deps host windows fuzz-build run test fuzz clean

FUZZ_SECONDS ?= 60
# How long `make test` fuzzes each target, after replaying its kept inputs.
FUZZ_SMOKE_SECONDS ?= 5

all: host windows

deps:
	@tools/install-deps.sh

host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows

fuzz-build: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz

run: windows
	tools/run.sh

test: host windows fuzz-build
	ctest --preset host
	tools/with-wine.sh ctest --preset windows
	tools/run-fuzz.sh $(FUZZ_SMOKE_SECONDS)

fuzz: fuzz-build
	tools/run-fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf build
