# Convenience front door: every target installs what is missing first.
PRESET ?= default
BUILD_DIR = build/$(PRESET)

FUZZ_SECONDS ?= 60

# The window's tests, the code with a worker thread, under ThreadSanitizer.
TSAN_TESTS = MainWindowTest RunWorkerTest TextViewTest ColorgrammePageTest StationDialogTest DesktopHabitsTest ShowerPageTest AboutBoxTest LiveModeTest
# The core's own threads: the ten-minute table formatted beside the reading,
# the reports made side by side, runs on threads of their own.
TSAN_CORE_PROGRAMS = velk_data_tests velk_pipeline_tests
TSAN_CORE_TESTS = TenMinuteTableFormatter\..*|runReport_\..*

.PHONY: all deps configure build run test asan-test tsan-test bench fuzz format clean package

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

tsan-test: deps
	@test -f build/tsan/build.ninja || cmake --preset tsan
	cmake --build --preset tsan --target $(TSAN_TESTS) $(TSAN_CORE_PROGRAMS)
	ctest --preset tsan -R '^($(shell echo $(TSAN_TESTS) | tr ' ' '|')|$(TSAN_CORE_TESTS))$$'

bench: deps
	sh bench/run.sh
	bash bench/watch.sh

# libFuzzer targets (clang, ASan+UBSan), each run for FUZZ_SECONDS on top of
# the seeds in tests/fuzz/corpus; crashes land in build/fuzz/fuzz-artifacts.
fuzz: deps
	@test -f build/fuzz/build.ninja || cmake --preset fuzz
	cmake --build --preset fuzz --target fuzz_pipeline fuzz_settings
	sh tests/fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

# The Debian package, from the release preset and only the two programs:
# build/release/velkreport_VERSION_ARCH.deb.
PACKAGE_PRESET ?= release
package: deps
	@test -f build/$(PACKAGE_PRESET)/build.ninja || cmake --preset $(PACKAGE_PRESET)
	cmake --build --preset $(PACKAGE_PRESET) --target velkreport velkreport-cli
	cd build/$(PACKAGE_PRESET) && cpack -G DEB

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
