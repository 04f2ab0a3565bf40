# make run   builds the generator and runs it (the six files appear beside it)
# make test  builds everything and runs the whole test suite (browser tests of
#            the view page in headless Chromium too), then again built with
#            AddressSanitizer and UndefinedBehaviorSanitizer
# make check the fast loop while working: the plain build and every test but
#            the browser's, the editors' and Wine's, without the sanitizers;
#            CHECK_EXCLUDE='browser|editor|wine|slow' leaves out the round-trip
#            property tests too
# make fuzz  runs every libFuzzer target for FUZZ_SECONDS (needs clang)
# make bench builds and runs the benchmarks (medians of five repetitions),
#            then times the whole programs on the longest scenario
#            (WHOLE_PROCESS_FLAGS=--quick: a few runs only)
# make windows       cross-builds both programs for 64-bit Windows, in build-windows
# make test-windows  runs the Windows programs under Wine and compares every
#                    file and output with the Linux build's
# make dist          packs the Windows programs for scenario authors into one zip
# make vscode        packs the VS Code extension, dist/scenario-texts-<version>.vsix

BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60

BUILD_PACKAGES = libgtest-dev libcli11-dev nlohmann-json3-dev
# The browser tests need Chromium, a font for its pictures, and Node.js with
# npm ("command:package" installs the package only when the command is
# missing, so a Node.js from elsewhere is kept).
BROWSER_PACKAGES = chromium fonts-dejavu-core node:nodejs npm:npm
# The editor tests run Neovim's own language client, and unpack the VS Code
# extension.
EDITOR_PACKAGES = neovim unzip
TEST_PACKAGES = $(BUILD_PACKAGES) libbenchmark-dev clang libclang-rt-14-dev libxml2-utils \
	$(BROWSER_PACKAGES) $(EDITOR_PACKAGES)
BENCH_PACKAGES = $(TEST_PACKAGES) hyperfine time
# puppeteer-core, as pinned in tests/browser/package-lock.json.
BROWSER_NODE_MODULES = tests/browser/node_modules/.package-lock.json
# The extension's client, vsce and the grammar engine, as pinned in
# editors/vscode/package-lock.json.
VSCODE_DIR = editors/vscode
VSCODE_NODE_MODULES = $(VSCODE_DIR)/node_modules/.package-lock.json
VSCODE_VERSION := $(shell sed -n 's/^  "version": "\([0-9.]*\)".*/\1/p' $(VSCODE_DIR)/package.json)
VSIX = dist/scenario-texts-$(VSCODE_VERSION).vsix
# The cross build reads CLI11's and nlohmann/json's headers from the Linux packages.
WINDOWS_PACKAGES = g++-mingw-w64-x86-64-posix libcli11-dev nlohmann-json3-dev wine64 zip
GENERATOR = $(BUILD)/scenario-generator

