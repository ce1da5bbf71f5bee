# Front door to the CMake build. `make run` builds and starts the program,
# `make test` builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-all bench install clean portable sanitize tsan clang fuzz bitbases book

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/tarnchess

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE long

# Everything, the long reference suites included.
test-all: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bench/tarn_bench
	@$(BUILD)/tarnchess bench

# Regenerates data/EndgameBitbases.tbb by retrograde analysis; the same
# sources always give the same bytes.
bitbases: configure
	@cmake --build $(BUILD) -j $(JOBS) --target generate_bitbases
	@$(BUILD)/tools/generate_bitbases data/EndgameBitbases.tbb

# Rebuilds data/TestBook.tcb from the named opening lines in tools/book/openings:
# every position searched to BOOK_DEPTH on one thread per shard (the scores
# are the same on every run), every move graded, the sound ones kept. The
# verdict on every move goes to tools/book/verification.tsv.
BOOK_DEPTH ?= 14
BOOK_LINES = $(sort $(wildcard tools/book/openings/*.tsv))
book: configure
	@cmake --build $(BUILD) -j $(JOBS) --target make_book
	@mkdir -p $(BUILD)/book && rm -f $(BUILD)/book/scores-*.tsv
	@for i in $$(seq 0 $$(($(JOBS) - 1))); do \
	  $(BUILD)/tools/make_book score --depth $(BOOK_DEPTH) --shard $$i/$(JOBS) $(BOOK_LINES) > $(BUILD)/book/scores-$$i.tsv & \
	done; wait
	@$(BUILD)/tools/make_book build --report tools/book/verification.tsv $(BUILD)/book/scores-*.tsv -- $(BOOK_LINES) data/TestBook.tcb

install: build
	@cmake --install $(BUILD) --prefix $(or $(PREFIX),/usr/local)

# Plain x86-64 without AVX2/BMI2.
portable:
	@$(MAKE) --no-print-directory test BUILD=build-portable CMAKE_FLAGS="-DTARN_PORTABLE=ON"

# AddressSanitizer and UndefinedBehaviorSanitizer, then ThreadSanitizer.
sanitize:
	@ASAN_OPTIONS=allocator_may_return_null=1 $(MAKE) --no-print-directory test BUILD=build-asan CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_SANITIZE=address,undefined -DTARN_BENCH=OFF"
tsan:
	@TSAN_OPTIONS=allocator_may_return_null=1 $(MAKE) --no-print-directory test BUILD=build-tsan CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_SANITIZE=thread -DTARN_BENCH=OFF"

# The same build with clang.
clang:
	@$(MAKE) --no-print-directory test BUILD=build-clang CMAKE_FLAGS="-DCMAKE_CXX_COMPILER=clang++"

# libFuzzer targets (clang), each run for FUZZ_SECONDS on its seed corpus.
FUZZ_SECONDS ?= 30
fuzz: deps
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DTARN_FUZZ=ON -DTARN_TESTS=ON -DTARN_BENCH=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@for f in build-fuzz/tests/fuzz/fuzz_*; do \
	  name=$$(basename $$f | sed 's/^fuzz_//'); \
	  mkdir -p build-fuzz/corpus/$$name; \
	  echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -max_len=4096 build-fuzz/corpus/$$name tests/fuzz/corpus/$$name 2>&1 | tail -n 2 || exit 1; \
	done

clean:
	@rm -rf build build-*
