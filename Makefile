# The two commands a user needs: `make run` and `make test`.
.PHONY: all setup native sanitize win32 win64 test test-native test-sanitize test-win32 test-win64 run bench fuzz dist clean

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

win64:
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j $(JOBS)

test-native: native
	ctest --preset native

test-sanitize: sanitize
	ctest --preset sanitize

test-win32: win32
	$(XVFB) ctest --preset win32

test-win64: win64
	$(XVFB) ctest --preset win64

# Everything: native tests, the same tests under the sanitizers, and the
# Windows builds' tests under Wine with an X display: the 64-bit build always,
# the 32-bit one where this machine can execute 32-bit code.
test: setup
	@rm -rf build/native/reports build/sanitize/reports build/win32/reports build/win64/reports build/win32.skipped
	$(MAKE) --no-print-directory test-native test-sanitize test-win64
	@if reason=$$(scripts/can-run-32); then \
	  $(MAKE) --no-print-directory test-win32; \
	else \
	  echo "$$reason" > build/win32.skipped; \
	fi
	@scripts/test-summary build/native build/sanitize build/win64 build/win32

# Builds and starts the real program (under Wine; with no display, under
# Xvfb, leaving a screenshot in build/screenshot.png).
run: setup
	@scripts/run

bench: native
	@scripts/bench

fuzz:
	@scripts/fuzz

# The zip a Windows user downloads: the 32-bit program and a usage text.
dist: setup
	@scripts/dist

clean:
	rm -rf build
