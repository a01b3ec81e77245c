# Entry points. Everything builds with CMake and Ninja under build/.
BUILD      ?= build
BUILD_ASAN ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all bootstrap demo test test-asan bench format clean

all: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

bootstrap:
	@scripts/bootstrap

$(BUILD)/build.ninja: | bootstrap
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

$(BUILD_ASAN)/build.ninja: | bootstrap
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DKRVWD7_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)

demo: all
	@scripts/demo $(BUILD)/bin/krvwd7

test: all
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN) -j $(JOBS) --target krvwd7_tests krvwd7
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: all
	$(BUILD)/bin/krvwd7_bench --benchmark_counters_tabular=true

format:
	find host include KRVWD7Core.m tools tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)