WINDOWS_BUILD ?= build-windows
WINE = scripts/wine.sh
export WINEPREFIX ?= $(abspath $(WINDOWS_BUILD))/wine-prefix
VERSION := $(shell sed -n 's/^project.* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DIST_NAME = scenario-generator-$(VERSION)-windows-x86_64

.PHONY: run test check test-sanitize fuzz bench deps test-deps configure build bench-deps \
	windows windows-deps test-windows dist vscode node-deps

run: deps build
	$(GENERATOR)
	@echo "Scenario files written beside the generator, in $(abspath $(BUILD)):"
	@ls -1 $(abspath $(BUILD))/Milano_Lecco_* | sed 's/^/  /'

# The Wine comparisons are test-windows' part.
test: test-deps $(BROWSER_NODE_MODULES) $(VSCODE_NODE_MODULES) build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE wine
	$(MAKE) --no-print-directory test-sanitize

CHECK_EXCLUDE ?= browser|editor|wine

check: deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE '$(CHECK_EXCLUDE)'

# The whole suite again with every read and write checked; a leak, an
# out-of-bounds access or undefined behaviour fails the test that caused it.
test-sanitize: test-deps $(BROWSER_NODE_MODULES) $(VSCODE_NODE_MODULES)
	cmake -S . -B $(BUILD)-asan -DSCENARIO_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -LE wine

fuzz: test-deps
	scripts/run-fuzz.sh $(BUILD)-fuzz $(FUZZ_SECONDS) $(CMAKE_FLAGS)

BENCHES = $(basename $(notdir $(wildcard bench/*_bench.cc)))
BENCH_FLAGS ?= --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
WHOLE_PROCESS_FLAGS ?=

bench: bench-deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DSCENARIO_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD)-bench -j $(JOBS) --target $(BENCHES) \
	  scenario-tool scenario-generator write_longest_texts
	for b in $(BENCHES); do $(BUILD)-bench/$$b $(BENCH_FLAGS) || exit 1; done
	bench/whole_process.sh $(BUILD)-bench $(WHOLE_PROCESS_FLAGS)

$(BROWSER_NODE_MODULES): tests/browser/package.json tests/browser/package-lock.json | test-deps
	cd tests/browser && npm ci --no-audit --no-fund

$(VSCODE_NODE_MODULES): $(VSCODE_DIR)/package.json $(VSCODE_DIR)/package-lock.json | node-deps
	cd $(VSCODE_DIR) && npm ci --no-audit --no-fund

# Packed offline: no publisher login, no repository; the client's modules go
# into the package, the tests and the tools that build it do not.
vscode: $(VSCODE_NODE_MODULES)
	mkdir -p dist
	cd $(VSCODE_DIR) && node_modules/.bin/vsce package --allow-missing-repository --skip-license \
	  --out $(abspath $(VSIX))

windows: windows-deps
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

# The Linux build's programs are the reference the Windows ones must match.
test-windows: test-deps windows
	cmake -S . -B $(BUILD) -DSCENARIO_WINE_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS) --target scenario-generator scenario-tool wine_tests
	$(WINE) --prepare
	cd $(BUILD) && WINDOWS_BUILD=$(abspath $(WINDOWS_BUILD)) \
	  ctest --output-on-failure -j $(JOBS) -L wine

# One zip for authors: both programs, the README, the authors' guides, the
# built-in texts to start from and the VS Code extension.  The texts go in a
# folder of their own: beside the generator they would be overwritten and
# deleted by its run.
dist: windows vscode
	rm -rf $(WINDOWS_BUILD)/dist && mkdir -p $(WINDOWS_BUILD)/dist/$(DIST_NAME) dist
	x86_64-w64-mingw32-strip -o $(WINDOWS_BUILD)/dist/$(DIST_NAME)/scenario-generator.exe \
	  $(WINDOWS_BUILD)/scenario-generator.exe
	x86_64-w64-mingw32-strip -o $(WINDOWS_BUILD)/dist/$(DIST_NAME)/scenario-tool.exe \
	  $(WINDOWS_BUILD)/scenario-tool.exe
	cp README.md $(WINDOWS_BUILD)/dist/$(DIST_NAME)/
	mkdir $(WINDOWS_BUILD)/dist/$(DIST_NAME)/docs
	cp docs/*.md $(WINDOWS_BUILD)/dist/$(DIST_NAME)/docs/
	$(WINE) --prepare
	cd $(WINDOWS_BUILD)/dist/$(DIST_NAME) && $(abspath $(WINE)) ./scenario-tool.exe template texts >/dev/null
	cp $(VSIX) $(WINDOWS_BUILD)/dist/$(DIST_NAME)/
	rm -f dist/$(DIST_NAME).zip
	cd $(WINDOWS_BUILD)/dist && zip -X -r -q $(abspath dist)/$(DIST_NAME).zip $(DIST_NAME)
	@echo "wrote dist/$(DIST_NAME).zip:" && zip -sf dist/$(DIST_NAME).zip | sed -n 's/^  */  /p'

windows-deps:
	@scripts/install-deps.sh $(WINDOWS_PACKAGES)

deps:
	@scripts/install-deps.sh $(BUILD_PACKAGES)

test-deps:
	@scripts/install-deps.sh $(TEST_PACKAGES)

bench-deps:
	@scripts/install-deps.sh $(BENCH_PACKAGES)

node-deps:
	@scripts/install-deps.sh node:nodejs npm:npm

configure:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)
