# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=

.PHONY: run test build configure deps bench fuzz clean format install package
PREFIX ?= /usr/local

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR)

run: build
	@bash scripts/run-demo $(BUILD_DIR)

test: build
	@STAMPWELL_CMAKE_FLAGS="$(CMAKE_FLAGS)" bash scripts/run-tests $(BUILD_DIR)

fuzz: deps
	@bash scripts/run-fuzz $(BUILD_DIR)-fuzz 60

# Installs the programs, their picture and sounds, the menu entry and its icon under PREFIX.
install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# A Debian package in the build folder (stampwell_<version>_<arch>.deb).
package: build
	@cd $(BUILD_DIR) && cpack -G DEB >/dev/null && ls -1 $$(pwd)/stampwell_*.deb

bench: build
	@$(BUILD_DIR)/bench/stampwell_bench
	@$(BUILD_DIR)/bench/stampwell_ui_bench

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	@rm -rf $(BUILD_DIR) $(BUILD_DIR)-asan $(BUILD_DIR)-fuzz
