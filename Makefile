# The two everyday commands: `make run` and `make test`.
JOBS      ?= $(shell nproc)
DEBUG_DIR := build/debug
REL_DIR   := build/release
FUZZ_DIR  := build/fuzz

.PHONY: all deps build run test bench fuzz clean screenshot

all: build

deps:
	@bash scripts/install-deps.sh

$(DEBUG_DIR)/build.ninja: | deps
	cmake -S . -B $(DEBUG_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELO_SANITIZE=ON

$(REL_DIR)/build.ninja: | deps
	cmake -S . -B $(REL_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: deps $(DEBUG_DIR)/build.ninja
	cmake --build $(DEBUG_DIR) -j $(JOBS)

release: deps $(REL_DIR)/build.ninja
	cmake --build $(REL_DIR) -j $(JOBS)

run: release
	$(REL_DIR)/src/ui/zelo8051 examples

test: build
	cd $(DEBUG_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: release
	cmake --build $(REL_DIR) --target zelo_bench -j $(JOBS)
	$(REL_DIR)/bench/zelo_bench
	@for s in bench/*.sh; do [ -x "$$s" ] && bash "$$s" $(REL_DIR) || true; done

fuzz: deps
	bash scripts/fuzz.sh

screenshot: release
	bash scripts/screenshot.sh $(REL_DIR)

clean:
	rm -rf build
