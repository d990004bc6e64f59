# Front door for building and testing. Everything goes through CMake.
# JOBS=N sets how many compilers run at once (default: one per processor).
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# TEST_JOBS=N sets how many test programs run at once. Many tests spend part
# of their run waiting on timers, as the device and the application do, so
# twice as many as there are processors keeps the processors busy.
TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 2 )))
BUILD ?= build
BUILD_SAN ?= build-sanitize
BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 600

.PHONY: all bootstrap build run test test-sanitize bench fuzz screenshots soak clean

all: build

bootstrap:
	@bash scripts/bootstrap

CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Everything: the application, the tests and the benchmarks (built with the
# tests so that they keep compiling).
build: bootstrap
	$(CONFIGURE) -DKOLVENTRA_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)

# What `run` builds: the application, the data it reads and the udev rule,
# everything `cmake --install` puts in place (tests/Install checks an
# installation from a build folder with only these built).
RUN_TARGETS = kolventra kolventra_data kolventra_udev_rule

# Builds only the application and what its installation needs, and starts it
# from the build folder.
run: bootstrap
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS) --target $(RUN_TARGETS)
	@test -x $(BUILD)/src/kolventra || \
	  { echo "run: $(BUILD)/src/kolventra was not built (there is no src/main.cpp)" >&2; exit 1; }
	$(BUILD)/src/kolventra

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(TEST_JOBS)

# The sanitizer build runs with leak detection on; its options (sanitizer.env)
# come from the build's configuration.
test-sanitize: bootstrap
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DKOLVENTRA_SANITIZE=ON
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && env $$(cat sanitizer.env) QT_QPA_PLATFORM=offscreen \
	  ctest --output-on-failure -j $(TEST_JOBS)

# Benchmarks whose goals hold at both pixel densities run a second time at
# scale 2.
BENCH_AT_SCALE_2 = bench_mouse_tile_click

bench: bootstrap
	$(CONFIGURE) -DKOLVENTRA_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS) --target kolventra_benchmarks
	@failed=""; for b in $(BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b || failed="$$failed $${b##*/}"; done; \
	  for n in $(BENCH_AT_SCALE_2); do echo "== $(BUILD)/bench/$$n at scale 2"; \
	  QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 $(BUILD)/bench/$$n || failed="$$failed $$n(scale 2)"; done; \
	  if [ -n "$$failed" ]; then echo "goal not met or run failed:$$failed"; exit 1; fi

# Renders the user interface to PNG at scale 1 and 2 under $(BUILD)/screenshots.
screenshots: bootstrap
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS) --target kolventra_testapp
	QT_QPA_PLATFORM=offscreen $(BUILD)/tests/kolventra_testapp --screenshots $(BUILD)/screenshots/1x
	QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 $(BUILD)/tests/kolventra_testapp --screenshots $(BUILD)/screenshots/2x

fuzz: bootstrap
	@bash scripts/bootstrap --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKOLVENTRA_FUZZ=ON -DKOLVENTRA_TESTS=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS)
	bash scripts/run-fuzz $(BUILD_FUZZ) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_FUZZ)

# The seeded random user for longer: `make soak STEPS=20000 SEED=1234` (SEED
# defaults to one taken from the clock; it is printed). Runs in the sanitizer
# build so that memory faults show too.
STEPS ?= 5000
SEED ?= random
soak: bootstrap
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DKOLVENTRA_SANITIZE=ON
	cmake --build $(BUILD_SAN) -j $(JOBS) --target test_Stress
	env $$(cat $(BUILD_SAN)/sanitizer.env) QT_QPA_PLATFORM=offscreen \
	  KOLVENTRA_STRESS_STEPS=$(STEPS) KOLVENTRA_STRESS_SEED=$(SEED) \
	  $(BUILD_SAN)/tests/test_Stress --gtest_filter=Seeded/RandomUser.WholeApplicationHoldsTogether/0
