# 32-bit Linux on a 64-bit build machine (Debian gcc-multilib / g++-multilib): the plug-in's
# 32-bit code paths, run under qemu-i386 by the tests. Only the C and C++ runtimes exist for
# i386 here, so nothing else may be found (no libsndfile: the host tool renders no WAV).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
# The C++ runtime is linked in, so qemu-i386 needs nothing but the i386 C library.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32 -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32 -static-libgcc -static-libstdc++")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
