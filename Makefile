# The two commands a newcomer needs: `make run` and `make test`.
JOBS ?= 2

.PHONY: all deps build test test-asan run demo-build package bench fuzz screenshots format clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default -j$(JOBS)

# From scratch, exactly as CI runs it.
test: deps
	rm -rf build/default
	cmake --preset default
	cmake --build --preset default -j$(JOBS)
	ctest --preset default -j$(JOBS)
	# What software centres and desktop menus would reject (Debian 12's validators).
	desktop-file-validate resources/tidewaterlink.desktop
	appstreamcli validate --no-net resources/example.tidewaterlink.Tidewaterlink.metainfo.xml

test-asan: deps
	rm -rf build/asan
	cmake --preset asan
	cmake --build --preset asan -j$(JOBS)
	ctest --preset asan -j$(JOBS)

demo-build: deps
	cmake --preset demo
	cmake --build --preset demo -j$(JOBS)

run: demo-build
	scripts/run-demo

# A Debian package of the default build, in build/default.
package: build
	cd build/default && cpack -G DEB

# Speed and memory against their floors; not part of `make test`.
bench: deps
	cmake --preset bench
	cmake --build --preset bench -j$(JOBS) --target twl_bench_programs
	bench/run build/bench

# Each libFuzzer target in turn for FUZZ_SECONDS on a copy of its corpus
# (fuzz/corpus/NAME for build/fuzz/bin/fuzz_NAME), so the repository's corpus
# does not grow; what crashes it is kept in build/fuzz. Not part of `make test`.
FUZZERS := statement_parser account_reply
FUZZ_SECONDS ?= 60

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j$(JOBS) --target $(addprefix fuzz_,$(FUZZERS))
	set -e; for name in $(FUZZERS); do \
	  corpus=$$(mktemp -d); trap 'rm -rf "$$corpus"' EXIT; \
	  cp fuzz/corpus/$$name/* "$$corpus"; \
	  build/fuzz/bin/fuzz_$$name -max_total_time=$(FUZZ_SECONDS) \
	    -artifact_prefix=build/fuzz/ "$$corpus"; \
	  rm -rf "$$corpus"; \
	done

# Pictures of every screen into docs/screenshots.
screenshots: build
	scripts/screenshots

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
