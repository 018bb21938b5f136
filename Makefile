# Nivora: `make run` builds and starts the program under Wine; `make test` builds and runs
# every test. Both install missing Debian packages when run as root.
BUILD ?= build
JOBS ?= $(shell nproc)
# The ready-made Wine prefix that scripts/with-wine.sh copies for each run.
export NV_WINE_CACHE := $(abspath $(BUILD))/wine

.PHONY: all build deps host win test run bench clean

all: build

deps:
	@scripts/deps.sh

host: deps
	@cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/host -j$(JOBS)

win: deps
	@cmake -S . -B $(BUILD)/win -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake >/dev/null
	@cmake --build $(BUILD)/win -j$(JOBS)

build: host win

test: build
	@scripts/run-tests.sh $(BUILD)

run: win
	@scripts/run.sh $(BUILD)

bench: build
	@scripts/with-wine.sh /usr/lib/wine/wine64 $(BUILD)/win/bin/hide_bench.exe

clean:
	rm -rf $(BUILD)
