# Quick start:  make run   (build and start Ordfalk under Wine)
#               make test  (build everything and run every test)
.PHONY: all deps host windows windows-clang run test dist screenshots clean

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

run: windows
	tools/run.sh

test: host windows windows-clang
	ctest --preset host
	tools/with-wine.sh sh -c 'ctest --preset windows && ctest --preset windows-clang'
	tools/check-reproducible.sh

# The portable release archive: build/dist/Ordfalk-<version>-win64.zip
dist: windows
	tools/make-dist.sh build/windows/bin/Ordfalk.exe build/dist

# Renews the window pictures of the user guide in docs/.
screenshots: windows
	tools/screenshots.sh

clean:
	rm -rf build
