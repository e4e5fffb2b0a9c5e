# Quick start:  make run   (build and start Ordfalk under Wine)
#               make test  (build everything and run every test)
.PHONY: all deps host windows run test clean

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

clean:
	rm -rf build
