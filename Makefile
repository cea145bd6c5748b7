# The two everyday commands: `make demo` and `make test`.
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD ?= build
FUZZ_SECONDS ?= 30
# TESRA_WERROR=ON (as .ci/run sets it) turns every compiler warning into an error in the
# build, sanitizer and fuzz builds; it stays in each build's cache once given.
TESRA_WERROR ?=
werror = $(if $(TESRA_WERROR),-DTESRA_WERROR=$(TESRA_WERROR))
# Applies a given TESRA_WERROR to an already configured build directory ($1).
rewerror = $(if $(TESRA_WERROR),cmake -S . -B $1 $(werror) >/dev/null)

.PHONY: all build test test-sanitize fuzz bench demo mutants clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(werror)

build: $(BUILD)/CMakeCache.txt
	$(call rewerror,$(BUILD))
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

build-sanitize/CMakeCache.txt:
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTESRA_SANITIZE=ON -DTESRA_BENCH=OFF \
	  $(werror)

test-sanitize: build-sanitize/CMakeCache.txt
	$(call rewerror,build-sanitize)
	cmake --build build-sanitize -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

build-fuzz/CMakeCache.txt:
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESRA_FUZZ=ON \
	  -DTESRA_TESTS=OFF -DTESRA_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
	  $(werror)

# Runs every fuzz target for FUZZ_SECONDS on its seed inputs.
fuzz: build-fuzz/CMakeCache.txt
	$(call rewerror,build-fuzz)
	cmake --build build-fuzz -j $(JOBS)
	@set -e; for f in build-fuzz/tests/fuzz/*_fuzz; do [ -x $$f ] || continue; \
	  name=$$(basename $$f); seeds=tests/fuzz/corpus/$${name%_fuzz}; \
	  work=$$(mktemp -d); [ -d $$seeds ] && cp -r $$seeds/. $$work/ || true; \
	  echo "fuzzing $$name for $(FUZZ_SECONDS)s"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -rss_limit_mb=2048 -print_final_stats=1 $$work; \
	  rm -rf $$work; \
	done

# Injects each fault of tests/mutants/faults.txt into a scratch copy and reports the tests
# that catch it (not part of `make test`). MUTANTS=id1,id2 runs a subset.
MUTANTS ?=
mutants:
	python3 tests/mutants/run_mutants.py --jobs $(JOBS) $(if $(MUTANTS),--only $(MUTANTS))

bench: build
	@for b in $(BUILD)/bench/*_bench; do [ -x $$b ] && echo "== $$b" && $$b; done

demo: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target tesra-rovidev
	@bash examples/run-demo.sh $(BUILD)/tesra-rovidev

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz
