# A 32-bit Linux build (g++-multilib) with the i686 executable's code generation, for the core's
# unit tests: configure with -DTAVREL_CORE_ONLY=ON.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
include(${CMAKE_CURRENT_LIST_DIR}/i686-code.cmake)
set(CMAKE_C_FLAGS_INIT "-m32 ${CMAKE_C_FLAGS_INIT}")
set(CMAKE_CXX_FLAGS_INIT "-m32 ${CMAKE_CXX_FLAGS_INIT}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
