datalink_fuzz_target(volumefile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_volumefile.cpp LIBS hostcore zrprocess)
