# Every target installs what is missing, configures and builds in build/ first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all bootstrap configure build run test bench clean

all: build

bootstrap:
	@tools/bootstrap

configure: bootstrap
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/skyvane render --profiles examples/data.xml --weather examples/currdat.lst --out out

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bench/bench_weather --benchmark_min_time=0.2
	$(BUILD)/bench/bench_render --benchmark_min_time=0.2
	$(BUILD)/bench/bench_engine --benchmark_min_time=0.2
	$(BUILD)/bench/bench_mail --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/bench_publish --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	tools/headless_memory $(BUILD)/src/app/skyvane

clean:
	rm -rf $(BUILD)
