# make run   builds the generator and runs it (the six files appear beside it)
# make test  builds everything and runs the whole test suite (browser tests of
#            the view page in headless Chromium too), then again built with
#            AddressSanitizer and UndefinedBehaviorSanitizer
# make fuzz  runs every libFuzzer target for FUZZ_SECONDS (needs clang)
# make bench builds and runs the benchmarks (medians of five repetitions)

BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60

BUILD_PACKAGES = libgtest-dev libcli11-dev nlohmann-json3-dev
# The browser tests need Chromium, a font for its pictures, and Node.js with
# npm ("command:package" installs the package only when the command is
# missing, so a Node.js from elsewhere is kept).
BROWSER_PACKAGES = chromium fonts-dejavu-core node:nodejs npm:npm
TEST_PACKAGES = $(BUILD_PACKAGES) libbenchmark-dev clang libclang-rt-14-dev libxml2-utils \
	$(BROWSER_PACKAGES)
# puppeteer-core, as pinned in tests/browser/package-lock.json.
BROWSER_NODE_MODULES = tests/browser/node_modules/.package-lock.json
GENERATOR = $(BUILD)/scenario-generator

.PHONY: run test test-sanitize fuzz bench deps test-deps configure build

run: deps build
	$(GENERATOR)
	@echo "Scenario files written beside the generator, in $(abspath $(BUILD)):"
	@ls -1 $(abspath $(BUILD))/Milano_Lecco_* | sed 's/^/  /'

test: test-deps $(BROWSER_NODE_MODULES) build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-sanitize

# The whole suite again with every read and write checked; a leak, an
# out-of-bounds access or undefined behaviour fails the test that caused it.
test-sanitize: test-deps $(BROWSER_NODE_MODULES)
	cmake -S . -B $(BUILD)-asan -DSCENARIO_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

fuzz: test-deps
	scripts/run-fuzz.sh $(BUILD)-fuzz $(FUZZ_SECONDS) $(CMAKE_FLAGS)

BENCHES = $(basename $(notdir $(wildcard bench/*_bench.cc)))
BENCH_FLAGS ?= --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

bench: test-deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DSCENARIO_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD)-bench -j $(JOBS) --target $(BENCHES)
	for b in $(BENCHES); do $(BUILD)-bench/$$b $(BENCH_FLAGS) || exit 1; done

$(BROWSER_NODE_MODULES): tests/browser/package.json tests/browser/package-lock.json | test-deps
	cd tests/browser && npm ci --no-audit --no-fund

deps:
	@scripts/install-deps.sh $(BUILD_PACKAGES)

test-deps:
	@scripts/install-deps.sh $(TEST_PACKAGES)

configure:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)
