# Metafile header checks and sizing over the tests' fake rendering device.
qlry_add_fuzzer(ximage_wmf
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_wmf_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_wmf)
