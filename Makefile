# Sweepkit Lumo: the two commands of the README, and a few helpers.
.PHONY: test test-browsers run screenshots deps lint native native-asan fuzz win64 win32 dist clean

test: deps
	scripts/test-all

# The browser parsers with the real chromium and firefox-esr (installed when missing), natively
# and under Wine; make test runs the fast part on the stored profiles.
test-browsers:
	scripts/test-browsers

deps:
	scripts/install-deps

# Lays out the C++ files changed since LINT_BASE (default main) with clang-format and checks
# them with clang-tidy.
lint: deps
	scripts/lint

# The program under Wine on the shipped configuration (a virtual display when there is none).
run: deps
	scripts/run

# Pictures of the main window before and after a Show, into docs/ (the README shows them).
screenshots: deps
	scripts/screenshots

native: deps
	cmake --preset native && cmake --build --preset native && ctest --preset native

native-asan: deps
	cmake --preset native-asan && cmake --build --preset native-asan && ctest --preset native-asan

# Every fuzz target of tests/fuzz for FUZZ_SECONDS seconds each; a finding fails and leaves its
# input in build/native-asan/fuzz-findings/.
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake --preset native-asan && cmake --build --preset native-asan
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz

win64: deps
	cmake --preset win64 && cmake --build --preset win64 && scripts/wine-ctest build/win64

win32: deps
	cmake --preset win32 && cmake --build --preset win32

# Both setup programs: the 32-bit one that ships and the 64-bit one the tests install under Wine.
dist: deps
	cmake --preset win32 && cmake --build --preset win32 --target lumo_installer
	cmake --preset win64 && cmake --build --preset win64 --target lumo_installer
	rm -rf dist && mkdir -p dist
	cp build/win32/installer/SweepkitLumo-*-setup.exe build/win64/installer/SweepkitLumo-*-x64-setup.exe dist/
	@ls -l dist

clean:
	rm -rf build
