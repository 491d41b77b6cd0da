# The two commands of the README: `make demo` and `make test`.
BUILD_RELEASE := build/release
BUILD_TEST    := build/test
JOBS          ?= 2
CMAKE_GEN     := -G Ninja

BUILD_FUZZ    := build/fuzz
FUZZ_SECONDS  ?= 300

.PHONY: all bootstrap demo test bench release fuzz clean

all: release

bootstrap:
	./scripts/bootstrap

$(BUILD_RELEASE)/build.ninja: | bootstrap
	cmake -S . -B $(BUILD_RELEASE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF -DCORVANE_BENCH=ON -DCORVANE_WERROR=ON

release: bootstrap $(BUILD_RELEASE)/build.ninja
	cmake --build $(BUILD_RELEASE) -j $(JOBS)

demo: bootstrap $(BUILD_RELEASE)/build.ninja
	cmake --build $(BUILD_RELEASE) -j $(JOBS) --target corvane corvane-demo
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "== corvane-demo (built-in document)"; \
	  ./$(BUILD_RELEASE)/apps/corvane-demo/corvane-demo; \
	else \
	  echo "== no display: the built-in document and the examples rendered to pictures"; \
	  mkdir -p $(BUILD_RELEASE)/demo; \
	  ./$(BUILD_RELEASE)/apps/corvane/corvane render default $(BUILD_RELEASE)/demo/built-in.png && \
	  for doc in examples/*.ini; do \
	    ./$(BUILD_RELEASE)/apps/corvane/corvane render $$doc $(BUILD_RELEASE)/demo/$$(basename $$doc .ini).png --width 4000 || exit 1; \
	  done; \
	fi

test: bootstrap
	cmake -S . -B $(BUILD_TEST) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_WERROR=ON
	cmake --build $(BUILD_TEST) -j $(JOBS)
	cd $(BUILD_TEST) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: release
	for b in $(BUILD_RELEASE)/bench/bench_*; do echo "== $$b"; $$b; done

# Runs the document-loading fuzz target for FUZZ_SECONDS on a corpus seeded from the test data,
# the examples and what it found before; what it finds now lands in fuzz/corpus.
fuzz: bootstrap
	@command -v clang++ >/dev/null || { echo "make fuzz needs clang with libFuzzer (apt install clang)"; exit 1; }
	CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_FUZZ=ON -DCORVANE_TESTS=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_document_load
	rm -rf $(BUILD_FUZZ)/corpus && mkdir -p $(BUILD_FUZZ)/corpus
	find tests/data examples -name '*.ini' -exec cp {} $(BUILD_FUZZ)/corpus/ \;
	find fuzz/corpus -type f ! -name README.md -exec cp {} $(BUILD_FUZZ)/corpus/ \;
	./$(BUILD_FUZZ)/fuzz/fuzz_document_load -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 \
	  -artifact_prefix=fuzz/corpus/ $(BUILD_FUZZ)/corpus

clean:
	rm -rf build
