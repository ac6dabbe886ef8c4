# The i686 executable's code: x87 floating point and no SSE, for every processor it may meet. The
# 32-bit Linux build of the core's tests uses the same, so that they prove the arithmetic the
# i686 executable does.
set(TAVREL_I686_CODE_FLAGS "-march=pentiumpro -mfpmath=387 -mno-sse -mno-sse2")
set(CMAKE_C_FLAGS_INIT "${TAVREL_I686_CODE_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${TAVREL_I686_CODE_FLAGS}")
