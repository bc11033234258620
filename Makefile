# make run   installs what is missing, builds and starts Quillo
# make test  installs what is missing, builds and runs the whole test suite
# make package builds the Debian package and checks it
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test sanitize-test fuzz bench package format clean

deps:
	@scripts/install-deps.sh

configure: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/quillo

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize-test: deps
	@test -f $(ASAN_BUILD)/build.ninja || cmake -S . -B $(ASAN_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=Debug -DQUILLO_SANITIZE=ON -DQUILLO_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The libFuzzer targets (clang, ASan+UBSan), each run FUZZ_SECONDS on its corpus.
fuzz: deps
	@test -f $(FUZZ_BUILD)/build.ninja || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLO_FUZZ=ON -DQUILLO_BUILD_TESTS=OFF -DQUILLO_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_all
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The figures and ratios of docs/performance.md.
bench: build
	bench/compare.sh $(BUILD) 100000
	bench/compare.sh $(BUILD) 300000 | grep -E '^(figure|csv_tool)'
	$(BUILD)/bench/quillo-gui-bench --books 100000
	$(BUILD)/bench/quillo-gui-bench --books 100000 --jis
	for books in 10000 100000 300000; do $(BUILD)/bench/quillo-startup-bench --books $$books; done
	for books in 1000 100000; do echo "printed list, $$books books"; $(BUILD)/bench/quillo-report-bench --books $$books; done
	$(BUILD)/bench/quillo-reading-bench --books 100000

# The Debian package, its desktop entry and metainfo validated, its files checked,
# its tools run from a scratch root, and Debian's checker passing it with no
# error or warning but the maintainer's mail host (no public address yet).
package: build
	desktop-file-validate src/resources/quillo.desktop
	appstreamcli validate --no-net src/resources/io.github.quillo.Quillo.metainfo.xml
	cd $(BUILD) && rm -f quillo_*.deb && cpack -G DEB
	scripts/check-package.sh $(BUILD)/quillo_*.deb
	lintian --fail-on error,warning --tag-display-limit 0 \
	  --suppress-tags bogus-mail-host,bogus-mail-host-in-debian-changelog $(BUILD)/quillo_*.deb

format: configure
	cmake --build $(BUILD) --target format

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
