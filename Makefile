# make run   the program against the virtual printer (a screenshot when headless)
# make test  every suite: native under the sanitizers with a short run of each fuzz target,
#            then Windows under Wine
# make fuzz  each fuzz target for FUZZ_SECONDS (600) seconds, one after the other
# make bench the performance figures of the README
# make dist  the Windows zip, build/dist/tq350setup-VERSION-win64.zip (scripts/dist.sh)
# make screenshots  refresh the README's pictures (docs/images) from the test suite's
SHELL := /bin/bash
FUZZ_SECONDS ?= 600
.PHONY: all setup build native windows sanitize test fuzz run bench screenshots dist clean

all: build

setup:
	@scripts/setup.sh

native: setup
	cmake --preset native >/dev/null
	cmake --build --preset native

windows: setup
	cmake --preset windows >/dev/null
	cmake --build --preset windows

sanitize: setup
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize

build: native windows

# The native suites run once, in the sanitize tree, whose virtual printer also serves
# the Windows suites: it meets the real program there under the sanitizers too. The
# plain native tree is for make run and make bench.
test: windows sanitize
	ctest --preset sanitize
	TQ350_SIM=$(CURDIR)/build/sanitize/sim/tq350-sim scripts/test-windows.sh

fuzz: sanitize
	nice -n 19 scripts/fuzz.sh $(FUZZ_SECONDS)

run: native windows
	scripts/run.sh

bench: build
	cmake --build --preset native --target benchmarks
	cmake --build --preset windows --target benchmarks
	scripts/bench.sh

# Again at 144 dpi, in a prefix of its own, for the main window's picture at that size.
screenshots: build
	TQ350_SCREENSHOTS_PAPER=1 scripts/wine-session.sh ctest --preset windows -R screenshots --output-on-failure
	TQ350_DPI=144 scripts/wine-session.sh ctest --preset windows -R screenshots --output-on-failure
	mkdir -p docs/images
	cp build/screenshots/*.png docs/images/
	cp build/screenshots/144dpi/main-connected.png docs/images/main-connected-144dpi.png

# Only the shipped exes of the windows tree, not its test suites.
dist: setup
	cmake --preset windows >/dev/null
	cmake --build --preset windows --target shipped
	scripts/dist.sh build/windows/dist.txt build/dist

clean:
	rm -rf build
