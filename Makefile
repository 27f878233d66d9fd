# Set-up, build, run and test on Debian 12. Missing packages are installed first.
BUILD      ?= build
JOBS       ?= $(shell nproc)
PACKAGES   := cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev \
              qt6-multimedia-dev qt6-translations-l10n libjpeg-dev fonts-liberation libgtest-dev libgmock-dev libbenchmark-dev \
              libical-dev libicu-dev
SUDO       := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# The launcher and AppStream checks among the tests.
PACKAGES   += desktop-file-utils appstream
# The real services the tests start for themselves: a display, the session
# bus, the screen readers' bus, a CardDAV/CalDAV server and the sync tool;
# and memcheck and the debugger for the checks of the program file.
PACKAGES   += xvfb xauth dbus at-spi2-core python3-pyatspi radicale vdirsyncer valgrind gdb binutils
# Only for `make screenshots`.
SHOT_PACKAGES := xvfb xdotool imagemagick
# `make install PREFIX=...`; DESTDIR is honoured too.
PREFIX     ?= /usr/local

# Robustness runs, each in a build folder of its own (see fuzz/CMakeLists.txt).
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_RUNS  ?= 1000000
FUZZ_PACKAGES := clang libclang-rt-14-dev
SIGKILL_TRIALS ?= 300
SANITIZER_ENV := QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all deps configure build run test bench install screenshots clean deps-fuzz test-asan fuzz test-sigkill

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/bindelora

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target bench_core bench_ui
	$(BUILD)/bin/bench_core
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/bench_ui

install: configure
	cmake --build $(BUILD) -j $(JOBS) --target bindelora iconos
	cmake --install $(BUILD) --prefix $(PREFIX)

screenshots: build
	@$(MAKE) --no-print-directory deps PACKAGES="$(SHOT_PACKAGES)"
	tools/screenshots.sh $(BUILD)/bin/bindelora docs

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer;
# any report fails it.
$(ASAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 -DBINDELORA_SANITIZAR=ON

test-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -E instalacion

deps-fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"

$(FUZZ_BUILD)/CMakeCache.txt: | deps deps-fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBINDELORA_FUZZ=ON

# Every fuzz target for FUZZ_RUNS executions, one after the other.
fuzz: deps deps-fuzz $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_todos
	BUILD=$(FUZZ_BUILD) fuzz/correr.sh $(FUZZ_RUNS)

# The long run of the killed saves (CI runs a few dozen within make test).
test-sigkill: build
	BINDELORA_ENSAYOS_SIGKILL=$(SIGKILL_TRIALS) $(BUILD)/bin/test_core --gtest_filter='GuardadoInterrumpido.*'

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
