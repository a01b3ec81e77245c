# Entry points. Everything builds with CMake and Ninja under build/.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all bootstrap demo test test-asan bench bench-tool fuzz sweep format clean

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
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: all
	$(BUILD)/bin/krvwd7_bench --benchmark_counters_tabular=true --benchmark_repetitions=5 \
	  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true

# krvwd7 and a session load plus save against Python's json module on
# generated sessions (scripts/gen-session); exits non-zero on a missed target.
bench-tool: all
	bench/bench-tool --tool $(BUILD)/bin/krvwd7 --roundtrip $(BUILD)/bin/krvwd7_session_roundtrip \
	  --workdir $(BUILD)/bench-tool

# The full fault sweep: every host call of every operation failed in turn.
sweep: all
	$(BUILD)/bin/krvwd7_sweep

# Fuzzes the session loader, then the reading of old PSN files, then the
# DOC:PATH syntax of the commands, for FUZZ_SECONDS each with clang's
# libFuzzer; new inputs go to build-fuzz/corpus, build-fuzz/corpus-psn and
# build-fuzz/corpus-path, crashes to build-fuzz/crash-*.
fuzz: | bootstrap
	CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DKRVWD7_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target krvwd7_fuzz_session krvwd7_fuzz_psn krvwd7_fuzz_path
	mkdir -p $(BUILD_FUZZ)/corpus $(BUILD_FUZZ)/corpus-psn $(BUILD_FUZZ)/corpus-path
	cd $(BUILD_FUZZ) && ASAN_OPTIONS=detect_leaks=1 bin/krvwd7_fuzz_session -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=65536 corpus $(CURDIR)/fuzz/corpus/session $(CURDIR)/examples
	cd $(BUILD_FUZZ) && ASAN_OPTIONS=detect_leaks=1 bin/krvwd7_fuzz_psn -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=65536 corpus-psn $(CURDIR)/fuzz/corpus/psn
	cd $(BUILD_FUZZ) && ASAN_OPTIONS=detect_leaks=1 bin/krvwd7_fuzz_path -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=4096 corpus-path $(CURDIR)/fuzz/corpus/path

format:
	find host include KRVWD7Core.m tools tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
