# Sweepkit Lumo: the two commands of the README, and a few helpers.
.PHONY: test run deps native win64 win32 clean

test: deps
	scripts/test-all

deps:
	scripts/install-deps

native: deps
	cmake --preset native && cmake --build --preset native && ctest --preset native

win64: deps
	cmake --preset win64 && cmake --build --preset win64 && scripts/wine-ctest build/win64

win32: deps
	cmake --preset win32 && cmake --build --preset win32

clean:
	rm -rf build
