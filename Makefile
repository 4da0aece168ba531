# The two commands a user needs: `make run` and `make test`.
.PHONY: all setup native sanitize win32 test test-native test-sanitize test-win32 run bench fuzz clean

JOBS ?= 2
XVFB := xvfb-run -a -s "-screen 0 1024x768x24"

all: native win32

setup:
	@scripts/setup

native:
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

sanitize:
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize -j $(JOBS)

win32:
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)

test-native: native
	ctest --preset native

test-sanitize: sanitize
	ctest --preset sanitize

test-win32: win32
	$(XVFB) ctest --preset win32

# Everything: native tests, the same tests under the sanitizers, and the
# Windows build's tests under Wine with an X display.
test: setup
	@rm -rf build/native/reports build/sanitize/reports build/win32/reports
	$(MAKE) --no-print-directory test-native test-sanitize test-win32
	@scripts/test-summary build/native build/sanitize build/win32

# Builds and starts the real program (under Wine; with no display, under
# Xvfb, leaving a screenshot in build/screenshot.png).
run: setup win32
	@scripts/run

bench: native
	@scripts/bench

fuzz:
	@scripts/fuzz

clean:
	rm -rf build
