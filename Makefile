# Set-up and everyday commands. Each target installs the Debian packages that are missing,
# configures and builds; nothing is downloaded at build time.
BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := g++ cmake ninja-build pkgconf libgtest-dev libgmock-dev libbenchmark-dev \
            nlohmann-json3-dev libboost-dev libcli11-dev libcairo2-dev fonts-dejavu-core \
            python3-ezdxf poppler-utils qt6-base-dev parallel
# What the labeller itself needs to build and run, for `make demo`.
DEMO_PACKAGES := g++ cmake ninja-build pkgconf libgtest-dev libgmock-dev nlohmann-json3-dev \
                 libboost-dev libcli11-dev libcairo2-dev fonts-dejavu-core
# A real CAD program that opens our DXF files; only `make test-interop` needs it.
INTEROP_PACKAGES := librecad poppler-utils
# libFuzzer and the sanitizer runtimes come with clang; only `make fuzz` needs them.
FUZZ_PACKAGES := clang libclang-rt-14-dev
# A one-node Slurm for the job-array script's test; heavy, so only `make test-slurm` installs it
# (without it that test skips).
SLURM_PACKAGES := slurm-wlm
# A real X display server for the desktop program's picture.
SCREENSHOT_PACKAGES := xvfb xauth
SCREENSHOT ?= docs/images/desktop.png

# The sanitizer build: every test under AddressSanitizer and UndefinedBehaviorSanitizer.
# -O1 keeps the build and the runs short; -g1 is enough for the line numbers of a report.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_JOBS ?= 2
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer

# The fuzzers (docs/fuzzing.md): each harness (or those FUZZ_HARNESSES names) runs FUZZ_SECONDS in turn.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_HARNESSES ?=
FUZZ_JOBS ?= 2

.PHONY: all deps fuzz-deps configure build demo test test-interop bench test-sanitize fuzz-build fuzz gui screenshot test-slurm clean format

all: build

# Installs the packages named in $(1) that are missing.
define install_missing
@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

fuzz-deps:
	$(call install_missing,$(PACKAGES) $(FUZZ_PACKAGES))

# The benchmarks are built by `make bench` only; a build folder that has built them keeps them.
configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DZKL_BUILD_GUI=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Builds only the program it runs, not the tests and benchmarks.
demo:
	$(call install_missing,$(DEMO_PACKAGES))
	@cmake -S . -B $(BUILD) -G Ninja >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target zkl-labeller
	@mkdir -p out
	$(BUILD)/zkl-labeller render examples/demo_sheet.json -o out/demo.svg
	$(BUILD)/zkl-labeller auto examples/demo_sheet.json -o out/demo_annotated.json --svg out/demo_annotated.svg \
	  --dxf out/demo_annotated.dxf --pdf out/demo_annotated.pdf
	$(BUILD)/zkl-labeller import-pcf examples/pipes.pcf -o out/pipes.json
	@cp examples/ZKL_Labeller.ini out/
	$(BUILD)/zkl-labeller auto out/pipes.json -o out/pipes_annotated.json --svg out/pipes_annotated.svg \
	  --pdf out/pipes_annotated.pdf
	@echo "Wrote out/demo.svg, out/demo_annotated.json, .svg, .dxf and .pdf, and from the PCF example out/pipes_annotated.json, .svg and .pdf"

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The annotated demo opened in LibreCAD and plotted to PDF, as a drafter without AutoCAD would.
test-interop: build
	$(call install_missing,$(INTEROP_PACKAGES))
	@mkdir -p out
	$(BUILD)/zkl-labeller auto examples/demo_sheet.json -o out/demo_annotated.json --dxf out/demo_annotated.dxf -q
	tests/interop/librecad_dxf2pdf.sh out/demo_annotated.dxf out/librecad

bench: deps
	@cmake -S . -B $(BUILD) -G Ninja -DZKL_BUILD_BENCH=ON -DZKL_BUILD_GUI=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	$(BUILD)/zkl_bench --benchmark_counters_tabular=true
	$(BUILD)/zkl_gui_bench

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
	  -DZKL_BUILD_TESTS=ON -DZKL_BUILD_BENCH=OFF -DZKL_BUILD_GUI=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(SANITIZE_JOBS)
	@cd $(SANITIZE_BUILD) && ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(SANITIZE_JOBS)

fuzz-build: fuzz-deps
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
	  -DZKL_BUILD_TESTS=OFF -DZKL_BUILD_BENCH=OFF -DZKL_BUILD_GUI=OFF -DZKL_BUILD_FUZZERS=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(FUZZ_JOBS) --target zkl_fuzzers

fuzz: fuzz-build
	@fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_HARNESSES)

# The batch recipe's Slurm job array on a Slurm started on this machine (docs/batch.md).
test-slurm: build
	$(call install_missing,$(SLURM_PACKAGES))
	@cd $(BUILD) && ctest --output-on-failure -R Slurm

# The desktop program on the example sheet (docs/desktop.md).
gui: build
	$(BUILD)/zkl-labeller-gui examples/demo_sheet.json

# The desktop program under a real X server (Xvfb): the annotated demo with the labeller's
# dialog open, saved as $(SCREENSHOT) (the README's picture).
screenshot: build
	$(call install_missing,$(SCREENSHOT_PACKAGES))
	@mkdir -p out/screenshot
	@cp examples/ZKL_Labeller.ini out/screenshot/
	$(BUILD)/zkl-labeller auto examples/demo_sheet.json -o out/screenshot/demo_annotated.json -q
	xvfb-run -a -s "-screen 0 1280x900x24" $(BUILD)/zkl-labeller-gui out/screenshot/demo_annotated.json \
	  --advanced --screenshot $(SCREENSHOT)
	@echo "Wrote $(SCREENSHOT)"

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) out
