# Set-up, build, run and test on Debian 12. Missing packages are installed first.
BUILD      ?= build
JOBS       ?= $(shell nproc)
PACKAGES   := cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev \
              qt6-multimedia-dev qt6-translations-l10n libjpeg-dev fonts-liberation libgtest-dev libgmock-dev libbenchmark-dev \
              libical-dev
SUDO       := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# The launcher and AppStream checks among the tests.
PACKAGES   += desktop-file-utils appstream
# Only for `make screenshots`.
SHOT_PACKAGES := xvfb xdotool imagemagick
# `make install PREFIX=...`; DESTDIR is honoured too.
PREFIX     ?= /usr/local

.PHONY: all deps configure build run test bench install screenshots clean

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
	$(BUILD)/bin/bench_core
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/bench_ui

install: configure
	cmake --build $(BUILD) -j $(JOBS) --target bindelora iconos
	cmake --install $(BUILD) --prefix $(PREFIX)

screenshots: build
	@$(MAKE) --no-print-directory deps PACKAGES="$(SHOT_PACKAGES)"
	tools/screenshots.sh $(BUILD)/bin/bindelora docs

clean:
	rm -rf $(BUILD)
