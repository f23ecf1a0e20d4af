# Set-up and everyday commands. Each target installs the Debian packages that are missing,
# configures and builds; nothing is downloaded at build time.
BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := g++ cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev \
            nlohmann-json3-dev libboost-dev libcli11-dev

.PHONY: all deps configure build demo test bench clean format

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DZKL_BUILD_BENCH=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@mkdir -p out
	$(BUILD)/zkl-labeller render examples/demo_sheet.json -o out/demo.svg
	$(BUILD)/zkl-labeller auto examples/demo_sheet.json -o out/demo_annotated.json --svg out/demo_annotated.svg
	@echo "Wrote out/demo.svg, out/demo_annotated.json and out/demo_annotated.svg"

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/zkl_bench --benchmark_counters_tabular=true

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) out
