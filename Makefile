# Entry points for people and CI. `make demo` and `make test` install whatever Debian
# packages are missing (as root), build, and run.
PACKAGES := cmake g++ make pkg-config binutils mingw-w64 wine64 xvfb xauth \
            libsndfile1-dev libcli11-dev libstb-dev libgtest-dev libgmock-dev \
            libbenchmark-dev libx11-dev libxtst-dev libxres-dev fonts-liberation dpf-plugins-vst \
            amsynth sox gcc-multilib g++-multilib qemu-user zynaddsubfx-vst python3 time
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

.PHONY: all deps build build-win64 build-win32 build-i386 demo test bench clean install uninstall
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

bench: build
	./$(NATIVE)/zelvik-bench

install: build
	install -d $(DESTDIR)$(VSTDIR) $(DESTDIR)$(BINDIR)
	install -m 644 $(NATIVE)/zelvik.so $(DESTDIR)$(VSTDIR)/zelvik.so
	install -m 755 $(NATIVE)/zelvik-render $(DESTDIR)$(BINDIR)/zelvik-render

uninstall:
	rm -f $(DESTDIR)$(VSTDIR)/zelvik.so $(DESTDIR)$(BINDIR)/zelvik-render

clean:
	rm -rf $(NATIVE) $(WIN64) $(WIN32) $(I386)
