# The two commands a newcomer needs: `make run` and `make test`.
JOBS ?= 2

.PHONY: all deps build test test-asan run demo-build format clean

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

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
