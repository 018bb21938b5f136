# Nivora: `make run` builds and starts the program under Wine; `make test` builds and runs
# every test; `make dist` makes the setup program and the portable zip in build/dist. Each
# installs missing Debian packages when run as root.
BUILD ?= build
JOBS ?= $(shell nproc)
# The ready-made Wine prefix that scripts/with-wine.sh copies for each run.
export NV_WINE_CACHE := $(abspath $(BUILD))/wine

.PHONY: all build deps host win dist test run bench fuzz clean

all: build

deps:
	@scripts/deps.sh

host: deps
	@cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Release >/dev/null
	@MAKEFLAGS= cmake --build $(BUILD)/host -j$(JOBS)

win: deps
	@cmake -S . -B $(BUILD)/win -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake >/dev/null
	@MAKEFLAGS= cmake --build $(BUILD)/win -j$(JOBS)

# The two trees build side by side, each with its own jobs: one's configure and links fill the
# other's gaps.
build: deps
	@$(MAKE) --no-print-directory -j2 host win

dist: win
	@scripts/dist.sh $(BUILD)

# The Wine prefix the tests start from is made while the build runs. The tests install the setup
# program that dist makes.
test: deps
	@scripts/wine-template.sh $(NV_WINE_CACHE) >/dev/null & \
	$(MAKE) --no-print-directory build && scripts/dist.sh $(BUILD) >/dev/null && \
	scripts/run-tests.sh $(BUILD); \
	status=$$?; wait; exit $$status

run: win
	@scripts/run.sh $(BUILD)

# The fuzzers for longer than `make test` gives them (NV_FUZZ_SECONDS each, 60 by default), from
# a fresh seed (NV_FUZZ_SEED to repeat one). Findings land in $(BUILD)/host/fuzz-findings/.
fuzz: host
	@cd $(BUILD)/host && NV_FUZZ_SECONDS=$${NV_FUZZ_SECONDS:-60} \
	    NV_FUZZ_SEED=$${NV_FUZZ_SEED:-$$(date +%s)} ./core_tests --gtest_filter='Fuzz.*'

bench: build
	@scripts/with-wine.sh /usr/lib/wine/wine64 $(BUILD)/win/bin/hide_bench.exe
	@scripts/with-wine.sh /usr/lib/wine/wine64 $(BUILD)/win/bin/watch_bench.exe
	@scripts/with-wine.sh bench/watch_idle.sh $(BUILD)
	@scripts/with-wine.sh bench/start_bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
