# The JPEG-2000 family: our own PNM, PGX and Sun raster readers, and the
# OpenJPEG path for JP2 files and code streams.
qlry_add_fuzzer(ximage_jas_own
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_jas_own_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_jas_own)
qlry_add_fuzzer(ximage_jas_openjpeg
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_jas_openjpeg_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_jas_openjpeg)
