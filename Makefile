# The two commands a newcomer needs: `make run` and `make test`.
JOBS ?= 2

.PHONY: all deps build test test-asan run demo-build package bench screenshots format clean

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

# Pictures of every screen into docs/screenshots.
screenshots: build
	scripts/screenshots

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
