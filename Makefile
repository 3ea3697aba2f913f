# Entry points: `make run` and `make test` set up the machine, build and run.
BUILD      ?= build
BUILD_BENCH ?= build-rel
BUILD_WINDOWS ?= build-windows
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc)

.PHONY: deps deps-windows configure program build run test test-san bench fuzz fuzz-build fuzz-keep clean install \
        package windows

deps:
	@scripts/install-deps

# The MinGW-w64 cross compiler and Wine as well, for the Windows build and its tests.
deps-windows:
	@scripts/install-deps windows

# The benchmarks have a Release build of their own (make bench); the program and its tests never
# build them. Files are compiled several at a time as one (a unity build): the shared headers are
# parsed once a batch, which takes a quarter off a build from nothing (CI's); the outputs are the same.
configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON -DODESERIES_BENCH=OFF \
	    -DODESERIES_SANITIZED_TESTS=ON -DODESERIES_WINDOWS_PROGRAM=$(abspath $(BUILD_WINDOWS))/odeseries.exe \
	    $(CMAKE_ARGS) >/dev/null

# The program with its window library and help, and nothing else.
program: configure
	@cmake --build $(BUILD) -j $(JOBS) --target odeseries

# Everything: the program and every test.
build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: program
	./$(BUILD)/odeseries

# `make install PREFIX=/opt/odeseries` (default /usr/local): the program, its window library,
# help, demos, desktop entry, icon, metainfo and manual page.
PREFIX ?= /usr/local
install: program
	cmake --build $(BUILD) -j $(JOBS) --target odeseries_manual
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, built by CPack into $(BUILD): odeseries_VERSION_ARCH.deb.
package: program
	cmake --build $(BUILD) -j $(JOBS) --target odeseries_manual
	cd $(BUILD) && cpack -G DEB

# The command line for 64-bit Windows, cross-built with MinGW-w64: $(BUILD_WINDOWS)/odeseries.exe
# with the MinGW run-time DLLs beside it (the windows are not part of it: see README). Its files
# are compiled sixteen at a time as one, which halves the build (its outputs are the same).
windows: deps-windows
	@cmake -S . -B $(BUILD_WINDOWS) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_UNITY_BUILD=ON \
	    -DCMAKE_UNITY_BUILD_BATCH_SIZE=16 -DODESERIES_GUI=OFF -DODESERIES_TESTS=OFF -DODESERIES_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_WINDOWS) -j $(JOBS) --target odeseries

# Every test, in one run: the program's, the core's again against the core, command line and
# program built a second time with AddressSanitizer and UndefinedBehaviorSanitizer (the tests'
# own code is compiled once for both), and the Windows build's outputs under Wine against Linux's.
test: deps-windows build windows
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Only the tests under the sanitizers.
test-san: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L sanitized

bench: deps
	@cmake -S . -B $(BUILD_BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release -DODESERIES_BENCH=ON -DODESERIES_TESTS=OFF >/dev/null
	@cmake --build $(BUILD_BENCH) -j $(JOBS)
	@for b in $(BUILD_BENCH)/bench/bench_*; do echo "== $$b"; $$b; done

# libFuzzer runs of the expression engine and of every file reader (clang), FUZZ_SECONDS each;
# FUZZ_READERS chooses readers. New inputs gather in build-fuzz/corpus-NAME; `make fuzz-keep`
# merges the ones that add coverage into the kept corpora that `make test` replays.
FUZZ_SECONDS ?= 600
FUZZ_READERS ?= pldif tldif pndif tndif sldif sndif series amat plot acc exports
fuzz-build: deps
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DODESERIES_FUZZ=ON -DODESERIES_BENCH=OFF >/dev/null
	@cmake --build build-fuzz --target fuzz_script $(addprefix fuzz_,$(FUZZ_READERS)) -j $(JOBS)

fuzz: fuzz-build
	mkdir -p build-fuzz/corpus
	./build-fuzz/tests/fuzz/fuzz_script -max_total_time=$(FUZZ_SECONDS) -timeout=5 \
	    -dict=tests/fuzz/script.dict build-fuzz/corpus tests/fuzz/corpus
	@for r in $(FUZZ_READERS); do \
	    mkdir -p build-fuzz/corpus-$$r; \
	    echo "== fuzz_$$r"; \
	    ./build-fuzz/tests/fuzz/fuzz_$$r -max_total_time=$(FUZZ_SECONDS) -timeout=5 -rss_limit_mb=2048 \
	        build-fuzz/corpus-$$r tests/fuzz/files/$$r || exit 1; \
	done

fuzz-keep: fuzz-build
	@for r in $(FUZZ_READERS); do \
	    ./build-fuzz/tests/fuzz/fuzz_$$r -merge=1 tests/fuzz/files/$$r build-fuzz/corpus-$$r || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(BUILD_BENCH) $(BUILD_WINDOWS) build-fuzz
