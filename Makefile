# The two commands a newcomer needs:
#   make run    installs what is missing, builds, and runs the organizer
#               (SRC=folder DST=folder to sort your own files; none given: a generated demo library)
#   make test   installs what is missing, builds, and runs every test
# and, for releases and measurements:
#   make package  builds the Debian package tunvale_<version>_amd64.deb in build-package/
#   make bench    builds the benchmarks and runs the whole-program timings
BUILD ?= build
PACKAGE_BUILD ?= build-package
JOBS ?= $(shell nproc)

.PHONY: run test build deps sanitize tsan bench package clean

deps:
	@./scripts/install-deps.sh

# Release (optimised, without debug information) is the quickest full build; configure a folder of
# your own with RelWithDebInfo or Debug to debug.
build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run-organizer.sh "$(BUILD)" "$(SRC)" "$(DST)"

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTUNVALE_SANITIZE=ON -DTUNVALE_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ctest --output-on-failure -j $(JOBS)

# The engine and command-line tests under ThreadSanitizer (two runs at once in one process
# among them), without the dialog.
tsan: deps
	@cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNVALE_TSAN=ON -DTUNVALE_BUILD_UI=OFF -DTUNVALE_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	@cd build-tsan && ctest --output-on-failure -j $(JOBS) -L "engine|cli"

# A release build without tests or benchmarks, installed under /usr by the package.
package: deps
	@cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTUNVALE_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	@cd $(PACKAGE_BUILD) && cpack -G DEB
	@echo "Package: $$(ls $(PACKAGE_BUILD)/tunvale_*.deb)"

# The benchmark programs are off in an ordinary build; this turns them on in $(BUILD) and runs
# the organize, small-files and conversion timings (COUNT, RUNS, SKIP_LONG=1 shorten them, see
# bench/; the small-files timing only as root).
bench: deps
	@./scripts/install-deps.sh bench
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DTUNVALE_BUILD_BENCH=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	@./bench/organize_bench.sh $(BUILD)
	@if [ "$$(id -u)" -eq 0 ]; then ./bench/small_files_bench.sh $(BUILD); \
	else echo "bench/small_files_bench.sh skipped: it mounts loop file systems, run it as root"; fi
	@./bench/conversion_bench.sh $(BUILD)

clean:
	rm -rf $(BUILD) build-asan $(PACKAGE_BUILD)
