# `make run` and `make test` do all the set-up on a fresh Debian machine.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test package bench sanitize clean

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@./$(BUILD_DIR)/zelvane

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

# The Debian package, $(BUILD_DIR)/zelvane_<version>_<arch>.deb.
package: build
	@cmake --build $(BUILD_DIR) --target package

bench: build frame-bench
	@./$(BUILD_DIR)/chess_bench perft 5
	@./$(BUILD_DIR)/chess_bench search
	@./$(BUILD_DIR)/chess_bench selfplay 4 3

# Frame timings and memory of every screen at full HD, three seconds each.
.PHONY: frame-bench
FRAME_BENCH_SCREENS = splash menu levels playing dice solved gallery settings about licenses
frame-bench: build
	@for screen in $(FRAME_BENCH_SCREENS); do ./$(BUILD_DIR)/frame_bench $$screen 1920x1080 3 || exit 1; done

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DZELVANE_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_DIR) -j$(JOBS)
	@cd $(ASAN_DIR) && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure -j$(JOBS)

clean:
	@rm -rf $(BUILD_DIR) $(ASAN_DIR)
