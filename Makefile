# Every target installs what is missing, configures and builds in build/ first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all bootstrap configure build run test package bench sanitize sanitize-address sanitize-thread fuzz clean

all: build

bootstrap:
	@tools/bootstrap

configure: bootstrap
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Builds the program alone, not the tests and benchmarks, and starts it on a copy of the
# examples (without a display: renders them into out/).
run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target skyvane
	@tools/run_examples $(BUILD)/src/app/skyvane

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package, in build/.
package: build
	cd $(BUILD) && cpack

bench: build
	$(BUILD)/bench/bench_weather --benchmark_min_time=0.2
	$(BUILD)/bench/bench_sources --benchmark_min_time=0.2
	$(BUILD)/bench/bench_receive --benchmark_min_time=0.2
	$(BUILD)/bench/bench_render --benchmark_min_time=0.2
	$(BUILD)/bench/bench_check --benchmark_min_time=0.2
	$(BUILD)/bench/bench_engine --benchmark_min_time=0.2
	$(BUILD)/bench/bench_gui
	$(BUILD)/bench/bench_mail --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/bench_publish --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/bench_webcam --benchmark_filter='Webcam' --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/bench_webcam --benchmark_filter=Export4096
	tools/headless_memory $(BUILD)/src/app/skyvane
	tools/receive_memory $(BUILD)/src/app/skyvane

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, then the tests that use
# threads under ThreadSanitizer.
sanitize: sanitize-address sanitize-thread

sanitize-address: bootstrap
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug "-DSKYVANE_SANITIZE=address;undefined" >/dev/null
	@cmake --build build-asan -j $(JOBS)
	cd build-asan && UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

THREAD_TESTS = WorkQueue|Win32Thread|ProfileTest|Schedule|WeatherData|WeatherFileWatcher|ExportRunner

sanitize-thread: bootstrap
	@cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSKYVANE_SANITIZE=thread >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target test_export test_profiles test_weather test_net
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 die_after_fork=0 suppressions=$(CURDIR)/tools/tsan.supp" \
		ctest --output-on-failure -j $(JOBS) -R '$(THREAD_TESTS)'

# Each libFuzzer target for FUZZ_SECONDS, starting from the seeds in fuzz/seeds/<target>.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = data_file base64 mime_text profiles_file smtp_reply nmcli_output ftp_reply realtime_text \
	clientraw_text station_post

fuzz:
	@tools/bootstrap fuzz
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DSKYVANE_FUZZ=ON "-DSKYVANE_SANITIZE=address;undefined" >/dev/null
	@cmake --build build-fuzz -j $(JOBS) $(addprefix --target fuzz_,$(FUZZ_TARGETS))
	@for target in $(FUZZ_TARGETS); do \
		mkdir -p build-fuzz/corpus/$$target build-fuzz/findings; \
		echo "fuzz_$$target for $(FUZZ_SECONDS) s"; \
		build-fuzz/fuzz/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 \
			-print_final_stats=1 -artifact_prefix=$(CURDIR)/build-fuzz/findings/ \
			$(CURDIR)/build-fuzz/corpus/$$target $(CURDIR)/fuzz/seeds/$$target 2>&1 \
			| grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY)' \
			|| true; \
		test -z "$$(ls build-fuzz/findings)" || { ls build-fuzz/findings; exit 1; }; \
	done

clean:
	rm -rf $(BUILD)
