# Two entry points for a fresh machine: `make demo` (the main job) and `make test` (the whole suite).
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

WINDOWS_BUILD_DIR ?= build-windows
WEB_BUILD_DIR ?= build-web
WEB_PORT ?= 8017

.PHONY: setup configure build demo test test-sanitize windows test-windows web web-serve clean format

setup:
	@./tools/setup.sh

configure: setup
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) --parallel $(JOBS)

# Only the deliverables the demo uses: no tests or benchmarks.
demo: configure
	@cmake --build $(BUILD_DIR) --parallel $(JOBS) --target deliverables
	@./tools/demo.sh $(BUILD_DIR)

# The web edition is built first, so that the browser tests run with the rest.
test: web
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DBRISBLEEP_WEB_SITE=$(CURDIR)/$(WEB_BUILD_DIR)/site $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) --parallel $(JOBS)
	@ctest --test-dir $(BUILD_DIR) --output-on-failure --parallel $(JOBS)

# The suites under AddressSanitizer + UndefinedBehaviorSanitizer (clang, build-asan/) and the threaded
# ones under ThreadSanitizer (gcc, build-tsan/); any report fails.
test-sanitize: setup
	@JOBS=$(JOBS) ./tools/test-sanitize.sh $(CURDIR)/build-asan $(CURDIR)/build-tsan

# The Windows deliverables, cross-built with mingw-w64 into $(WINDOWS_BUILD_DIR)/ (see README, "Windows").
windows: setup
	@cmake -S . -B $(WINDOWS_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake -DBRISBLEEP_BUILD_BENCHMARKS=OFF \
		$(CMAKE_FLAGS) >/dev/null
	@cmake --build $(WINDOWS_BUILD_DIR) --parallel $(JOBS)

# The Windows suites under Wine and the determinism table against the Linux renderer.
test-windows: windows build
	@JOBS=$(JOBS) ./tools/test-windows.sh $(WINDOWS_BUILD_DIR) $(BUILD_DIR)

# The web edition, a static site in $(WEB_BUILD_DIR)/site (see README, "In the browser").
web: setup
	@cmake -S . -B $(WEB_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/emscripten-web.cmake $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(WEB_BUILD_DIR) --parallel $(JOBS)

# Serves the site on http://localhost:$(WEB_PORT)/ for trying it in a browser.
web-serve: web
	@echo "Brisbleep on http://localhost:$(WEB_PORT)/ (Ctrl+C stops it)"
	@cd $(WEB_BUILD_DIR)/site && python3 -m http.server --bind 127.0.0.1 $(WEB_PORT)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR) build-asan build-tsan $(WINDOWS_BUILD_DIR) $(WEB_BUILD_DIR)
