# The two commands of the README: `make run` (the window) and `make test` (every test). Both
# install what they need first, so they work on a fresh Debian 12 machine.

BUILD ?= build
CMAKE_FLAGS ?=
ARGS ?=

.PHONY: all deps configure build run test test-sanitize test-windows install package clean bench fuzz

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

# The whole test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B build-asan -G Ninja -DVEXARO_SANITIZE=ON -DVEXARO_BENCH=OFF >/dev/null
	@cmake --build build-asan
	@ctest --test-dir build-asan --output-on-failure -j2

# The Windows build: both programs and their tests, cross-compiled with MinGW-w64 in
# $(WINDOWS_BUILD) against a Qt for Windows that scripts/windows-qt builds once from Debian's
# sources (or finds in its cache), and run under Wine: the tests, the acceptance checks, a
# comparison with this machine's own vexaro (built without the window in $(HOST_BUILD)), then the
# ZIP and the installer of package-windows, installed, run and removed again.
WINDOWS_BUILD ?= build-windows
HOST_BUILD ?= build-host

.PHONY: windows-configure package-windows
windows-configure:
	@scripts/install-deps windows
	@cmake -S . -B $(HOST_BUILD) -G Ninja -DVEXARO_WINDOW=OFF -DVEXARO_TESTS=OFF -DVEXARO_BENCH=OFF \
	  >/dev/null
	@cmake --build $(HOST_BUILD) --target vexaro
	@grep -qs qt.toolchain.cmake $(WINDOWS_BUILD)/CMakeCache.txt || \
	  rm -rf $(WINDOWS_BUILD)/CMakeCache.txt $(WINDOWS_BUILD)/CMakeFiles
	@qt=$$(scripts/windows-qt) && cmake -S . -B $(WINDOWS_BUILD) -G Ninja --no-warn-unused-cli \
	  -DCMAKE_TOOLCHAIN_FILE=$$qt/lib/cmake/Qt6/qt.toolchain.cmake \
	  -DQT_CHAINLOAD_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
	  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
	  -DVEXARO_BENCH=OFF -DVEXARO_HOST_VEXARO=$(abspath $(HOST_BUILD))/bin/vexaro >/dev/null
	@cmake --build $(WINDOWS_BUILD)

test-windows: windows-configure
	@# The Wine prefixes first: made by the first test, they can outlast the others' time limits.
	@# Their Wine server is let go before the tests, so the window's starts with its display.
	@wineserver=$$(command -v wineserver || echo /usr/lib/wine/wineserver); \
	for prefix in wine-prefix wine-prefix-window; do \
	  export WINEPREFIX=$(abspath $(WINDOWS_BUILD))/$$prefix; \
	  scripts/wine-run cmd /c ver >/dev/null && $$wineserver -w; done
	@ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j2
	@scripts/package-windows $(WINDOWS_BUILD)
	@scripts/check-windows-package $(WINDOWS_BUILD)

# The ZIP and the NSIS installer of the Windows build, in $(WINDOWS_BUILD)/package, checked under
# Wine: installed, run and removed again.
package-windows: windows-configure
	@scripts/package-windows $(WINDOWS_BUILD)
	@scripts/check-windows-package $(WINDOWS_BUILD)

# Host time of the link, settings and melody paths on the simulated device, against the USB's own
# time. The build folder is RelWithDebInfo (optimized), so these are release-like numbers; the
# program states its build type above its table. ARGS go to the benchmark program (e.g.
# ARGS=--benchmark_repetitions=5).
bench: build
	@$(BUILD)/bench/bench_vexaro $(ARGS)
	@if [ -x $(BUILD)/bench/bench_arrival ]; then umockdev-wrapper $(BUILD)/bench/bench_arrival; fi

# The naming rules of .clang-tidy over every source file that this build compiles (the Windows-only
# files are checked by the cross build's compiler, not here). Fails on the first name that breaks them.
# Then actionlint over the GitHub Actions workflows (scripts/actionlint).
lint: build
	@sed -n 's|^ *"file": "$(CURDIR)/\(.*\)",*$$|\1|p' $(BUILD)/compile_commands.json \
	  >$(BUILD)/lint-compiled.txt; \
	files=$$(git ls-files 'src/*.cpp' 'tests/*.cpp' 'bench/*.cpp' 'fuzz/*.cpp' 'tools/*.cpp' | \
	  grep -F -x -f $(BUILD)/lint-compiled.txt); \
	  run-clang-tidy -quiet -p $(BUILD) $$files >$(BUILD)/lint.log 2>&1 || \
	  { grep -E 'error:|warning:' $(BUILD)/lint.log | sort -u; exit 1; }; \
	  echo "lint: the names of $$(echo $$files | wc -w) files follow .clang-tidy"
	@scripts/actionlint .github/workflows/*.yml && echo "lint: actionlint finds nothing in the workflows"

install: build
	@cmake --install $(BUILD)

# A Debian package, built with the /usr prefix in its own folder, then installed into a scratch
# root, run from there and removed again.
package: deps
	@cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DVEXARO_TESTS=OFF -DVEXARO_BENCH=OFF >/dev/null
	@cmake --build build-package
	@cd build-package && cpack -G DEB >/dev/null
	@scripts/check-package build-package/vexaro-usb-link_*.deb

clean:
	@rm -rf $(BUILD) build-asan build-fuzz build-package $(WINDOWS_BUILD) $(HOST_BUILD)

# The libFuzzer targets of fuzz/, built with clang in $(FUZZ_BUILD) and run for $(FUZZ_SECONDS)
# seconds each. New inputs go to a working copy of each corpus in $(FUZZ_BUILD)/fuzz-corpus; the
# checked-in corpus is only read. A crashing input lands in $(FUZZ_BUILD)/fuzz-findings.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DVEXARO_FUZZ=ON -DVEXARO_BENCH=OFF \
	  >/dev/null
	@cmake --build $(FUZZ_BUILD) --target fuzzers
	@mkdir -p $(FUZZ_BUILD)/fuzz-findings $(FUZZ_BUILD)/fuzz-logs
	@failed=0; \
	for source in fuzz/fuzz_*.cpp; do \
	  target=$$(basename $$source .cpp); \
	  work=$(FUZZ_BUILD)/fuzz-corpus/$$target; \
	  log=$(FUZZ_BUILD)/fuzz-logs/$$target.log; \
	  mkdir -p $$work && cp fuzz/corpus/$$target/* $$work/; \
	  if $(FUZZ_BUILD)/fuzz/$$target -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	       -artifact_prefix=$(FUZZ_BUILD)/fuzz-findings/$$target- \
	       $$work fuzz/corpus/$$target >$$log 2>&1; then \
	    stats=$$(awk '/DONE/ { sub("#", "", $$1); print $$1, "runs, cov", $$4 ", ft", $$6 }' $$log); \
	    echo "$$target: ok, $$stats"; \
	  else \
	    failed=1; \
	    input=$$(sed -n 's/.*Test unit written to //p' $$log); \
	    echo "$$target: FAILED, input $${input:-none saved}, log $$log"; \
	  fi; \
	done; \
	exit $$failed
