# The two everyday commands: `make run` and `make test`.
JOBS      ?= $(shell nproc)
DEBUG_DIR := build/debug
REL_DIR   := build/release
FUZZ_DIR  := build/fuzz
RUN_DIR   := build/workspace

.PHONY: all deps build release run test bench fuzz clean screenshot package check-package

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

# The workbench writes listings, HEX files and statistics into its
# workspace: a copy of the examples under build/, made once, keeps the
# source tree clean and keeps the user's edits between runs.
run: release
	@[ -d $(RUN_DIR) ] || { mkdir -p build && cp -R examples $(RUN_DIR); }
	$(REL_DIR)/src/ui/zelo8051 $(RUN_DIR)

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
	bash scripts/screenshot.sh $(REL_DIR) docs/board_screenshot.png lcd_hello lcd 12000

# The Debian package, from the release build: only the two programs and the
# files that go with them are built, then CPack puts the package into
# build/release.
package: deps $(REL_DIR)/build.ninja
	cmake --build $(REL_DIR) --target z51 zelo8051 zelo_package_files -j $(JOBS)
	cd $(REL_DIR) && cpack -G DEB

# Builds the package and checks it: contents, metadata, the installed z51
# at work in a scratch root, lintian.
check-package: package
	bash scripts/check-package.sh $(REL_DIR)

clean:
	rm -rf build
