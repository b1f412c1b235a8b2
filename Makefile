# Convenience front door: every target installs what is missing first.
PRESET ?= default
BUILD_DIR = build/$(PRESET)

.PHONY: all deps configure build run test asan-test bench format clean

all: build

deps:
	@sh scripts/install-deps

configure: deps
	@test -f $(BUILD_DIR)/build.ninja || cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

run: build
	./$(BUILD_DIR)/src/app/velkreport

test: build
	ctest --preset $(PRESET)

asan-test:
	$(MAKE) test PRESET=asan

bench: deps
	sh bench/run.sh

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
