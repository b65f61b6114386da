# The two commands a newcomer needs:
#   make run    installs what is missing, builds, and runs the organizer
#               (SRC=folder DST=folder to sort your own files; none given: a generated demo library)
#   make test   installs what is missing, builds, and runs every test
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps sanitize bench clean

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
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

clean:
	rm -rf $(BUILD) build-asan
