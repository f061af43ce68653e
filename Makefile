# The two commands of the README: `make run` (the window) and `make test` (every test). Both
# install what they need first, so they work on a fresh Debian 12 machine.

BUILD ?= build
CMAKE_FLAGS ?=
ARGS ?=

.PHONY: all deps configure build run test install clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

# The real device when one is plugged in (even one this user may not open yet, so the window can
# say so), otherwise the simulated device with its memory kept in $(BUILD)/simulated-vexaro.txt.
run: build
	@if $(BUILD)/bin/vexaro list 2>/dev/null | grep -q .; then \
	  $(BUILD)/bin/vexaro-link $(ARGS); \
	else \
	  echo "No Vexaro plugged in: running on the simulated device."; \
	  $(BUILD)/bin/vexaro-link --simulate=$(BUILD)/simulated-vexaro.txt $(ARGS); \
	fi

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j2

install: build
	@cmake --install $(BUILD)

clean:
	@rm -rf $(BUILD)
