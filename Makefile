# Entry points for people and CI. `make demo` and `make test` install whatever Debian
# packages are missing (as root), build, and run.
PACKAGES := cmake g++ make pkg-config binutils mingw-w64 wine64 xvfb xauth \
            libsndfile1-dev libcli11-dev libstb-dev libgtest-dev libgmock-dev \
            libbenchmark-dev libx11-dev libxtst-dev libxres-dev fonts-liberation dpf-plugins-vst \
            amsynth sox gcc-multilib g++-multilib qemu-user zynaddsubfx-vst python3 time \
            clang-14 libclang-rt-14-dev
JOBS ?= 2
NATIVE := build
WIN64 := build-win64
WIN32 := build-win32
# Where `make install` puts the plug-in and the host tool: the folders Linux hosts and shells
# search for the user, or under PREFIX for everyone.
PREFIX ?=
VSTDIR ?= $(if $(PREFIX),$(PREFIX)/lib/vst,$(HOME)/.vst)
BINDIR ?= $(if $(PREFIX),$(PREFIX)/bin,$(HOME)/.local/bin)

I386 := build-i386

# Sanitizer and fuzzer builds: native targets only, each in its own folder.
ASAN := build-asan
TSAN := build-tsan
FUZZ := build-fuzz
FUZZERS := vst_events dispatcher midi_file fxp bmp
FUZZ_CORPUS := tests/fuzz/corpus
# Seconds per fuzzer: `make test` keeps the five under two minutes together; `make fuzz
# FUZZ_SECONDS=3600` runs them as long as asked and keeps what they find in the corpus.
FUZZ_TEST_SECONDS := 18
FUZZ_SECONDS ?= 300
# -O1 with line tables only: sanitizer builds compile in about the time of a release build
# and still name file and line in every report.
SANITIZE_FLAGS := -O1 -g1 -fno-omit-frame-pointer

.PHONY: all deps build build-win64 build-win32 build-i386 demo test bench clean install uninstall \
        build-asan build-tsan build-fuzz test-asan test-tsan test-fuzz fuzz
all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:" $$missing; \
	  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

build: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Release \
	  -DZELVIK_WIN64_DIR=$(CURDIR)/$(WIN64) -DZELVIK_WIN32_DIR=$(CURDIR)/$(WIN32) \
	  -DZELVIK_I386_DIR=$(CURDIR)/$(I386)
	cmake --build $(NATIVE) -j$(JOBS)

build-win64: deps
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN64) -j$(JOBS)

build-win32: deps
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN32) -j$(JOBS)

# The plug-in and the scenario player as 32-bit Linux code, for the tests to run under qemu-i386.
build-i386: deps
	cmake -S . -B $(I386) -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake -DCMAKE_BUILD_TYPE=Release -DZELVIK_PLUGIN_ONLY=ON
	cmake --build $(I386) -j$(JOBS) --target zelvik zelvik-arch-check

demo: build
	./$(NATIVE)/zelvik-render demo --out demo.wav
	./$(NATIVE)/zelvik-render snapshot --png editor.png --voices 3

test: build build-win64 build-win32 build-i386
	cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) test-asan test-fuzz test-tsan

# The whole native suite under AddressSanitizer and UndefinedBehaviorSanitizer (any
# undefined behaviour ends the test). The Windows builds are not part of it.
build-asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Sanitize \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined $(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(ASAN) -j$(JOBS)

test-asan: build-asan
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

# The plug-in and the host under ThreadSanitizer, for the validator's threads check.
build-tsan: deps
	cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=Sanitize \
	  -DCMAKE_CXX_FLAGS="-fsanitize=thread $(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=thread"
	cmake --build $(TSAN) -j$(JOBS) --target zelvik zelvik-render

test-tsan: build-tsan
	cd $(TSAN) && ctest --output-on-failure -R ValidateZelvik.ThreadsUnderThreadSanitizer

# libFuzzer needs clang; every library the fuzzers link is built with ASan and UBSan.
build-fuzz: deps
	cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Sanitize -DZELVIK_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined $(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(FUZZ) -j$(JOBS) --target zelvik-fuzzers

# Each fuzzer starts from the committed corpus; what it finds, and any crashing input,
# goes to the build folder.
test-fuzz: build-fuzz
	@for f in $(FUZZERS); do \
	  mkdir -p $(FUZZ)/found/$$f && \
	  echo "fuzz_$$f: $(FUZZ_TEST_SECONDS) s" && \
	  ./$(FUZZ)/fuzz_$$f -max_total_time=$(FUZZ_TEST_SECONDS) -print_final_stats=1 -artifact_prefix=$(FUZZ)/ \
	    $(FUZZ)/found/$$f $(FUZZ_CORPUS)/$$f 2>$(FUZZ)/fuzz_$$f.log \
	  || { tail -50 $(FUZZ)/fuzz_$$f.log; exit 1; }; \
	  grep -E "stat::number_of_executed_units|stat::new_units_added" $(FUZZ)/fuzz_$$f.log; \
	done

# Longer runs; new inputs that add coverage are merged into the committed corpus.
fuzz: build-fuzz
	@for f in $(FUZZERS); do \
	  mkdir -p $(FUZZ)/found/$$f && \
	  ./$(FUZZ)/fuzz_$$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -artifact_prefix=$(FUZZ)/ \
	    $(FUZZ)/found/$$f $(FUZZ_CORPUS)/$$f || exit 1; \
	  ./$(FUZZ)/fuzz_$$f -merge=1 $(FUZZ_CORPUS)/$$f $(FUZZ)/found/$$f || exit 1; \
	done

bench: build
	./$(NATIVE)/zelvik-bench

install: build
	install -d $(DESTDIR)$(VSTDIR) $(DESTDIR)$(BINDIR)
	install -m 644 $(NATIVE)/zelvik.so $(DESTDIR)$(VSTDIR)/zelvik.so
	install -m 755 $(NATIVE)/zelvik-render $(DESTDIR)$(BINDIR)/zelvik-render

uninstall:
	rm -f $(DESTDIR)$(VSTDIR)/zelvik.so $(DESTDIR)$(BINDIR)/zelvik-render

clean:
	rm -rf $(NATIVE) $(WIN64) $(WIN32) $(I386) $(ASAN) $(TSAN) $(FUZZ)
