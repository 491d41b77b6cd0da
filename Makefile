# The two commands of the README: `make demo` and `make test`.
BUILD_RELEASE := build/release
BUILD_TEST    := build/test
JOBS          ?= 2
CMAKE_GEN     := -G Ninja

.PHONY: all bootstrap demo test bench release clean

all: release

bootstrap:
	./scripts/bootstrap

$(BUILD_RELEASE)/build.ninja: | bootstrap
	cmake -S . -B $(BUILD_RELEASE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF -DCORVANE_BENCH=ON -DCORVANE_WERROR=ON

release: bootstrap $(BUILD_RELEASE)/build.ninja
	cmake --build $(BUILD_RELEASE) -j $(JOBS)

demo: bootstrap $(BUILD_RELEASE)/build.ninja
	cmake --build $(BUILD_RELEASE) -j $(JOBS) --target corvane
	@echo "== corvane info (built-in document)"
	./$(BUILD_RELEASE)/apps/corvane/corvane info
	@echo
	@echo "== corvane info examples/every-type.ini"
	./$(BUILD_RELEASE)/apps/corvane/corvane info examples/every-type.ini

test: bootstrap
	cmake -S . -B $(BUILD_TEST) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_WERROR=ON
	cmake --build $(BUILD_TEST) -j $(JOBS)
	cd $(BUILD_TEST) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: release
	for b in $(BUILD_RELEASE)/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf build
