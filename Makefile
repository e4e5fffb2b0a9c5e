# Quick start:  make run   (build and start Ordfalk under Wine)
#               make test  (build everything and run every test)
#               make bench (measure Ordfalk against the floor; about 5 minutes)
.PHONY: all deps host windows run test bench clean

all: host windows

deps:
	@tools/install-deps.sh

host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows

run: windows
	tools/run.sh

test: host windows
	ctest --preset host
	tools/with-wine.sh ctest --preset windows

bench: windows
	bench/run.sh

clean:
	rm -rf build
